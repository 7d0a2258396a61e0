// A sine of our own for the Sinc kernel. C runtimes disagree on the last bits
// of sin(), and the kernel's results must be the same in every build.
#pragma once

#include <bit>
#include <cstdint>

namespace varno {

// sin(x) for |x| up to about 10, with a relative error near 2e-16: accurate
// enough that rounding the result to a float almost always gives the float of
// the exact sine. IEEE double arithmetic only, no library call.
inline double kernelSine(double x) {
    // x = q pi + r with |r| <= pi/2; pi is split so that q * kPiHigh is exact and
    // x - q * kPiHigh loses nothing even when x lies very close to q pi.
    constexpr double kInvPi = 0.3183098861837907;
    constexpr double kPiHigh = 3.141592651605606;       // 30 significant bits
    constexpr double kPiLow = 1.984187159361081e-09;    // the rest of pi
    // Adding 1.5 * 2^52 rounds to an integer held in the low mantissa bits:
    // round to nearest without a library call or a branch.
    constexpr double kRoundingShift = 6755399441055744.0;
    const double shifted = x * kInvPi + kRoundingShift;
    const double q = shifted - kRoundingShift;
    const double r = (x - q * kPiHigh) - q * kPiLow;
    // sin(r) = r P(r^2) on |r| <= pi/2, Chebyshev-fitted.
    const double u = r * r;
    double p = -7.374360691567403e-13;
    p = p * u + 1.6048166167666442e-10;
    p = p * u - 2.5051881879351066e-08;
    p = p * u + 2.7557316608034622e-06;
    p = p * u - 0.00019841269824853736;
    p = p * u + 0.008333333333282726;
    p = p * u - 0.16666666666666072;
    p = p * u + 0.9999999999999999;
    // An odd q flips the sign: moved into the result's sign bit, no branch.
    const uint64_t odd = std::bit_cast<uint64_t>(shifted) << 63;
    return std::bit_cast<double>(std::bit_cast<uint64_t>(r * p) ^ odd);
}

} // namespace varno
