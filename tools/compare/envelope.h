// Loudness envelopes and how alike two of them are.
#pragma once

#include <cstddef>
#include <vector>

namespace varno::compare {

// RMS of each whole window of `window` samples.
std::vector<double> rmsEnvelope(const std::vector<float>& samples, size_t window);

// Pearson correlation over the common length; 0 when either side is constant.
double correlation(const std::vector<double>& a, const std::vector<double>& b, int lag = 0);

// The best correlation with b shifted by -maxLag..maxLag windows, and that lag.
struct Alignment {
    double correlation = 0;
    int lag = 0;
};
Alignment bestAlignment(const std::vector<double>& a, const std::vector<double>& b, int maxLag);

// The best envelope correlation of two renders with the first shifted by whole
// multiples of `step` samples, up to `maxShift` samples either way: players may
// start their first row a tick or so apart. lag is the shift in samples.
Alignment bestShift(const std::vector<float>& a, const std::vector<float>& b, size_t window, int step, int maxShift);

} // namespace varno::compare
