// The resamplers: None in 17.15 fixed point, index for index; Sinc against the
// Lanczos window evaluated with the C library's sine and against values worked
// out from the window's definition.
#include <gtest/gtest.h>

#include <algorithm>
#include <thread>
#include <cmath>
#include <vector>

#include "audio/resample.h"
#include "audio/sine.h"
#include "audio/wide_vectors.h"

namespace varno {
namespace {

// The kernel exactly as defined, with std::sin.
float libraryKernel(float t) {
    if (t == 0.0f) return 1.0f;
    if (t < -3.0f || t > 3.0f) return 0.0f;
    const double p = 3.1415927410125732;
    const float s1 = float(std::sin(double(float(double(t) * p))));
    const float s2 = float(std::sin(double(float(double(t) / 3.0 * p))));
    return float((3.0 * s1 * s2) / (9.869604950382893 * t * t));
}

// The interpolation as defined, on top of libraryKernel.
float libraryInterpolate(const float* b, float x) {
    const int k = int(std::floor(double(x)));
    float acc = 0.0f;
    for (int j = k - 2; j <= k + 3; ++j)
        acc = float(double(acc) + double(libraryKernel(float(double(x) - j))) * double(b[j]));
    return acc;
}

TEST(ResampleNearest, FixedPointStepPicksTheseIndices) {
    struct Row { int32_t n; int32_t m; std::vector<int> indices; };
    const Row rows[] = {
        {3, 8, {0, 0, 0, 1, 1, 1, 2, 2}},
        // step 10922 (10922.67 truncated) falls short of every exact boundary
        {6, 18, {0, 0, 0, 0, 1, 1, 1, 2, 2, 2, 3, 3, 3, 4, 4, 4, 5, 5}},
        {4, 4, {0, 1, 2, 3}},                      // n = m: step 0x8000, a copy
        {8, 2, {0, 4}},                            // shrinking
        {1, 6, {0, 0, 0, 0, 0, 0}},
    };
    for (const Row& r : rows) {
        std::vector<float> src(size_t(r.n));
        for (int32_t i = 0; i < r.n; ++i) src[size_t(i)] = 0.01f * float(i + 1);
        std::vector<float> dst(size_t(r.m) + 1, 7.0f);
        resampleNearest(src.data(), r.n, dst.data(), r.m);
        for (int32_t i = 0; i < r.m; ++i) EXPECT_EQ(dst[size_t(i)], src[size_t(r.indices[size_t(i)])]) << r.n << "/" << r.m << " at " << i;
        EXPECT_EQ(dst[size_t(r.m)], 7.0f) << "wrote past m";
    }
}

TEST(ResampleNearest, EmptyBlocksAndEmptyOutputs) {
    std::vector<float> dst(8, 7.0f);
    const float src[2] = {0.5f, 0.25f};
    resampleNearest(src, 0, dst.data(), 6);
    for (int i = 0; i < 6; ++i) EXPECT_EQ(dst[size_t(i)], 0.0f);
    EXPECT_EQ(dst[6], 7.0f);
    dst.assign(8, 7.0f);
    resampleNearest(src, 2, dst.data(), 0);
    for (float v : dst) EXPECT_EQ(v, 7.0f);
    // The largest block at the longest tick: step 1449 (1449.5 truncated), so
    // the last output takes index 65533 * 1449 >> 15 = 2897.
    std::vector<float> big(2899, 0.125f);
    big[2897] = 0.5f;
    std::vector<float> out(65534);
    resampleNearest(big.data(), 2899, out.data(), 65534);
    EXPECT_EQ(out.back(), 0.5f);
    EXPECT_EQ(out[65514], 0.5f);   // 65514 * 1449 >> 15 = 2897
    EXPECT_EQ(out[65513], 0.125f); // 65513 * 1449 >> 15 = 2896
}

TEST(KernelSine, MatchesTheLibrarySineOnEveryKernelArgument) {
    // Every float argument the kernel can take on a fine grid of t, and the
    // awkward ones next to multiples of pi.
    double worst = 0;
    for (int i = -3 * 65536; i <= 3 * 65536; ++i) {
        const float t = float(i) / 65536.0f;
        for (double scale : {1.0, 1.0 / 3.0}) {
            const float a = float(double(t) * scale * 3.1415927410125732);
            worst = std::max(worst, std::abs(kernelSine(a) - std::sin(double(a))));
        }
    }
    for (int k = -3; k <= 3; ++k) {
        float a = float(k * 3.141592653589793);
        for (int step = 0; step < 64; ++step) {
            const double ref = std::sin(double(a));
            const double err = std::abs(kernelSine(a) - ref);
            EXPECT_LE(err, 1e-15 * std::max(std::abs(ref), 1e-300) + 1e-300) << a;
            a = std::nextafter(a, 100.0f);
        }
    }
    EXPECT_LT(worst, 1e-15);
}

TEST(LanczosKernel, StaysWithinAMillionthOfTheLibraryKernel) {
    int differing = 0, total = 0;
    float worst = 0;
    for (int i = -3 * 32768 - 16; i <= 3 * 32768 + 16; ++i) {
        const float t = float(i) / 32768.0f;
        const float ours = lanczosKernel(t);
        const float ref = libraryKernel(t);
        worst = std::max(worst, std::abs(ours - ref));
        differing += ours != ref;
        ++total;
    }
    EXPECT_LE(worst, 1e-6f);
    // Almost all are the same float: the only differences come from results
    // that lie within a hair of a rounding boundary.
    EXPECT_LE(differing, total / 10000) << differing << " of " << total;
}

TEST(LanczosKernel, KnownValues) {
    // 3 sin(pi t) sin(pi t / 3) / (pi^2 t^2).
    struct Row { float t; float expected; };
    const Row rows[] = {
        {0.0f, 1.0f},
        {0.5f, 0.6079271f},     // 3 * 1 * 0.5 / (pi^2 / 4)
        {-0.5f, 0.6079271f},
        {1.5f, -0.1350949f},    // 3 * -1 * 1 / (2.25 pi^2)
        {2.5f, 0.0243171f},     // 3 * 1 * 0.5 / (6.25 pi^2)
        {1.0f, 0.0f}, {2.0f, 0.0f}, {3.0f, 0.0f}, {-3.0f, 0.0f},
        {3.0001f, 0.0f}, {-7.0f, 0.0f}, {100.0f, 0.0f},
    };
    for (const Row& r : rows) EXPECT_NEAR(lanczosKernel(r.t), r.expected, 1e-6) << r.t;
    // The zeros at the integers are not exact: sin of a multiple of float(pi) is not 0.
    EXPECT_NE(lanczosKernel(1.0f), 0.0f);
    EXPECT_EQ(lanczosKernel(3.0001f), 0.0f);
}

TEST(ResampleSinc, InterpolationIsTheSumOfKernelTaps) {
    // Bit for bit: the taps evaluated side by side give what lanczosKernel gives
    // tap by tap. Vectorizing compilers have been seen to drop a rounding here.
    std::vector<float> w(80);
    for (size_t i = 0; i < w.size(); ++i) w[i] = float(std::sin(1.7 * double(i))) * 0.5f;
    const float* b = w.data() + 3;
    int differing = 0;
    for (int i = 0; i < 200000; ++i) {
        const float x = float(i) / 2731.0f;
        if (x >= 70.0f) break;
        const int k = int(std::floor(double(x)));
        float acc = 0.0f;
        for (int j = k - 2; j <= k + 3; ++j)
            acc = float(double(acc) + double(lanczosKernel(float(double(x) - j))) * double(b[j]));
        differing += sincInterpolate(b, x) != acc;
    }
    EXPECT_EQ(differing, 0);
}

TEST(ResampleSinc, EqualLengthsReproduceTheBlock) {
    const SincStatePtr state = createSincState();
    const std::vector<float> cur = {0.25f, -0.5f, 0.125f, 0.0f, 0.375f, -0.0625f, 0.4f, 0.1f};
    std::vector<float> dst(8);
    resampleSinc(*state, 0, 8, cur.data(), 8, dst.data(), nullptr, nullptr, 0);
    for (size_t i = 0; i < 8; ++i) EXPECT_NEAR(dst[i], cur[i], 1e-6) << i;
}

TEST(ResampleSinc, StretchedBlockMatchesTheDefinition) {
    const SincStatePtr state = createSincState();
    // 165 samples onto 960 outputs: step 0.171875, exact in a float.
    std::vector<float> prev(40), cur(165), next(7);
    for (size_t i = 0; i < prev.size(); ++i) prev[i] = 0.01f * float(i % 7) - 0.02f;
    for (size_t i = 0; i < cur.size(); ++i) cur[i] = float(std::sin(double(i) * 0.3)) * 0.4f;
    for (size_t i = 0; i < next.size(); ++i) next[i] = -0.3f + 0.05f * float(i);
    std::vector<float> dst(960);
    resampleSinc(*state, 40, 165, cur.data(), 960, dst.data(), prev.data(), next.data(), 7);

    std::vector<float> w(171, 0.0f);
    for (int i = 0; i < 3; ++i) w[size_t(i)] = prev[37 + size_t(i)];
    for (size_t i = 0; i < 165; ++i) w[3 + i] = cur[i];
    for (int i = 0; i < 3; ++i) w[168 + size_t(i)] = next[size_t(i)];
    float pos = 0.0f;
    for (size_t i = 0; i < 960; ++i) {
        EXPECT_NEAR(dst[i], libraryInterpolate(w.data() + 3, pos), 1e-6) << i;
        pos = pos + 0.171875f;
    }
    // The second output sits at 0.171875 and weighs b[-2] and b[-1] from the
    // previous block: without them it comes out different.
    std::vector<float> alone(960);
    resampleSinc(*state, 0, 165, cur.data(), 960, alone.data(), prev.data(), next.data(), 7);
    const float withoutContext = dst[1] - lanczosKernel(2.171875f) * prev[38] - lanczosKernel(1.171875f) * prev[39];
    EXPECT_NEAR(alone[1], withoutContext, 1e-6);
    EXPECT_GT(std::abs(alone[1] - dst[1]), 1e-4);
}

TEST(ResampleSinc, ShortNeighboursGiveNoContext) {
    const SincStatePtr state = createSincState();
    const std::vector<float> cur = {0.1f, 0.2f, 0.3f, 0.2f, 0.1f};
    const std::vector<float> loud = {0.5f, -0.5f, 0.5f};
    std::vector<float> none(12), two(12), three(12);
    resampleSinc(*state, 0, 5, cur.data(), 12, none.data(), nullptr, nullptr, 0);
    resampleSinc(*state, 2, 5, cur.data(), 12, two.data(), loud.data(), loud.data(), 2);
    resampleSinc(*state, 1, 5, cur.data(), 12, three.data(), loud.data(), loud.data(), 1);
    EXPECT_EQ(none, two);
    EXPECT_EQ(none, three);
    resampleSinc(*state, 3, 5, cur.data(), 12, three.data(), loud.data(), loud.data(), 3);
    EXPECT_NE(none, three);
}

TEST(ResampleSinc, EmptyBlockIsSilenceOrAFadeBetweenNeighbours) {
    const SincStatePtr state = createSincState();
    std::vector<float> dst(960, 7.0f);
    const std::vector<float> zeros(3, 0.0f);
    resampleSinc(*state, 3, 0, nullptr, 960, dst.data(), zeros.data(), zeros.data(), 3);
    for (float v : dst) EXPECT_EQ(v, 0.0f);

    // Two silent samples between the neighbours' edges, positions 0 .. 2 - 1/480.
    const std::vector<float> prev = {0.0f, 0.0f, 0.4f}, next = {0.4f, 0.0f, 0.0f};
    resampleSinc(*state, 3, 0, nullptr, 960, dst.data(), prev.data(), next.data(), 3);
    std::vector<float> w = {0.0f, 0.0f, 0.4f, 0.0f, 0.0f, 0.4f, 0.0f, 0.0f};
    float pos = 0.0f;
    const float step = float(2.0 / 960.0);
    for (size_t i = 0; i < 960; ++i) {
        EXPECT_NEAR(dst[i], libraryInterpolate(w.data() + 3, pos), 1e-6) << i;
        pos = pos + step;
    }
    EXPECT_GT(std::abs(dst[240]), 0.05f); // the neighbours' edges reach into the gap
}

} // namespace
} // namespace varno

