#include "cli/audio_writer.h"

#include <sndfile.h>
#include <unistd.h>

#include <algorithm>
#include <cctype>
#include <csignal>
#include <cstdio>
#include <cstring>
#include <filesystem>

namespace varno::cli {

namespace {

// The unfinished file's name, for the signal handler (which may only unlink).
char partialPath[4096];

extern "C" void onInterrupt(int signal) {
    if (partialPath[0]) ::unlink(partialPath);
    std::signal(signal, SIG_DFL);
    std::raise(signal);
}

std::string extensionOf(const std::string& path) {
    std::string ext = std::filesystem::path(path).extension().string();
    std::transform(ext.begin(), ext.end(), ext.begin(), [](unsigned char c) { return char(std::tolower(c)); });
    return ext;
}

} // namespace

void removePartialOnSignal() {
    std::signal(SIGINT, onInterrupt);
    std::signal(SIGTERM, onInterrupt);
    std::signal(SIGHUP, onInterrupt);
}

std::string numberedPath(const std::string& path, int n) {
    if (path == "-") return path;
    const std::filesystem::path p(path);
    return (p.parent_path() / (p.stem().string() + "-" + std::to_string(n) + p.extension().string())).string();
}

AudioWriter::~AudioWriter() { discard(); }

void AudioWriter::discard() {
    if (file_) sf_close(file_);
    file_ = nullptr;
    if (!temporary_.empty()) std::remove(temporary_.c_str());
    temporary_.clear();
    partialPath[0] = 0;
}

bool AudioWriter::open(const std::string& path, uint32_t rate, uint32_t channels, SampleFormat format,
                       std::string& cause) {
    discard();
    path_ = path;
    channels_ = channels;
    if (path == "-") {
        toStdout_ = true;
        return true;
    }
    const std::string ext = extensionOf(path);
    SF_INFO info{};
    info.samplerate = int(rate);
    info.channels = int(channels);
    const int subtype = format == SampleFormat::Pcm16 ? SF_FORMAT_PCM_16
                        : format == SampleFormat::Pcm24 ? SF_FORMAT_PCM_24
                                                        : SF_FORMAT_FLOAT;
    if (ext == ".wav") {
        info.format = SF_FORMAT_WAV | subtype;
    } else if (ext == ".flac") {
        if (format == SampleFormat::Float) {
            cause = "FLAC holds 16 or 24 bits, not floats (use --bits 16 or 24)";
            return false;
        }
        info.format = SF_FORMAT_FLAC | subtype;
    } else {
        cause = "the output must end in .wav or .flac, or be - for raw floats";
        return false;
    }
    const std::filesystem::path target(path);
    // Hidden beside the target, so the rename stays on one file system.
    std::string hidden = ".";
    hidden.append(target.filename().string()).append(".partial").append(std::to_string(::getpid()));
    temporary_ = (target.parent_path() / hidden).string();
    std::strncpy(partialPath, temporary_.c_str(), sizeof partialPath - 1);
    file_ = sf_open(temporary_.c_str(), SFM_WRITE, &info);
    if (!file_) {
        cause = std::string("cannot be written: ") + sf_strerror(nullptr);
        temporary_.clear();
        partialPath[0] = 0;
        return false;
    }
    // Loud songs go past full scale; integer files clip them rather than wrap.
    sf_command(file_, SFC_SET_CLIPPING, nullptr, SF_TRUE);
    return true;
}

bool AudioWriter::write(const float* samples, uint32_t frames) {
    if (toStdout_) return std::fwrite(samples, sizeof(float) * channels_, frames, stdout) == frames;
    return file_ && sf_writef_float(file_, samples, frames) == sf_count_t(frames);
}

bool AudioWriter::finish(std::string& cause) {
    if (toStdout_) return std::fflush(stdout) == 0;
    if (!file_) return false;
    const int closed = sf_close(file_);
    file_ = nullptr;
    std::error_code ec;
    if (closed == 0) std::filesystem::rename(temporary_, path_, ec);
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
