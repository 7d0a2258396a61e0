#include "envelope.h"

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

} // namespace varno::compare
