// The sound card through PortAudio: a blocking stream of 32-bit float frames on
// the default output device.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

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
    // Lets what is queued play to its end, then stops (resume starts again).
    void drain();

private:
    void* stream_ = nullptr;
    bool initialised_ = false;
    bool running_ = false;
    uint32_t rate_ = 48000;
    uint32_t channels_ = 2;
    std::vector<float> silence_; // made at open
};

} // namespace varno::cli
