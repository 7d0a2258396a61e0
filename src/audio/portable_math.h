// Exponential, tangent and Bessel I0 built from IEEE double additions,
// multiplications and divisions only. The Amiga output models derive their
// step tables and filter coefficients from these at start-up; C runtimes
// disagree on the last bits of exp() and tan(), and every build must produce
// the same samples.
#pragma once

#include <cmath>

#include "audio/sine.h"

namespace varno {

constexpr double kPi = 3.141592653589793;

// e^x for |x| below about 700, relative error near 1e-16.
inline double portableExp(double x) {
    // x = k ln2 + r with |r| <= ln2 / 2; ln2 is split so that k * kLn2High is exact.
    constexpr double kInvLn2 = 1.4426950408889634;
    constexpr double kLn2High = 0.6931471803691238;  // 32 significant bits
    constexpr double kLn2Low = 1.9082149292705877e-10;
    constexpr double kRoundingShift = 6755399441055744.0; // as in kernelSine
    const double k = (x * kInvLn2 + kRoundingShift) - kRoundingShift;
    const double r = (x - k * kLn2High) - k * kLn2Low;
    // Taylor series to r^14 / 14!: the next term is below 1e-19 for |r| <= 0.35.
    double sum = 1.0;
    double term = 1.0;
    for (int i = 1; i <= 14; ++i) {
        term = term * r / double(i);
        sum = sum + term;
    }
    return std::ldexp(sum, int(k)); // exact scaling by 2^k
}

// tan(x) for |x| < pi / 2.
inline double portableTan(double x) { return kernelSine(x) / kernelSine(x + kPi / 2); }

// The modified Bessel function I0(x) for 0 <= x <= 30, by its power series.
inline double besselI0(double x) {
    const double q = x * x / 4.0;
    double sum = 1.0;
    double term = 1.0;
    for (int k = 1; k < 200; ++k) {
        term = term * q / (double(k) * double(k));
        sum = sum + term;
        if (term < sum * 1e-18) break;
    }
    return sum;
}

} // namespace varno
