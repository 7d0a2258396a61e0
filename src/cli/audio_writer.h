// Where rendered samples go: a WAV or FLAC file through libsndfile, written
// under a temporary name and renamed over the target when complete, or raw
// samples on standard output. WAV files are made as RF64, whose sizes are 64
// bits; one that stays below the 4 GiB a WAV's sizes count is copied into a
// plain WAV when complete, as most programs read those.
#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <vector>

#include "cli/output_path.h"

typedef struct sf_private_tag SNDFILE;

namespace varno::cli {

enum class SampleFormat { Pcm16, Pcm24, Float };

enum class Container { Wav, Flac };

// The container of a named output, by its extension (.wav or .flac; a device or
// a pipe, direct, without one is WAV). Nothing, with the cause in words, for
// any other extension or for floats in FLAC.
std::optional<Container> containerFor(const std::string& name, bool direct, SampleFormat format, std::string& cause);

// What the file says about its song: Vorbis comments in FLAC, the INFO list in WAV.
struct AudioTags {
    std::string title;
    std::string artist;
    std::string trackNumber;
    std::string comment;
    std::string software;
};

class AudioWriter {
public:
    AudioWriter() = default;
    ~AudioWriter(); // an unfinished file is removed
    AudioWriter(const AudioWriter&) = delete;
    AudioWriter& operator=(const AudioWriter&) = delete;

    // The container follows the name's extension (.wav or .flac); "-" writes
    // raw little-endian samples to standard output. write() takes at most
    // maxFrames at a time. False with the cause in words.
    bool open(const std::string& name, const OutputTarget& target, uint32_t rate, uint32_t channels,
              SampleFormat format, const AudioTags& tags, uint32_t maxFrames, std::string& cause);
    bool write(const float* samples, uint32_t frames);
    // Completes the file under its own name.
    bool finish(std::string& cause);

private:
    void discard();

    OutputTarget target_;
    std::string temporary_;
    SNDFILE* file_ = nullptr;
    bool toStdout_ = false;
    SampleFormat format_ = SampleFormat::Float;
    uint32_t channels_ = 2;
    std::vector<uint8_t> raw_; // standard output's integer samples, sized at open
    std::vector<int32_t> integers_; // an integer file's samples, sized at open
    AudioTags tags_;
    bool rf64_ = false;
    uint64_t frames_ = 0;
    uint32_t bytesPerFrame_ = 4;
};

// Removes the unfinished file when the program is interrupted.
void removePartialOnSignal();

} // namespace varno::cli
