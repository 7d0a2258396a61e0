// Host file handles and the values 68000 code holds for them.
#include "amigaos/host_file_table.h"

namespace varno {

uint32_t HostFileTable::add(HostFile file) {
    if (!file) return 0;
    Entry* slot = nullptr;
    for (Entry& entry : entries_)
        if (!entry.file) {
            slot = &entry;
            break;
        }
    if (!slot) return 0;
    // A 64-bit pointer may not fit a 68000 register; a 32-bit one always does.
    const uint64_t raw = reinterpret_cast<uintptr_t>(file);
    const bool fits = raw <= UINT32_MAX && !inUse(uint32_t(raw));
    slot->file = file;
    slot->value = fits ? uint32_t(raw) : newToken();
    return slot->value;
}

HostFile HostFileTable::find(uint32_t value) const {
    if (value == 0) return nullptr;
    for (const Entry& entry : entries_)
        if (entry.file && entry.value == value) return entry.file;
    return nullptr;
}

HostFile HostFileTable::remove(uint32_t value) {
    if (value == 0) return nullptr;
    for (Entry& entry : entries_)
        if (entry.file && entry.value == value) {
            HostFile file = entry.file;
            entry = Entry{};
            return file;
        }
    return nullptr;
}

HostFile HostFileTable::removeAny() {
    for (Entry& entry : entries_)
        if (entry.file) {
            HostFile file = entry.file;
            entry = Entry{};
            return file;
        }
    return nullptr;
}

size_t HostFileTable::size() const {
    size_t n = 0;
    for (const Entry& entry : entries_) n += entry.file != nullptr;
    return n;
}

bool HostFileTable::inUse(uint32_t value) const { return find(value) != nullptr; }

uint32_t HostFileTable::newToken() {
    // At most kCapacity values are in use, so this ends within kCapacity + 2 steps.
    uint32_t token;
    do token = nextToken_++;
    while (token == 0 || inUse(token));
    return token;
}

} // namespace varno
