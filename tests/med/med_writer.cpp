#include "med_writer.h"

namespace varno::test {
namespace {

struct Out {
    std::vector<uint8_t> b;
    uint32_t base = 0; // where the song lies in its file: offsets count from the file's start
    size_t here() const { return b.size(); }
    void u8(unsigned v) { b.push_back(uint8_t(v)); }
    void u16(unsigned v) { u8(v >> 8), u8(v); }
    void u32(uint32_t v) { u16(v >> 16), u16(v & 0xFFFF); }
    void put16(size_t at, unsigned v) { b[at] = uint8_t(v >> 8), b[at + 1] = uint8_t(v); }
    void put32(size_t at, uint32_t v) { put16(at, v >> 16), put16(at + 2, v & 0xFFFF); }
    void align() { if (b.size() & 1) u8(0); }
    void pointer(size_t at, size_t target) { put32(at, uint32_t(target) + base); }
    void zeros(size_t n) { b.insert(b.end(), n, 0); }
};

void writeInstrument(Out& o, const MedInstrument& ins) {
    if (ins.type >= 0) {
        o.u32(uint32_t(ins.data.size()));
        o.u16(unsigned(ins.type));
        for (int8_t s : ins.data) o.u8(uint8_t(s));
        return;
    }
    const size_t start = o.here();
    o.u32(0);
    o.u16(uint16_t(int16_t(ins.type)));
    o.u8(0);
    o.zeros(3);
    o.u16(ins.rep);
    o.u16(ins.replen);
    o.u16(unsigned(ins.volumes.size()));
    o.u16(unsigned(ins.waveforms.size()));
    o.u8(ins.volume_speed);
    o.u8(ins.waveform_speed);
    const size_t waves = ins.type == -2 ? ins.waves.size() + 1 : ins.waves.size();
    o.u16(unsigned(waves));
    for (size_t i = 0; i < 128; ++i) o.u8(i < ins.volumes.size() ? ins.volumes[i] : 0);
    for (size_t i = 0; i < 128; ++i) o.u8(i < ins.waveforms.size() ? ins.waveforms[i] : 0);
    const size_t table = o.here();
    o.zeros(4 * waves);
    size_t w = 0;
    if (ins.type == -2) {
        o.put32(table, uint32_t(o.here() - start));
        o.u32(uint32_t(ins.data.size()));
        o.u16(0);
        for (int8_t s : ins.data) o.u8(uint8_t(s));
        o.align();
        w = 1;
    }
    for (const auto& wave : ins.waves) {
        o.put32(table + 4 * w++, uint32_t(o.here() - start));
        o.u16(unsigned(wave.size() / 2));
        for (int8_t s : wave) o.u8(uint8_t(s));
        o.align();
    }
}

// MMD2 and later: one section naming play sequence 0, its table and the sequence.
void writePlaySequence(Out& o, const MedSong& song, size_t pointers) {
    o.align();
    const size_t sections = o.here();
    o.u16(0);
    const size_t table = o.here();
    o.u32(0);
    const size_t pseq = o.here();
    o.zeros(40);
    o.u16(unsigned(song.sequence.size()));
    for (uint16_t entry : song.sequence) o.u16(entry);
    o.pointer(pointers, table);
    o.pointer(pointers + 4, sections);
    o.pointer(table, pseq);
}

} // namespace

std::vector<int8_t> squareWave(size_t bytes) {
    std::vector<int8_t> wave(bytes);
    for (size_t i = 0; i < bytes; ++i) wave[i] = i < bytes / 2 ? 127 : -128;
    return wave;
}

MedSong simpleSong(unsigned lines) {
    MedSong song;
    song.blocks.push_back(MedBlock(4, lines));
    song.sequence = {0};
    MedInstrument square;
    square.data = squareWave(64);
    square.rep = 0;
    square.replen = 32;
    square.name = "square";
    song.instruments.push_back(square);
    return song;
}

std::vector<uint8_t> writeMed(const MedSong& song) { return writeMedAt(song, 0); }

std::vector<uint8_t> writeMedAt(const MedSong& song, uint32_t base) {
    Out o;
    o.base = base;
    o.u8('M'), o.u8('M'), o.u8('D'), o.u8('0' + song.version);
    o.zeros(48);
    const size_t s = o.here(); // the song structure
    o.pointer(8, s);
    for (size_t i = 0; i < 63; ++i) {
        const MedInstrument* ins = i < song.instruments.size() ? &song.instruments[i] : nullptr;
        o.u16(ins ? ins->rep : 0);
        o.u16(ins ? ins->replen : 0);
        o.u8(0), o.u8(0);
        o.u8(ins ? ins->volume : 0);
        o.u8(ins ? uint8_t(ins->transpose) : 0);
    }
    o.u16(unsigned(song.blocks.size()));
    o.u16(song.version < 2 ? unsigned(song.sequence.size()) : 1u);
    const size_t sequence = o.here();
    o.zeros(256);
    o.u16(song.tempo);
    o.u8(uint8_t(song.transpose));
    o.u8(song.flags);
    o.u8(song.flags2);
    o.u8(song.tempo2);
    for (int i = 0; i < 16; ++i) o.u8(64);
    o.u8(64);
    o.u8(unsigned(song.instruments.size()));
    if (song.version < 2) {
        for (size_t i = 0; i < song.sequence.size() && i < 256; ++i) o.b[sequence + i] = uint8_t(song.sequence[i]);
    } else {
        o.put16(s + 520, song.mmd2_tracks);
        o.put16(s + 522, 1);
        if (!song.sequences_last) writePlaySequence(o, song, sequence);
    }
    o.align();
    const size_t blockTable = o.here();
    o.pointer(16, blockTable);
    o.zeros(4 * song.blocks.size());
    for (size_t i = 0; i < song.blocks.size(); ++i) {
        const MedBlock& block = song.blocks[i];
        o.align();
        o.pointer(blockTable + 4 * i, o.here());
        if (song.version == 0) {
            o.u8(block.tracks), o.u8(block.lines - 1);
            for (const MedCell& c : block.cells) {
                o.u8((c.note & 0x3F) | (c.instrument & 0x10) << 3 | (c.instrument & 0x20) << 1);
                o.u8((c.instrument & 0x0F) << 4 | (c.command & 0x0F));
                o.u8(c.param);
            }
        } else {
            o.u16(block.tracks), o.u16(block.lines - 1), o.u32(0);
            for (const MedCell& c : block.cells) o.u8(c.note), o.u8(c.instrument), o.u8(c.command), o.u8(c.param);
        }
    }
    o.align();
    const size_t sampleTable = o.here();
    o.pointer(24, sampleTable);
    o.zeros(4 * song.instruments.size());
    for (size_t i = 0; i < song.instruments.size(); ++i) {
        o.align();
        o.pointer(sampleTable + 4 * i, o.here());
        writeInstrument(o, song.instruments[i]);
    }
    // The expansion: hold and decay, names, the song name and the annotation.
    o.align();
    const size_t exp = o.here();
    o.pointer(32, exp);
    o.zeros(84);
    const size_t ext = o.here();
    for (const auto& ins : song.instruments) o.u8(ins.hold), o.u8(ins.decay), o.u8(0), o.u8(0);
    o.pointer(exp + 4, ext);
    o.put16(exp + 8, unsigned(song.instruments.size()));
    o.put16(exp + 10, 4);
    const size_t info = o.here();
    for (const auto& ins : song.instruments) {
        std::string name = ins.name;
        name.resize(42, '\0');
        for (char c : name) o.u8(uint8_t(c));
    }
    o.pointer(exp + 20, info);
    o.put16(exp + 24, unsigned(song.instruments.size()));
    o.put16(exp + 26, 42);
    auto text = [&](const std::string& t, size_t field) {
        if (t.empty()) return;
        o.pointer(exp + field, o.here());
        o.put32(exp + field + 4, uint32_t(t.size() + 1));
        for (char c : t) o.u8(uint8_t(c));
        o.u8(0);
    };
    text(song.name, 44);
    text(song.annotation, 12);
    if (song.version >= 2 && song.sequences_last) writePlaySequence(o, song, s + 508);
    o.align();
    o.put32(4, uint32_t(o.here()));
    return o.b;
}

} // namespace varno::test

namespace varno::test {

std::vector<uint8_t> writeMedSongs(const std::vector<MedSong>& songs) {
    std::vector<uint8_t> file;
    uint32_t previous = 0;
    for (size_t i = 0; i < songs.size(); ++i) {
        if (file.size() & 1) file.push_back(0);
        const uint32_t base = uint32_t(file.size());
        const std::vector<uint8_t> bytes = writeMedAt(songs[i], base);
        if (i > 0) {
            // The song before names this one as its next module.
            const uint32_t exp = uint32_t(file[previous + 32] << 24 | file[previous + 33] << 16 |
                                          file[previous + 34] << 8 | file[previous + 35]);
            for (int k = 0; k < 4; ++k) file[exp + k] = uint8_t(base >> (24 - 8 * k));
        }
        file.insert(file.end(), bytes.begin(), bytes.end());
        previous = base;
    }
    file[51] = uint8_t(songs.size() - 1); // the first header counts the others
    return file;
}

} // namespace varno::test
