// The host tables. Slots the plugin must not call hold traps that name the slot and
// stop the run: a call through a wrong position shows at once.
#include "host_tables.h"

#include <array>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <fstream>
#include <iterator>
#include <memory>
#include <optional>
#include <utility>

#include "zip_reader.h"

namespace xmphost {

namespace {

struct File {
    std::string path;
    std::vector<uint8_t> bytes;
    uint32_t position = 0;
    std::vector<char> entryList;
};

std::optional<std::vector<uint8_t>> readWhole(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    if (!in) return std::nullopt;
    return std::vector<uint8_t>((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
}

File* asFile(void* handle) { return static_cast<File*>(handle); }

void* newFile(std::string path, std::vector<uint8_t> bytes) {
    auto* f = new File;
    f->path = std::move(path);
    f->bytes = std::move(bytes);
    return f;
}

void* openEntryOf(const std::string& archivePath, const std::string& entry) {
    auto bytes = readWhole(archivePath);
    if (!bytes) return nullptr;
    ZipReader zip(std::move(*bytes));
    auto contents = zip.read(entry);
    return contents ? newFile(archivePath + "|" + entry, std::move(*contents)) : nullptr;
}

// --- memory (table 0) ---
void* XMPHOST_API memAllocate(uint32_t bytes) { return std::malloc(bytes ? bytes : 1); }
void* XMPHOST_API memReallocate(void* block, uint32_t bytes) { return std::realloc(block, bytes ? bytes : 1); }
void XMPHOST_API memRelease(void* block) { std::free(block); }

// --- settings (table 1) ---
std::string settingsPath;

std::string settingKey(const char* section, const char* key) {
    return std::string(section ? section : "") + "/" + (key ? key : "");
}

void writeSettings() {
    if (settingsPath.empty()) return;
    std::ofstream out(settingsPath, std::ios::trunc);
    for (const auto& [key, value] : settings()) out << key << '=' << value << '\n';
}

int XMPHOST_API settingsGetInt(const char* section, const char* key, int* value) {
    auto it = settings().find(settingKey(section, key));
    if (it == settings().end() || !value) return 0;
    *value = it->second;
    return 1;
}

int XMPHOST_API settingsSetInt(const char* section, const char* key, const int* value) {
    if (!value) return 0;
    settings()[settingKey(section, key)] = *value;
    writtenKeys().push_back(settingKey(section, key));
    writeSettings();
    return 1;
}

// --- files (table 2) ---
void* XMPHOST_API fileOpen(const char* path) {
    if (!path) return nullptr;
    const std::string text = path;
    const size_t bar = text.find('|');
    if (bar != std::string::npos) return openEntryOf(text.substr(0, bar), text.substr(bar + 1));
    auto bytes = readWhole(text);
    return bytes ? newFile(text, std::move(*bytes)) : nullptr;
}

void XMPHOST_API fileClose(void* handle) {
    delete asFile(handle);
}

uint32_t XMPHOST_API fileSize(void* handle) { return handle ? uint32_t(asFile(handle)->bytes.size()) : 0; }

uint32_t XMPHOST_API fileRead(void* handle, void* buffer, uint32_t bytes) {
    File* f = asFile(handle);
    if (!f || !buffer) return 0;
    const uint32_t size = uint32_t(f->bytes.size());
    const uint32_t n = std::min(bytes, size - std::min(f->position, size));
    if (n) std::memcpy(buffer, f->bytes.data() + f->position, n);
    f->position += n;
    return n;
}

int XMPHOST_API fileSeek(void* handle, uint32_t position) {
    File* f = asFile(handle);
    if (!f || position > f->bytes.size()) return 0;
    f->position = position;
    return 1;
}

uint32_t XMPHOST_API fileTell(void* handle) { return handle ? asFile(handle)->position : 0; }

char* XMPHOST_API fileListEntries(void* handle) {
    File* f = asFile(handle);
    if (!f) return nullptr;
    ZipReader zip(f->bytes);
    if (!zip.valid()) return nullptr;
    f->entryList.clear();
    for (const std::string& name : zip.names()) f->entryList.insert(f->entryList.end(), name.c_str(), name.c_str() + name.size() + 1);
    f->entryList.push_back('\0');
    return f->entryList.data();
}

void* XMPHOST_API fileOpenEntry(void* archive, const char* entry, uint32_t) {
    File* f = asFile(archive);
    if (!f || !entry) return nullptr;
    ZipReader zip(f->bytes);
    auto contents = zip.read(entry);
    return contents ? newFile(f->path + "|" + entry, std::move(*contents)) : nullptr;
}

// --- text (table 3): the host's tags and texts are UTF-8; the test host copies. ---
char* XMPHOST_API textConvert(const char* text, int length) {
    const size_t n = length < 0 ? std::strlen(text) : size_t(length);
    char* copy = static_cast<char*>(std::malloc(n + 1));
    std::memcpy(copy, text, n);
    copy[n] = '\0';
    return copy;
}

// --- input services (table 11) ---
void XMPHOST_API inputSetLength(float seconds, int) { reportedLengths().push_back(seconds); }

int unexpected = 0;

template <int Table, int Slot>
void XMPHOST_API trap() {
    std::fprintf(stderr, "FAIL: the plugin called host table %d slot %d, which it must not use\n", Table, Slot);
    std::fflush(stderr);
    ++unexpected;
    std::_Exit(3);
}

template <int Table, size_t... Slots>
std::array<void*, sizeof...(Slots)> traps(std::index_sequence<Slots...>) {
    return {reinterpret_cast<void*>(&trap<Table, int(Slots)>)...};
}

template <int Table, size_t N>
std::array<void*, N> tableOfTraps() {
    return traps<Table>(std::make_index_sequence<N>{});
}

template <typename F>
void* fn(F f) {
    return reinterpret_cast<void*>(f);
}

struct Tables {
    std::array<void*, 8> memory = tableOfTraps<0, 8>();
    std::array<void*, 8> settings = tableOfTraps<1, 8>();
    std::array<void*, 24> files = tableOfTraps<2, 24>();
    std::array<void*, 8> text = tableOfTraps<3, 8>();
    std::array<void*, 16> status = tableOfTraps<4, 16>();
    std::array<void*, 16> input = tableOfTraps<11, 16>();

    Tables() {
        memory[2] = fn(&memAllocate);
        memory[3] = fn(&memReallocate);
        memory[4] = fn(&memRelease);
        settings[2] = fn(&settingsGetInt);
        settings[5] = fn(&settingsSetInt);
        files[0] = fn(&fileOpen);
        files[2] = fn(&fileClose);
        files[4] = fn(&fileSize);
        files[7] = fn(&fileRead);
        files[8] = fn(&fileSeek);
        files[9] = fn(&fileTell);
        files[14] = fn(&fileListEntries);
        files[15] = fn(&fileOpenEntry);
        text[0] = fn(&textConvert);
        input[0] = fn(&inputSetLength);
    }
};

Tables& tables() {
    static Tables t;
    return t;
}

void* XMPHOST_API lookUp(uint32_t table) {
    Tables& t = tables();
    switch (table) {
    case 0: return t.memory.data();
    case 1: return t.settings.data();
    case 2: return t.files.data();
    case 3: return t.text.data();
    case 4: return t.status.data();
    case 11: return t.input.data();
    default:
        std::fprintf(stderr, "FAIL: the plugin asked for host table %u\n", table);
        ++unexpected;
        return nullptr;
    }
}

} // namespace

GetFunctions getFunctions() { return &lookUp; }

void useSettingsFile(const std::string& path) {
    settingsPath = path;
    std::ifstream in(path);
    std::string line;
    while (std::getline(in, line)) {
        const size_t equals = line.find('=');
        if (equals != std::string::npos) settings()[line.substr(0, equals)] = std::atoi(line.c_str() + equals + 1);
    }
}

std::map<std::string, int>& settings() {
    static std::map<std::string, int> store;
    return store;
}

std::vector<std::string>& writtenKeys() {
    static std::vector<std::string> keys;
    return keys;
}

std::vector<float>& reportedLengths() {
    static std::vector<float> lengths;
    return lengths;
}

int unexpectedCalls() { return unexpected; }

void* openFile(const char* path) { return fileOpen(path); }
void closeFile(void* file) { fileClose(file); }
void releaseBlock(void* block) { memRelease(block); }

} // namespace xmphost