namespace varno {
namespace {

// Direct evaluation, position by position, as the definition reads.
std::vector<float> directSinc(const std::vector<float>& w, int32_t n, int32_t m) {
    std::vector<float> out(static_cast<size_t>(m));
    const float step = float(double(n) / double(m));
    float pos = 0.0f;
    for (int32_t i = 0; i < m; ++i) {
        out[size_t(i)] = sincInterpolate(w.data() + 3, pos);
        pos = pos + step;
    }
    return out;
}

TEST(ResampleSinc, RepeatedBlockShapesGiveTheSameValuesAsAFreshEvaluation) {
    const SincStatePtr state = createSincState();
    // Many (n, m) pairs, revisited in an order that keeps some and evicts others,
    // and one output length too long to keep.
    const std::pair<int32_t, int32_t> shapes[] = {{331, 960}, {165, 960}, {627, 882}, {331, 960}, {12, 960},
                                                  {400, 960}, {401, 960}, {402, 960}, {403, 960}, {404, 960},
                                                  {405, 960}, {331, 960}, {165, 960}, {2899, 8000}, {2899, 8000},
                                                  {331, 962}, {331, 961}, {331, 960}};
    int round = 0;
    for (auto [n, m] : shapes) {
        std::vector<float> w(size_t(n) + 6);
        for (size_t i = 0; i < w.size(); ++i) w[i] = float(std::sin(0.37 * double(i) + round)) * 0.45f;
        std::vector<float> dst(static_cast<size_t>(m));
        resampleSinc(*state, 3, n, w.data() + 3, m, dst.data(), w.data(), w.data() + 3 + n, 3);
        EXPECT_EQ(dst, directSinc(w, n, m)) << n << "/" << m << " round " << round;
        ++round;
    }
}

} // namespace
} // namespace varno

