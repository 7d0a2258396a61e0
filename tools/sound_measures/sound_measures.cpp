// Compares renders of one song: for each file, its brightness (the share of its
// energy above 5 kHz) and how closely its loudness envelope (RMS per 20 ms)
// follows the first file's, at the alignment where they agree best.
//
//   varno-sound-measures REFERENCE.wav OTHER.wav...
//
// prints one line per file: name, seconds, share above 5 kHz in percent, and the
// envelope correlation with the reference (1 for the reference itself).
#include <sndfile.h>

#include <cmath>
#include <complex>
#include <cstdio>
#include <string>
#include <vector>

namespace {

constexpr double kSplitHz = 5000.0;
constexpr size_t kFftSize = 4096;

struct Song {
    std::vector<float> mono; // (left + right) / 2
    std::vector<double> power; // per frame, summed over the channels
    double rate = 0;
};

bool load(const char* path, Song& song) {
    SF_INFO info{};
    SNDFILE* file = sf_open(path, SFM_READ, &info);
    if (!file) {
        std::fprintf(stderr, "%s: %s\n", path, sf_strerror(nullptr));
        return false;
    }
    std::vector<float> frames(size_t(info.frames) * size_t(info.channels));
    sf_readf_float(file, frames.data(), info.frames);
    sf_close(file);
    song.rate = info.samplerate;
    song.mono.resize(size_t(info.frames));
    for (size_t i = 0; i < song.mono.size(); ++i) {
        double sum = 0;
        for (int c = 0; c < info.channels; ++c) sum += frames[i * size_t(info.channels) + size_t(c)];
        song.mono[i] = float(sum / info.channels);
    }
    return true;
}

void fft(std::vector<std::complex<double>>& a) {
    const size_t n = a.size();
    for (size_t i = 1, j = 0; i < n; ++i) {
        size_t bit = n >> 1;
        for (; j & bit; bit >>= 1) j ^= bit;
        j ^= bit;
        if (i < j) std::swap(a[i], a[j]);
    }
    for (size_t len = 2; len <= n; len <<= 1) {
        const std::complex<double> w = std::polar(1.0, -2 * M_PI / double(len));
        for (size_t i = 0; i < n; i += len) {
            std::complex<double> wk = 1;
            for (size_t k = 0; k < len / 2; ++k, wk *= w) {
                const std::complex<double> u = a[i + k], v = a[i + k + len / 2] * wk;
                a[i + k] = u + v;
                a[i + k + len / 2] = u - v;
            }
        }
    }
}

// Share of the energy above kSplitHz, from Hann-windowed blocks.
double shareAbove(const Song& s) {
    double high = 0, all = 0;
    std::vector<std::complex<double>> block(kFftSize);
    const size_t split = size_t(kSplitHz / s.rate * kFftSize);
    for (size_t start = 0; start + kFftSize <= s.mono.size(); start += kFftSize) {
        for (size_t i = 0; i < kFftSize; ++i)
            block[i] = s.mono[start + i] * (0.5 - 0.5 * std::cos(2 * M_PI * double(i) / kFftSize));
        fft(block);
        for (size_t k = 1; k < kFftSize / 2; ++k) {
            const double p = std::norm(block[k]);
            all += p;
            if (k >= split) high += p;
        }
    }
    return all > 0 ? high / all : 0;
}

std::vector<double> envelope(const Song& s, size_t block, size_t offset) {
    std::vector<double> e;
    for (size_t start = offset; start + block <= s.mono.size(); start += block) {
        double sum = 0;
        for (size_t i = 0; i < block; ++i) sum += double(s.mono[start + i]) * s.mono[start + i];
        e.push_back(std::sqrt(sum / double(block)));
    }
    return e;
}

// Correlation of a[i] with b[i + lag] over the overlap.
double correlation(const std::vector<double>& a, const std::vector<double>& b, long lag) {
    double sa = 0, sb = 0, saa = 0, sbb = 0, sab = 0;
    size_t n = 0;
    for (size_t i = 0; i < a.size(); ++i) {
        const long j = long(i) + lag;
        if (j < 0 || size_t(j) >= b.size()) continue;
        const double x = a[i], y = b[size_t(j)];
        sa += x; sb += y; saa += x * x; sbb += y * y; sab += x * y;
        ++n;
    }
    if (n < 2) return 0;
    const double cov = sab - sa * sb / double(n);
    const double va = saa - sa * sa / double(n), vb = sbb - sb * sb / double(n);
    return va > 0 && vb > 0 ? cov / std::sqrt(va * vb) : 0;
}

// Envelope correlation at the best alignment: the lag is searched on 1 ms
// envelopes within two seconds, then the 20 ms envelopes are compared.
double envelopeCorrelation(const Song& ref, const Song& other) {
    const size_t ms = size_t(ref.rate / 1000);
    const std::vector<double> a = envelope(ref, ms, 0), b = envelope(other, ms, 0);
    long best = 0;
    double bestC = -2;
    for (long lag = -2000; lag <= 2000; ++lag) {
        const double c = correlation(a, b, lag);
        if (c > bestC) bestC = c, best = lag;
    }
    const size_t refOffset = best < 0 ? size_t(-best) * ms : 0;
    const size_t otherOffset = best > 0 ? size_t(best) * ms : 0;
    return correlation(envelope(ref, 20 * ms, refOffset), envelope(other, 20 * ms, otherOffset), 0);
}

} // namespace

int main(int argc, char** argv) {
    if (argc < 2) {
        std::fprintf(stderr, "usage: %s REFERENCE.wav [OTHER.wav...]\n", argv[0]);
        return 2;
    }
    Song ref;
    if (!load(argv[1], ref)) return 1;
    for (int i = 1; i < argc; ++i) {
        Song s;
        if (i > 1 && !load(argv[i], s)) return 1;
        const Song& song = i == 1 ? ref : s;
        if (song.rate != ref.rate) {
            std::fprintf(stderr, "%s: %g Hz, the reference has %g Hz\n", argv[i], song.rate, ref.rate);
            return 1;
        }
        std::printf("%s\t%.1f\t%.2f\t%.4f\n", argv[i], double(song.mono.size()) / song.rate, 100 * shareAbove(song),
                    i == 1 ? 1.0 : envelopeCorrelation(ref, song));
    }
    return 0;
}
