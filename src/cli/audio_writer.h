// Where rendered samples go: a WAV or FLAC file through libsndfile, written under
// a temporary name and renamed when complete, or raw 32-bit floats on standard
// output.
#pragma once

#include <cstdint>
#include <string>

typedef struct sf_private_tag SNDFILE;

namespace varno::cli {

enum class SampleFormat { Pcm16, Pcm24, Float };

class AudioWriter {
public:
    AudioWriter() = default;
    ~AudioWriter(); // an unfinished file is removed
    AudioWriter(const AudioWriter&) = delete;
    AudioWriter& operator=(const AudioWriter&) = delete;

    // path "-" writes raw floats to standard output. False with the cause in words.
    bool open(const std::string& path, uint32_t rate, uint32_t channels, SampleFormat format, std::string& cause);
    bool write(const float* samples, uint32_t frames);
    // Completes the file under its own name.
    bool finish(std::string& cause);

private:
    void discard();

    std::string path_;
    std::string temporary_;
    SNDFILE* file_ = nullptr;
    bool toStdout_ = false;
    uint32_t channels_ = 2;
};

// The file name for subsong n (counted from 1) of an --all-subsongs render:
// "song.wav" becomes "song-2.wav".
std::string numberedPath(const std::string& path, int n);

// Removes the unfinished file when the program is interrupted.
void removePartialOnSignal();

} // namespace varno::cli
