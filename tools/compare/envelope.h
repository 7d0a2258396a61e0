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

// How alike two renders are, piece by piece: the loudness envelope of a (RMS per
// 20 ms) is cut into segments of `segmentSeconds`, and each is compared with b's
// envelope taken from b shifted on its own by up to maxShiftSeconds either way, in
// steps of a millisecond (a tick rate a hair apart does not make another song). The
// best correlations are averaged, weighted by segment length. A trailing piece
// shorter than a second is left out, as are segments silent in both. The renders
// may have different sample rates.
struct Segments {
    double mean = 0;
    double worst = 1;
    int count = 0;
};
Segments segmentedCorrelation(const std::vector<float>& a, int rateA, const std::vector<float>& b, int rateB,
                              double segmentSeconds = 10, double maxShiftSeconds = 0.5);

} // namespace varno::compare
