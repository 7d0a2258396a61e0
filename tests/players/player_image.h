// Builds small DeliTracker/EaglePlayer players as hunk executables for tests:
// one code hunk with the player header, routines given as 68000 words, texts,
// and a tag list, with 32-bit relocations for every address in it.
#pragma once

#include <cstdint>
#include <cstring>
#include <initializer_list>
#include <string>
#include <vector>

namespace varno::test {

class PlayerImage {
public:
    explicit PlayerImage(const char* magic = "DELIRIUM") {
        words({0x70FF, 0x4E75});  // moveq #-1,d0 ; rts
        for (int i = 0; i < 8; ++i) code_.push_back(uint8_t(magic[i]));
        tagListField_ = longWord(0);
    }

    // Appends 68000 words; returns their offset in the hunk.
    uint32_t words(std::initializer_list<uint16_t> list) {
        const uint32_t at = size();
        for (uint16_t w : list) code_.push_back(uint8_t(w >> 8)), code_.push_back(uint8_t(w));
        return at;
    }
    uint32_t longWord(uint32_t value) { return words({uint16_t(value >> 16), uint16_t(value)}); }
    // A long holding the address of another offset of the hunk.
    uint32_t address(uint32_t target) {
        relocations_.push_back(size());
        return longWord(target);
    }
    uint32_t text(const std::string& s) {
        const uint32_t at = size();
        code_.insert(code_.end(), s.begin(), s.end());
        code_.push_back(0);
        if (code_.size() & 1) code_.push_back(0);
        return at;
    }
    // Common routines.
    uint32_t returning(int8_t d0) { return words({uint16_t(0x7000 | uint8_t(d0)), 0x4E75}); }
    uint32_t rts() { return words({0x4E75}); }
    // addq.w #1,counter ; rts — counts its calls in the word at counter.
    uint32_t counting(uint32_t counter) {
        const uint32_t at = words({0x5279});
        address(counter);
        words({0x4E75});
        return at;
    }
    // movea.l #target,a0 ; rts
    uint32_t loadingA0(uint32_t target) {
        const uint32_t at = words({0x207C});
        address(target);
        words({0x4E75});
        return at;
    }

    // Tags: a routine or text of the hunk, or a plain value.
    void tag(uint32_t id, uint32_t offset) { tags_.push_back({id, offset, true}); }
    void tagValue(uint32_t id, uint32_t value) { tags_.push_back({id, value, false}); }

    uint32_t size() const { return uint32_t(code_.size()); }

    // The hunk file. The tag list goes after everything added so far.
    std::vector<uint8_t> file() const {
        PlayerImage copy = *this;
        const uint32_t list = copy.size();
        for (const Tag& t : tags_) {
            copy.longWord(t.id);
            if (t.relocate)
                copy.address(t.value);
            else
                copy.longWord(t.value);
        }
        copy.longWord(0);
        copy.longWord(0);
        copy.patch(tagListField_, list);
        copy.relocations_.push_back(tagListField_);
        return copy.hunkFile();
    }

private:
    struct Tag {
        uint32_t id;
        uint32_t value;
        bool relocate;
    };
    void patch(uint32_t at, uint32_t value) {
        for (int i = 0; i < 4; ++i) code_[at + i] = uint8_t(value >> (24 - 8 * i));
    }
    std::vector<uint8_t> hunkFile() const {
        std::vector<uint8_t> out;
        auto put = [&](uint32_t v) {
            for (int i = 0; i < 4; ++i) out.push_back(uint8_t(v >> (24 - 8 * i)));
        };
        std::vector<uint8_t> body = code_;
        while (body.size() % 4) body.push_back(0);
        const uint32_t longs = uint32_t(body.size() / 4);
        put(0x3F3), put(0), put(1), put(0), put(0), put(longs);
        put(0x3E9), put(longs);
        out.insert(out.end(), body.begin(), body.end());
        put(0x3EC), put(uint32_t(relocations_.size())), put(0);
        for (uint32_t r : relocations_) put(r);
        put(0);
        put(0x3F2);
        return out;
    }

    std::vector<uint8_t> code_;
    std::vector<uint32_t> relocations_;
    std::vector<Tag> tags_;
    uint32_t tagListField_ = 0;
};

} // namespace varno::test
