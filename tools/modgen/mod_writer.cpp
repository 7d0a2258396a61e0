#include "mod_writer.h"

#include <algorithm>
#include <cstring>
#include <stdexcept>

namespace varno::modgen {

namespace {

const uint16_t kPeriods[36] = {856, 808, 762, 720, 678, 640, 604, 570, 538, 508, 480, 453,
                               428, 404, 381, 360, 339, 320, 302, 285, 269, 254, 240, 226,
                               214, 202, 190, 180, 170, 160, 151, 143, 135, 127, 120, 113};

void putWord(std::vector<uint8_t>& out, uint32_t value) {
    out.push_back(uint8_t(value >> 8));
    out.push_back(uint8_t(value));
}

void putText(std::vector<uint8_t>& out, const std::string& text, size_t size) {
    for (size_t i = 0; i < size; ++i) out.push_back(i < text.size() ? uint8_t(text[i]) : 0);
}

} // namespace

uint16_t notePeriod(int note) {
    if (note < 0 || note >= 36) throw std::out_of_range("note outside C-1..B-3");
    return kPeriods[note];
}

uint16_t note(const char* name) {
    static const char* names[12] = {"C-", "C#", "D-", "D#", "E-", "F-", "F#", "G-", "G#", "A-", "A#", "B-"};
    for (int i = 0; i < 12; ++i)
        if (std::strncmp(name, names[i], 2) == 0) return notePeriod((name[2] - '1') * 12 + i);
    throw std::invalid_argument(std::string("not a note: ") + name);
}

std::vector<uint8_t> writeModule(const Module& module) {
    const bool soundtracker = module.magic.empty();
    const size_t sampleCount = soundtracker ? 15 : 31;
    if (module.samples.size() > sampleCount) throw std::invalid_argument("too many samples");
    if (module.orders.empty() || module.orders.size() > 128) throw std::invalid_argument("1..128 positions");
    std::vector<uint8_t> out;
    putText(out, module.title, 20);
    for (size_t i = 0; i < sampleCount; ++i) {
        const Sample blank;
        const Sample& s = i < module.samples.size() ? module.samples[i] : blank;
        putText(out, s.name, 22);
        putWord(out, uint32_t(s.data.size() / 2));
        out.push_back(s.finetune & 0x0F);
        out.push_back(s.volume);
        const bool looped = s.loopLength > 2;
        putWord(out, looped ? s.loopStart / 2 : 0);
        putWord(out, looped ? s.loopLength / 2 : 1);
    }
    out.push_back(uint8_t(module.orders.size()));
    out.push_back(soundtracker ? 0x78 : 0x7F);
    for (size_t i = 0; i < 128; ++i) out.push_back(i < module.orders.size() ? module.orders[i] : 0);
    if (!soundtracker) putText(out, module.magic, 4);
    const size_t stored = size_t(*std::max_element(module.orders.begin(), module.orders.end())) + 1;
    if (stored > module.patterns.size()) throw std::invalid_argument("a position names a missing pattern");
    for (size_t p = 0; p < stored; ++p)
        for (const auto& row : module.patterns[p].cells)
            for (const Cell& c : row) {
                out.push_back(uint8_t((c.sample & 0xF0) | ((c.period >> 8) & 0x0F)));
                out.push_back(uint8_t(c.period));
                out.push_back(uint8_t((c.sample & 0x0F) << 4 | (c.command & 0x0F)));
                out.push_back(c.param);
            }
    for (const Sample& s : module.samples)
        for (int8_t v : s.data) out.push_back(uint8_t(v));
    return out;
}

} // namespace varno::modgen
