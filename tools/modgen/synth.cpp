#include "synth.h"

#include <cmath>
#include <numbers>

namespace varno::modgen {

namespace {

int8_t clip(double v) {
    const long r = std::lround(v);
    return int8_t(r > 127 ? 127 : r < -128 ? -128 : r);
}

} // namespace

std::vector<int8_t> squareCycle(int length, int amplitude) {
    std::vector<int8_t> out(static_cast<size_t>(length));
    for (int i = 0; i < length; ++i) out[size_t(i)] = int8_t(i < length / 2 ? amplitude : -amplitude);
    return out;
}

std::vector<int8_t> sawCycle(int length, int amplitude) {
    std::vector<int8_t> out(static_cast<size_t>(length));
    for (int i = 0; i < length; ++i) out[size_t(i)] = clip(amplitude * (2.0 * i / length - 1.0));
    return out;
}

std::vector<int8_t> sineCycle(int length, int amplitude) {
    std::vector<int8_t> out(static_cast<size_t>(length));
    for (int i = 0; i < length; ++i) out[size_t(i)] = clip(amplitude * std::sin(2 * std::numbers::pi * i / length));
    return out;
}

std::vector<int8_t> repeat(const std::vector<int8_t>& cycle, int count) {
    std::vector<int8_t> out;
    for (int i = 0; i < count; ++i) out.insert(out.end(), cycle.begin(), cycle.end());
    return out;
}

std::vector<int8_t> kick(int length, int startCycle, int endCycle) {
    std::vector<int8_t> out(static_cast<size_t>(length));
    double phase = 0;
    for (int i = 0; i < length; ++i) {
        const double t = double(i) / length;
        const double cycle = startCycle + (endCycle - startCycle) * t;
        out[size_t(i)] = clip(120 * (1 - t) * std::sin(phase));
        phase += 2 * std::numbers::pi / cycle;
    }
    out[0] = out[1] = 0;
    return out;
}

std::vector<int8_t> noiseBurst(int length, int amplitude, double decay) {
    std::vector<int8_t> out(static_cast<size_t>(length));
    uint32_t state = 0x12345678u;
    for (int i = 0; i < length; ++i) {
        state = state * 1664525u + 1013904223u;
        const double v = double(int32_t(state >> 16) - 32768) / 32768.0;
        out[size_t(i)] = clip(amplitude * v * std::pow(decay, i));
    }
    out[0] = out[1] = 0;
    return out;
}

std::vector<int8_t> fade(std::vector<int8_t> data, double end) {
    const size_t n = data.size();
    for (size_t i = 0; i < n; ++i) data[i] = clip(data[i] * (1.0 + (end - 1.0) * double(i) / double(n)));
    return data;
}

} // namespace varno::modgen