namespace varno::test {
namespace {

// Bit for bit what sincInterpolate gives at each output position, whichever way
// resampleSinc takes: a fresh plan, the same plan again, vector pairs with a
// scalar tail (m not a multiple of four), or no plan at all (m past a plan's
// length), and after plans were evicted by other lengths; with and without the
// processor's 256-bit vectors.
TEST(ResampleSinc, EveryPathGivesTheValuesOfSingleInterpolation) {
    const SincStatePtr state = createSincState();
    for (const bool wide : {false, true}) {
        const bool using256 = allowWideVectors(wide);
        struct Case {
            int32_t n, m;
        };
        const Case cases[] = {{165, 960}, {166, 960}, {7, 13}, {331, 882}, {2, 5}, {3000, 4434}, {5000, 4609}, {900, 6000}};
        for (const Case& c : cases) {
            std::vector<float> prev(3), cur(size_t(c.n)), next(3);
            for (size_t i = 0; i < 3; ++i) prev[i] = 0.1f * float(i) - 0.2f, next[i] = 0.3f - 0.07f * float(i);
            for (size_t i = 0; i < cur.size(); ++i) cur[i] = float(std::sin(double(i) * 0.37 + c.m)) * 0.45f;

            std::vector<float> w(size_t(c.n) + 7, 0.0f);
            std::copy(prev.begin(), prev.end(), w.begin());
            std::copy(cur.begin(), cur.end(), w.begin() + 3);
            std::copy(next.begin(), next.end(), w.begin() + 3 + c.n);
            std::vector<float> expected(size_t(c.m));
            const float step = float(double(c.n) / double(c.m));
            float pos = 0.0f;
            for (float& e : expected) {
                e = sincInterpolate(w.data() + 3, pos < float(c.n) ? pos : float(c.n));
                pos = pos + step;
            }

            for (int pass = 0; pass < 3; ++pass) {
                std::vector<float> dst(size_t(c.m), 9.0f);
                resampleSinc(*state, 3, c.n, cur.data(), c.m, dst.data(), prev.data(), next.data(), 3);
                int differing = 0;
                for (size_t i = 0; i < dst.size(); ++i) differing += dst[i] != expected[i];
                EXPECT_EQ(differing, 0) << c.n << " onto " << c.m << ", pass " << pass << (using256 ? ", 256-bit" : "");
                // Crowd the plans out before the last pass.
                if (pass == 1)
                    for (int32_t other = 1; other <= 40; ++other) {
                        std::vector<float> block(size_t(other), 0.25f), scratch(960);
                        resampleSinc(*state, 0, other, block.data(), 960, scratch.data(), nullptr, nullptr, 0);
                    }
            }
        }
    }
    allowWideVectors(true);
}

} // namespace
} // namespace varno::test

