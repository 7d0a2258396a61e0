// Oktalyzer songs written byte by byte: "OKTASONG", CMOD, SAMP, SPEE, SLEN, PLEN,
// PATT, a PBOD per pattern and an SBOD per sample with data.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

namespace varno::test {

struct OktCell {
    uint8_t note = 0, sample = 0, command = 0, param = 0; // note 1..36 (C-1..B-3), 0 none
};

struct OktSample {
    std::string name;
    std::vector<int8_t> data;
    uint16_t loopStartWords = 0, loopWords = 0;
    uint8_t volume = 64;
    uint16_t mode = 1; // 0: 7-bit, mixed channels only; 1: 8-bit, direct only; 2: both
};

struct OktSong {
    uint16_t doubled[4] = {0, 0, 0, 0};
    uint16_t speed = 6;
    std::vector<OktSample> samples;
    std::vector<std::vector<std::vector<OktCell>>> patterns; // [pattern][row][voice]
    std::vector<uint8_t> positions = {0};

    int voices() const { return 4 + doubled[0] + doubled[1] + doubled[2] + doubled[3]; }
};

inline void putBE(std::vector<uint8_t>& out, uint32_t value, int bytes) {
    for (int i = bytes - 1; i >= 0; --i) out.push_back(uint8_t(value >> (8 * i)));
}

inline void putChunk(std::vector<uint8_t>& out, const char* id, const std::vector<uint8_t>& body) {
    out.insert(out.end(), id, id + 4);
    putBE(out, uint32_t(body.size()), 4);
    out.insert(out.end(), body.begin(), body.end());
}

inline std::vector<uint8_t> writeOkt(const OktSong& song) {
    std::vector<uint8_t> out = {'O', 'K', 'T', 'A', 'S', 'O', 'N', 'G'}, body;
    for (uint16_t d : song.doubled) putBE(body, d, 2);
    putChunk(out, "CMOD", body);
    body.clear();
    for (size_t i = 0; i < 36; ++i) {
        const OktSample s = i < song.samples.size() ? song.samples[i] : OktSample{};
        for (size_t c = 0; c < 20; ++c) body.push_back(c < s.name.size() ? uint8_t(s.name[c]) : 0);
        putBE(body, uint32_t(s.data.size()), 4);
        putBE(body, s.loopStartWords, 2);
        putBE(body, s.loopWords, 2);
        body.push_back(0);
        body.push_back(s.volume);
        putBE(body, s.mode, 2);
    }
    putChunk(out, "SAMP", body);
    for (const auto& [id, value] : {std::pair<const char*, size_t>{"SPEE", song.speed},
                                    {"SLEN", song.patterns.size()},
                                    {"PLEN", song.positions.size()}}) {
        body.clear();
        putBE(body, uint32_t(value), 2);
        putChunk(out, id, body);
    }
    body.assign(128, 0);
    for (size_t i = 0; i < song.positions.size() && i < 128; ++i) body[i] = song.positions[i];
    putChunk(out, "PATT", body);
    for (const auto& pattern : song.patterns) {
        body.clear();
        putBE(body, uint32_t(pattern.size()), 2);
        for (const auto& row : pattern)
            for (int v = 0; v < song.voices(); ++v) {
                const OktCell c = v < int(row.size()) ? row[v] : OktCell{};
                body.insert(body.end(), {c.note, c.sample, c.command, c.param});
            }
        putChunk(out, "PBOD", body);
    }
    for (const auto& s : song.samples)
        if (!s.data.empty()) putChunk(out, "SBOD", std::vector<uint8_t>(s.data.begin(), s.data.end()));
    return out;
}

// A square wave of `bytes` bytes at +-amplitude, two bytes a cycle.
inline std::vector<int8_t> square(size_t bytes, int8_t amplitude) {
    std::vector<int8_t> data(bytes);
    for (size_t i = 0; i < bytes; ++i) data[i] = (i & 1) ? int8_t(-amplitude) : amplitude;
    return data;
}

} // namespace varno::test
