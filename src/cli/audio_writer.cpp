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

#include "cli/sample_level.h"

namespace varno::cli {

namespace {

namespace fs = std::filesystem;

// The unfinished file's name, for the signal handler (which may only unlink).
char partialPath[4096];

extern "C" void removePartialAndRaise(int signal) {
    if (partialPath[0]) ::unlink(partialPath);
    std::signal(signal, SIG_DFL);
    std::raise(signal);
}

std::string extensionOf(const std::string& path) {
    std::string ext = fs::path(path).extension().string();
    std::transform(ext.begin(), ext.end(), ext.begin(), [](unsigned char c) { return char(std::tolower(c)); });
    return ext;
}

// Only a privileged user may give a file to someone else; for anyone else the
// replaced file was theirs already, so a refusal changes nothing.
void giveTo(const std::string& path, std::pair<unsigned, unsigned> owner) {
    if (::chown(path.c_str(), owner.first, owner.second) != 0) return;
}

void setTag(SNDFILE* file, int which, const std::string& value) {
    if (!value.empty()) sf_set_string(file, which, value.c_str());
}

} // namespace

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
    const std::string ext = extensionOf(name);
    SF_INFO info{};
    info.samplerate = int(rate);
    info.channels = int(channels);
    const int subtype = format == SampleFormat::Pcm16 ? SF_FORMAT_PCM_16
                        : format == SampleFormat::Pcm24 ? SF_FORMAT_PCM_24
                                                        : SF_FORMAT_FLOAT;
    bool wav = false;
    if (ext == ".wav") {
        // RF64 from the start, turned back into plain WAV at the close while it fits.
        info.format = SF_FORMAT_RF64 | subtype;
        wav = true;
    } else if (ext == ".flac") {
        if (format == SampleFormat::Float) {
            cause = "FLAC holds 16 or 24 bits, not floats (use --bits 16 or 24)";
            return false;
        }
        info.format = SF_FORMAT_FLAC | subtype;
    } else if (target.direct) {
        // A device or a pipe has no extension to go by.
        info.format = SF_FORMAT_WAV | subtype;
    } else {
        cause = "the output must end in .wav or .flac, or be - for standard output";
        return false;
    }
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
    if (wav) sf_command(file_, SFC_RF64_AUTO_DOWNGRADE, nullptr, SF_TRUE);
    // Loud songs go past full scale; integer files clip them rather than wrap.
    sf_command(file_, SFC_SET_CLIPPING, nullptr, SF_TRUE);
    setTag(file_, SF_STR_TITLE, tags.title);
    setTag(file_, SF_STR_ARTIST, tags.artist);
    setTag(file_, SF_STR_TRACKNUMBER, tags.trackNumber);
    setTag(file_, SF_STR_COMMENT, tags.comment);
    setTag(file_, SF_STR_SOFTWARE, tags.software);
    return true;
}

bool AudioWriter::write(const float* samples, uint32_t frames) {
    if (!toStdout_) return file_ && sf_writef_float(file_, samples, frames) == sf_count_t(frames);
    const size_t count = size_t(frames) * channels_;
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
