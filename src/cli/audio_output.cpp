#include "cli/audio_output.h"

#include <fcntl.h>
#include <portaudio.h>
#include <unistd.h>

#include <algorithm>
#include <cstdio>

#if __has_include(<alsa/asoundlib.h>)
#include <alsa/asoundlib.h>
#define VARNO_HAVE_ALSA 1
#endif

namespace varno::cli {

namespace {

constexpr double kMinimumLatency = 0.25; // seconds
constexpr double kDrainMargin = 0.05;

// PortAudio's start asks every ALSA device about itself, and ALSA prints a line
// for each one it cannot open; none of that is the user's concern.
#ifdef VARNO_HAVE_ALSA
// ALSA reports a late write ("underrun occurred") on standard error by itself;
// a gap in the sound is not worth a line through the status display.
extern "C" void ignoreAlsaMessage(const char*, int, const char*, int, const char*, ...) {}
#endif

PaError initialiseQuietly() {
#ifdef VARNO_HAVE_ALSA
    snd_lib_error_set_handler(ignoreAlsaMessage);
#endif
    std::fflush(stderr);
    const int saved = ::dup(STDERR_FILENO);
    const int null = ::open("/dev/null", O_WRONLY);
    if (saved >= 0 && null >= 0) ::dup2(null, STDERR_FILENO);
    const PaError result = Pa_Initialize();
    if (saved >= 0) {
        ::dup2(saved, STDERR_FILENO);
        ::close(saved);
    }
    if (null >= 0) ::close(null);
    return result;
}

} // namespace

AudioOutput::~AudioOutput() {
    if (stream_) {
        if (running_) Pa_AbortStream(stream_);
        Pa_CloseStream(stream_);
    }
    if (initialised_) Pa_Terminate();
}

bool AudioOutput::open(uint32_t rate, uint32_t channels, std::string& cause) {
    PaError error = initialiseQuietly();
    if (error != paNoError) {
        cause = std::string("the sound system cannot start: ") + Pa_GetErrorText(error);
        return false;
    }
    initialised_ = true;
    const PaDeviceIndex device = Pa_GetDefaultOutputDevice();
    if (device == paNoDevice) {
        cause = "there is no sound output device";
        return false;
    }
    PaStreamParameters out{};
    out.device = device;
    out.channelCount = int(channels);
    out.sampleFormat = paFloat32;
    // A quarter of a second queued at least: a busy machine then leaves no gaps,
    // and keys still act at once for the ear.
    out.suggestedLatency = std::max(Pa_GetDeviceInfo(device)->defaultHighOutputLatency, kMinimumLatency);
    error = Pa_OpenStream(&stream_, nullptr, &out, double(rate), paFramesPerBufferUnspecified, paNoFlag, nullptr,
                          nullptr);
    if (error == paNoError) error = Pa_StartStream(stream_);
    if (error != paNoError) {
        cause = std::string("the sound output cannot be opened: ") + Pa_GetErrorText(error);
        return false;
    }
    running_ = true;
    rate_ = rate;
    channels_ = channels;
    silence_.assign(size_t(channels) * 4096, 0.0f);
    return true;
}

bool AudioOutput::write(const float* frames, uint32_t count) {
    if (!stream_ || !running_) return false;
    const PaError error = Pa_WriteStream(stream_, frames, count);
    // A late write leaves a gap in the sound, not an error in the song.
    return error == paNoError || error == paOutputUnderflowed;
}

void AudioOutput::pause() {
    if (stream_ && running_ && Pa_StopStream(stream_) == paNoError) running_ = false;
}

void AudioOutput::resume() {
    if (stream_ && !running_ && Pa_StartStream(stream_) == paNoError) running_ = true;
}

void AudioOutput::drain() {
    // Stopping may drop what the device still holds; silence pushed in after the
    // last samples makes sure it is only silence that is dropped.
    if (stream_ && running_) {
        const PaStreamInfo* info = Pa_GetStreamInfo(stream_);
        const double seconds = (info ? info->outputLatency : kMinimumLatency) + kDrainMargin;
        const auto frames = uint64_t(seconds * rate_);
        for (uint64_t done = 0; done < frames;) {
            const auto n = uint32_t(std::min<uint64_t>(frames - done, silence_.size() / channels_));
            if (Pa_WriteStream(stream_, silence_.data(), n) != paNoError) break;
            done += n;
        }
    }
    pause();
}

} // namespace varno::cli
