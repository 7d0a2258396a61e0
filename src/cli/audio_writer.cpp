#include "cli/audio_writer.h"

#include <fcntl.h>
#include <sndfile.h>
#include <unistd.h>

#include <algorithm>
#include <cctype>
#include <csignal>
#include <cstdio>
#include <cstring>
#include <filesystem>
#include <vector>

#include "cli/sample_level.h"

namespace varno::cli {

namespace {

namespace fs = std::filesystem;

// The unfinished files' names, for the signal handler (which may only unlink):
// the one being written, and the plain WAV copy made of it at the end.
char partialPath[4096];
char partialCopyPath[4096];

// RF64 is kept only for data past what a WAV's 32-bit sizes can count.
constexpr uint64_t kWavDataLimit = 0xFFFFFFFFull - (1u << 20);
constexpr sf_count_t kCopyFrames = 8192;

extern "C" void removePartialAndRaise(int signal) {
    if (partialPath[0]) ::unlink(partialPath);
    if (partialCopyPath[0]) ::unlink(partialCopyPath);
    std::signal(signal, SIG_DFL);
    std::raise(signal);
}

// Only a privileged user may give a file to someone else; for anyone else the
// replaced file was theirs already, so a refusal changes nothing.
void giveTo(const std::string& path, std::pair<unsigned, unsigned> owner) {
    if (::chown(path.c_str(), owner.first, owner.second) != 0) return;
}

void setTag(SNDFILE* file, int which, const std::string& value) {
    if (!value.empty()) sf_set_string(file, which, value.c_str());
}

void setTags(SNDFILE* file, const AudioTags& tags) {
    setTag(file, SF_STR_TITLE, tags.title);
    setTag(file, SF_STR_ARTIST, tags.artist);
    setTag(file, SF_STR_TRACKNUMBER, tags.trackNumber);
    setTag(file, SF_STR_COMMENT, tags.comment);
    setTag(file, SF_STR_SOFTWARE, tags.software);
}

// Samples as they are stored: integer samples go through libsndfile's 32-bit
// integers, which hold 16 and 24 bits exactly; floats as floats.
template <typename T>
bool copyFrames(SNDFILE* from, SNDFILE* to, int channels, sf_count_t (*read)(SNDFILE*, T*, sf_count_t),
                sf_count_t (*write)(SNDFILE*, const T*, sf_count_t)) {
    std::vector<T> buffer(size_t(kCopyFrames) * size_t(channels));
    for (;;) {
        const sf_count_t n = read(from, buffer.data(), kCopyFrames);
        if (n <= 0) return n == 0;
        if (write(to, buffer.data(), n) != n) return false;
    }
}

// The RF64 file `from` as a plain WAV file `to`, with the same samples and tags.
bool copyAsWav(const std::string& from, const std::string& to, const AudioTags& tags) {
    SF_INFO info{};
    SNDFILE* source = sf_open(from.c_str(), SFM_READ, &info);
    if (!source) return false;
    SF_INFO wav = info;
    wav.format = SF_FORMAT_WAV | (info.format & SF_FORMAT_SUBMASK);
    SNDFILE* copy = sf_open(to.c_str(), SFM_WRITE, &wav);
    bool ok = copy != nullptr;
    if (ok) {
        setTags(copy, tags);
        ok = (info.format & SF_FORMAT_SUBMASK) == SF_FORMAT_FLOAT
                 ? copyFrames<float>(source, copy, info.channels, sf_readf_float, sf_writef_float)
                 : copyFrames<int>(source, copy, info.channels, sf_readf_int, sf_writef_int);
        ok = sf_close(copy) == 0 && ok;
    }
    sf_close(source);
    return ok;
}

} // namespace

std::optional<Container> containerFor(const std::string& name, bool direct, SampleFormat format, std::string& cause) {
    std::string ext = fs::path(name).extension().string();
    std::transform(ext.begin(), ext.end(), ext.begin(), [](unsigned char c) { return char(std::tolower(c)); });
    if (ext == ".flac" && format == SampleFormat::Float) {
        cause = "FLAC holds 16 or 24 bits, not floats (use --bits 16 or 24)";
        return std::nullopt;
    }
    if (ext == ".flac") return Container::Flac;
    // A device or a pipe has no extension to go by.
    if (ext == ".wav" || direct) return Container::Wav;
    cause = "the output must end in .wav or .flac, or be - for standard output";
    return std::nullopt;
}

void removePartialOnSignal() {
    std::signal(SIGINT, removePartialAndRaise);
    std::signal(SIGTERM, removePartialAndRaise);
    std::signal(SIGHUP, removePartialAndRaise);
}

AudioWriter::~AudioWriter() { discard(); }

void AudioWriter::discard() {
    if (file_) sf_close(file_);
    file_ = nullptr;
    if (!temporary_.empty()) std::remove(temporary_.c_str());
    temporary_.clear();
    partialPath[0] = 0;
}

bool AudioWriter::open(const std::string& name, const OutputTarget& target, uint32_t rate, uint32_t channels,
                       SampleFormat format, const AudioTags& tags, uint32_t maxFrames, std::string& cause) {
    discard();
    target_ = target;
    channels_ = channels;
    format_ = format;
    toStdout_ = name == "-";
    if (toStdout_) {
        raw_.assign(size_t(maxFrames) * channels * 3, 0);
        return true;
    }
    const std::optional<Container> container = containerFor(name, target.direct, format, cause);
    if (!container) return false;
    SF_INFO info{};
    info.samplerate = int(rate);
    info.channels = int(channels);
    const int subtype = format == SampleFormat::Pcm16 ? SF_FORMAT_PCM_16
                        : format == SampleFormat::Pcm24 ? SF_FORMAT_PCM_24
                                                        : SF_FORMAT_FLOAT;
    tags_ = tags;
    frames_ = 0;
    bytesPerFrame_ = channels * (format == SampleFormat::Pcm16 ? 2 : format == SampleFormat::Pcm24 ? 3 : 4);
    integers_.assign(format == SampleFormat::Float ? 0 : size_t(maxFrames) * channels, 0);
    // RF64 from the start: its sizes are 64 bits. A file that stays below the
    // 4 GiB a WAV counts is copied into a plain WAV at the end. A device or a
    // pipe is written as it comes.
    rf64_ = *container == Container::Wav && !target.direct;
    info.format = (*container == Container::Flac ? SF_FORMAT_FLAC : rf64_ ? SF_FORMAT_RF64 : SF_FORMAT_WAV) | subtype;
    if (target.direct) {
        file_ = sf_open(target.path.c_str(), SFM_WRITE, &info);
    } else {
        // Hidden beside the target, so the rename stays on one file system.
        const fs::path final(target.path);
        const std::string hidden = "." + final.filename().string() + ".partial" + std::to_string(::getpid());
        temporary_ = (final.parent_path() / hidden).string();
        std::strncpy(partialPath, temporary_.c_str(), sizeof partialPath - 1);
        file_ = sf_open(temporary_.c_str(), SFM_WRITE, &info);
    }
    if (!file_) {
        cause = std::string("cannot be written: ") + sf_strerror(nullptr);
        temporary_.clear();
        partialPath[0] = 0;
        return false;
    }
    setTags(file_, tags);
    return true;
}

bool AudioWriter::write(const float* samples, uint32_t frames) {
    const size_t count = size_t(frames) * channels_;
    if (!toStdout_ && format_ == SampleFormat::Float) {
        frames_ += frames;
        return file_ && sf_writef_float(file_, samples, frames) == sf_count_t(frames);
    }
    if (!toStdout_) {
        // Rounded here as for standard output; libsndfile's integers are
        // full-scale 32-bit values, which it cuts to 16 or 24 bits exactly.
        if (count > integers_.size()) return false;
        const int bits = format_ == SampleFormat::Pcm24 ? 24 : 16;
        toIntegers(samples, count, bits, integers_.data());
        for (size_t i = 0; i < count; ++i) integers_[i] = int32_t(uint32_t(integers_[i]) << (32 - bits));
        frames_ += frames;
        return file_ && sf_writef_int(file_, integers_.data(), frames) == sf_count_t(frames);
    }
    if (format_ == SampleFormat::Float) return std::fwrite(samples, sizeof(float), count, stdout) == count;
    if (count * 3 > raw_.size()) return false;
    const size_t bytes = toPcm(samples, count, format_ == SampleFormat::Pcm24 ? 24 : 16, raw_.data());
    return std::fwrite(raw_.data(), 1, bytes, stdout) == bytes;
}

bool AudioWriter::finish(std::string& cause) {
    if (toStdout_) return std::fflush(stdout) == 0;
    if (!file_) return false;
    const int closed = sf_close(file_);
    file_ = nullptr;
    if (target_.direct) return closed == 0;
    std::error_code ec;
    if (closed == 0 && rf64_ && frames_ * bytesPerFrame_ < kWavDataLimit) {
        const std::string copy = temporary_ + ".wav";
        std::strncpy(partialCopyPath, copy.c_str(), sizeof partialCopyPath - 1);
        if (!copyAsWav(temporary_, copy, tags_)) {
            std::remove(copy.c_str());
            partialCopyPath[0] = 0;
            cause = "cannot be written: the WAV copy failed";
            discard();
            return false;
        }
        std::remove(temporary_.c_str());
        temporary_ = copy;
        std::strncpy(partialPath, copy.c_str(), sizeof partialPath - 1);
        partialCopyPath[0] = 0;
    }
    // The owner first: changing it may clear set-id bits that the permissions then restore.
    if (closed == 0 && target_.keepOwner) giveTo(temporary_, *target_.keepOwner);
    if (closed == 0 && target_.keepPermissions)
        fs::permissions(temporary_, *target_.keepPermissions, fs::perm_options::replace, ec);
    if (closed == 0 && !ec) fs::rename(temporary_, target_.path, ec);
    if (closed != 0 || ec) {
        cause = "cannot be written: " + (ec ? ec.message() : std::string(sf_error_number(closed)));
        discard();
        return false;
    }
    temporary_.clear();
    partialPath[0] = 0;
    return true;
}

} // namespace varno::cli