namespace varno::test {
namespace {

// Two audio paths resampling on two threads at once, each with its own state:
// every value is still what single interpolation gives. Shared plans or
// scratch would let one thread's block overwrite the other's mid-tick.
TEST(ResampleSinc, PathsOnTwoThreadsKeepToTheirOwnBlocks) {
    struct Shape {
        int32_t n, m;
    };
    const Shape shapes[2] = {{165, 960}, {331, 882}};
    std::vector<float> blocks[2], expected[2];
    for (int t = 0; t < 2; ++t) {
        const Shape s = shapes[t];
        blocks[t].resize(size_t(s.n) + 6);
        for (size_t i = 0; i < blocks[t].size(); ++i) blocks[t][i] = float(std::sin(0.21 * double(i) + t)) * 0.45f;
        const float step = float(double(s.n) / double(s.m));
        float pos = 0.0f;
        for (int32_t i = 0; i < s.m; ++i, pos = pos + step)
            expected[t].push_back(sincInterpolate(blocks[t].data() + 3, pos < float(s.n) ? pos : float(s.n)));
    }
    int differing[2] = {};
    const auto play = [&](int t) {
        const SincStatePtr state = createSincState();
        const Shape s = shapes[t];
        std::vector<float> dst(size_t(s.m));
        const float* w = blocks[t].data();
        for (int block = 0; block < 2000; ++block) {
            resampleSinc(*state, 3, s.n, w + 3, s.m, dst.data(), w, w + 3 + s.n, 3);
            differing[t] += dst != expected[t];
        }
    };
    std::thread other(play, 1);
    play(0);
    other.join();
    EXPECT_EQ(differing[0], 0);
    EXPECT_EQ(differing[1], 0);
}

} // namespace
} // namespace varno::test
