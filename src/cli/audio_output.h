// The sound card through PortAudio: a blocking stream of 32-bit float frames on
// the default output device.
#pragma once

#include <cstdint>
#include <string>

namespace varno::cli {

class AudioOutput {
public:
    AudioOutput() = default;
    ~AudioOutput();
    AudioOutput(const AudioOutput&) = delete;
    AudioOutput& operator=(const AudioOutput&) = delete;

    // False with the cause in words.
    bool open(uint32_t rate, uint32_t channels, std::string& cause);
    // Waits while the device has no room.
    bool write(const float* frames, uint32_t count);
    // Stops taking samples (what is queued plays out) and starts again.
    void pause();
    void resume();
    // Lets what is queued play to its end.
    void drain();

private:
    void* stream_ = nullptr;
    bool initialised_ = false;
    bool running_ = false;
};

} // namespace varno::cli
