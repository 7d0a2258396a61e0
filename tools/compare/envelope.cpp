#include "envelope.h"

#include <algorithm>
#include <cmath>

namespace varno::compare {

std::vector<double> rmsEnvelope(const std::vector<float>& samples, size_t window) {
    std::vector<double> out;
    for (size_t start = 0; start + window <= samples.size(); start += window) {
        double sum = 0;
        for (size_t i = start; i < start + window; ++i) sum += double(samples[i]) * samples[i];
        out.push_back(std::sqrt(sum / double(window)));
    }
    return out;
}

double correlation(const std::vector<double>& a, const std::vector<double>& b, int lag) {
    // Pairs a[i] with b[i + lag].
    const long first = lag < 0 ? -lag : 0;
    const long last = std::min<long>(long(a.size()), long(b.size()) - lag);
    const long n = last - first;
    if (n < 2) return 0;
    double ma = 0, mb = 0;
    for (long i = first; i < last; ++i) {
        ma += a[size_t(i)];
        mb += b[size_t(i + lag)];
    }
    ma /= double(n);
    mb /= double(n);
    double sab = 0, saa = 0, sbb = 0;
    for (long i = first; i < last; ++i) {
        const double da = a[size_t(i)] - ma, db = b[size_t(i + lag)] - mb;
        sab += da * db;
        saa += da * da;
        sbb += db * db;
    }
    if (saa == 0 || sbb == 0) return 0;
    return sab / std::sqrt(saa * sbb);
}

Alignment bestAlignment(const std::vector<double>& a, const std::vector<double>& b, int maxLag) {
    Alignment best{correlation(a, b, 0), 0};
    for (int lag = -maxLag; lag <= maxLag; ++lag) {
        const double c = correlation(a, b, lag);
        if (c > best.correlation) best = {c, lag};
    }
    return best;
}

namespace {

// Sums of squares up to each sample, so that any window's RMS costs two lookups.
std::vector<double> squareSums(const std::vector<float>& samples) {
    std::vector<double> sums(samples.size() + 1, 0.0);
    for (size_t i = 0; i < samples.size(); ++i) sums[i + 1] = sums[i] + double(samples[i]) * samples[i];
    return sums;
}

std::vector<double> envelopeFrom(const std::vector<double>& sums, size_t skip, size_t window) {
    std::vector<double> out;
    for (size_t start = skip; start + window < sums.size(); start += window)
        out.push_back(std::sqrt((sums[start + window] - sums[start]) / double(window)));
    return out;
}

} // namespace

Alignment bestShift(const std::vector<float>& a, const std::vector<float>& b, size_t window, int step, int maxShift) {
    const std::vector<double> sumsA = squareSums(a), sumsB = squareSums(b);
    Alignment best{-2, 0};
    for (int shift = -maxShift; shift <= maxShift; shift += step) {
        // A positive shift means the first render runs ahead: compare it with the
        // second from `shift` samples on. Only the overlap counts.
        const size_t skipA = shift < 0 ? size_t(-shift) : 0, skipB = shift > 0 ? size_t(shift) : 0;
        if (skipA >= a.size() || skipB >= b.size()) continue;
        const double c = correlation(envelopeFrom(sumsA, skipA, window), envelopeFrom(sumsB, skipB, window), 0);
        if (c > best.correlation) best = {c, shift};
    }
    return best;
}

Segments segmentedCorrelation(const std::vector<float>& a, int rateA, const std::vector<float>& b, int rateB,
                              double segmentSeconds, double maxShiftSeconds) {
    constexpr int kWindowsPerSecond = 50;
    const std::vector<double> sumsA = squareSums(a), sumsB = squareSums(b);
    const size_t windowA = size_t(rateA / kWindowsPerSecond), windowB = size_t(rateB / kWindowsPerSecond);
    const std::vector<double> envA = envelopeFrom(sumsA, 0, windowA);
    const size_t segment = size_t(segmentSeconds * kWindowsPerSecond);
    const long maxShift = long(maxShiftSeconds * rateB), step = std::max(1, rateB / 1000);
    Segments out;
    double weighted = 0, weights = 0;
    std::vector<double> piece, other;
    for (size_t first = 0; first < envA.size(); first += segment) {
        const size_t last = std::min(envA.size(), first + segment);
        if (last - first < size_t(kWindowsPerSecond)) break;
        piece.assign(envA.begin() + long(first), envA.begin() + long(last));
        double best = -1;
        bool silentA = true, silentB = true;
        for (double v : piece) silentA = silentA && v < 1e-4;
        const long start = long(first) * long(windowB);
        for (long shift = -maxShift; shift <= maxShift; shift += step) {
            if (start + shift < 0 || size_t(start + shift) + piece.size() * windowB >= sumsB.size()) continue;
            other.clear();
            for (size_t w = 0; w < piece.size(); ++w) {
                const size_t s = size_t(start + shift) + w * windowB;
                other.push_back(std::sqrt((sumsB[s + windowB] - sumsB[s]) / double(windowB)));
            }
            for (double v : other) silentB = silentB && v < 1e-4;
            best = std::max(best, correlation(piece, other, 0));
        }
        if (silentA && silentB) continue;
        if (best < -0.5) best = 0; // b ends before this segment
        weighted += best * double(last - first);
        weights += double(last - first);
        out.worst = std::min(out.worst, best);
        ++out.count;
    }
    out.mean = weights > 0 ? weighted / weights : 0;
    if (out.count == 0) out.worst = 0;
    return out;
}

} // namespace varno::compare
