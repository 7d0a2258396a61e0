// Builds small MMD0, MMD1 and MMD2 songs for the tests: blocks of cells, a play
// sequence, sampled and synth instruments, and the expansion's names.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

namespace varno::test {

struct MedCell {
    uint8_t note = 0, instrument = 0, command = 0, param = 0;
};

struct MedBlock {
    unsigned tracks = 4, lines = 64;
    std::vector<MedCell> cells = std::vector<MedCell>(4 * 64);
    MedBlock() = default;
    MedBlock(unsigned t, unsigned l) : tracks(t), lines(l), cells(t * l) {}
    MedCell& at(unsigned line, unsigned track) { return cells[line * tracks + track]; }
};

struct MedInstrument {
    std::vector<int8_t> data;        // a sample, or a hybrid's sample
    uint16_t rep = 0, replen = 0;    // words
    uint8_t volume = 64, hold = 0, decay = 0;
    int8_t transpose = 0;
    std::string name;
    int type = 0;                    // 0 sample, 1-6 IFF of several octaves, -1 synth, -2 hybrid
    std::vector<uint8_t> volumes, waveforms; // the synth sequences
    std::vector<std::vector<int8_t>> waves;  // the synth waveforms
    uint8_t volume_speed = 1, waveform_speed = 1;
};

struct MedSong {
    int version = 1;
    std::vector<MedBlock> blocks;
    std::vector<uint16_t> sequence;
    uint16_t tempo = 125;
    uint8_t tempo2 = 6;
    uint8_t flags = 0x20;  // slides as in SoundTracker
    uint8_t flags2 = 0x23; // BPM, 4 lines a beat
    int8_t transpose = 0;
    uint16_t mmd2_tracks = 4;
    bool sequences_last = false; // MMD2+: the play sequence after the samples
    std::vector<MedInstrument> instruments;
    std::string name, annotation;
};

// A square wave of the given length, full scale.
std::vector<int8_t> squareWave(size_t bytes);
// A song of one block: instrument 1 a looped square, the given cells on track 0.
MedSong simpleSong(unsigned lines = 16);
std::vector<uint8_t> writeMed(const MedSong& song);
// The song as it reads at `base` in a file: its offsets count from the file's start.
std::vector<uint8_t> writeMedAt(const MedSong& song, uint32_t base);
// Several songs in one file, each MMD header chained from the one before.
std::vector<uint8_t> writeMedSongs(const std::vector<MedSong>& songs);

// Offsets in a written file, for damaging it on purpose.
constexpr uint32_t kMedSongOffset = 52;

} // namespace varno::test
