// File, archive, memory, settings and length services for the plugin when no
// XMPlay is around. Files are read whole into memory when opened: modules and
// their companions are small, and it makes archive entries and plain files alike.
#include "host/portable_host.h"

#include "host/settings_file.h"
#include "amigaos/text.h"

#include <zip.h>

#include <algorithm>
#include <cctype>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <memory>
#include <optional>
#include <vector>

namespace varno {

namespace {

namespace fs = std::filesystem;

struct OpenFile {
    std::string path;              // the file system path (the archive for entries)
    std::vector<uint8_t> bytes;
    uint32_t position = 0;
    std::vector<char> entryList;   // kept until close: the plugin does not release it
};

std::vector<std::unique_ptr<OpenFile>>& openFiles() {
    static std::vector<std::unique_ptr<OpenFile>> files;
    return files;
}

// Handles are small numbers, so they survive the trip through a 32-bit 68000 register.
HostFile toHandle(size_t slot) { return reinterpret_cast<HostFile>(slot + 1); }

OpenFile* fromHandle(HostFile handle) {
    auto slot = reinterpret_cast<uintptr_t>(handle);
    auto& files = openFiles();
    if (slot == 0 || slot > files.size()) return nullptr;
    return files[slot - 1].get();
}

HostFile store(std::unique_ptr<OpenFile> file) {
    auto& files = openFiles();
    for (size_t i = 0; i < files.size(); ++i)
        if (!files[i]) {
            files[i] = std::move(file);
            return toHandle(i);
        }
    files.push_back(std::move(file));
    return toHandle(files.size() - 1);
}

bool equalNoCase(const std::string& a, const std::string& b) {
    return a.size() == b.size() && std::equal(a.begin(), a.end(), b.begin(), [](char x, char y) {
               return std::tolower(static_cast<unsigned char>(x)) == std::tolower(static_cast<unsigned char>(y));
           });
}

// The entry of a folder named so, or without regard to case, as AmigaDOS and
// Windows name files and as Amiga players name their companion files.
std::optional<fs::path> findInFolder(const fs::path& folder, const std::string& name) {
    std::error_code ec;
    const fs::path exact = folder / name;
    if (fs::exists(exact, ec)) return exact;
    for (const auto& entry : fs::directory_iterator(folder, ec))
        if (equalNoCase(entry.path().filename().string(), name)) return entry.path();
    return std::nullopt;
}

// Looks up names[from..] below folder. A name joined to the next by a backslash
// may be one name: on a file system where a backslash is a character of names,
// "a\b" is a file of that name or the file b in the folder a.
std::optional<fs::path> findParts(const fs::path& folder, const std::vector<std::string>& names,
                                  const std::vector<bool>& backslashAfter, size_t from) {
    std::string name;
    for (size_t last = from; last < names.size(); ++last) {
        name += names[last];
        if (const std::optional<fs::path> found = findInFolder(folder, name)) {
            if (last + 1 == names.size()) return found;
            std::error_code ec;
            if (fs::is_directory(*found, ec))
                if (auto below = findParts(*found, names, backslashAfter, last + 1)) return below;
        }
        if (!backslashAfter[last]) break;
        name += '\\';
    }
    return std::nullopt;
}

// The file or folder a host path names. Paths come from players with either
// separator and in any letter case.
std::optional<fs::path> findOnDisk(const std::string& path) {
    std::error_code ec;
    if (path.empty()) return std::nullopt;
    if (fs::exists(path, ec)) return fs::path(path);
    std::vector<std::string> names;
    std::vector<bool> backslashAfter;
    std::string name;
    for (char c : path) {
        if (c != '/' && c != '\\') {
            name += c;
            continue;
        }
        // Empty names (a root, doubled separators) name nothing of their own.
        if (!name.empty()) {
            names.push_back(name);
            backslashAfter.push_back(c == '\\');
        }
        name.clear();
    }
    if (name.empty()) return std::nullopt;
    names.push_back(name);
    backslashAfter.push_back(false);
    const bool absolute = path[0] == '/' || path[0] == '\\';
    return findParts(absolute ? fs::path("/") : fs::path("."), names, backslashAfter, 0);
}

} // namespace

std::optional<ArchivePath> splitArchivePath(const std::string& path) {
    std::error_code ec;
    if (path.find('|') == std::string::npos) return std::nullopt;
    if (const std::optional<fs::path> itself = findOnDisk(path); itself && fs::is_regular_file(*itself, ec))
        return std::nullopt;
    // From the last "|": an archive whose own name holds a "|" is found too.
    for (size_t bar = path.rfind('|'); bar != std::string::npos && bar > 0; bar = path.rfind('|', bar - 1)) {
        const std::optional<fs::path> archive = findOnDisk(path.substr(0, bar));
        if (archive && fs::is_regular_file(*archive, ec)) return ArchivePath{archive->string(), path.substr(bar + 1)};
    }
    return std::nullopt;
}

namespace {

// Files are read whole when opened. Nothing the emulated Amiga can hold comes near
// this size; beyond it a file, or what a damaged archive says an entry holds, is
// not read at all.
constexpr uintmax_t kMaxFileBytes = uintmax_t(64) << 20;

std::optional<std::vector<uint8_t>> readWholeFile(const fs::path& path) {
    std::error_code ec;
    if (!fs::is_regular_file(path, ec)) return std::nullopt;
    const uintmax_t size = fs::file_size(path, ec);
    if (ec || size > kMaxFileBytes) return std::nullopt;
    std::ifstream in(path, std::ios::binary);
    if (!in) return std::nullopt;
    // In one read: a folder scan opens every file.
    std::vector<uint8_t> bytes(static_cast<size_t>(size));
    in.read(reinterpret_cast<char*>(bytes.data()), std::streamsize(size));
    bytes.resize(size_t(in.gcount()));
    return bytes;
}

struct ZipCloser {
    void operator()(zip_t* z) const { zip_discard(z); }
};
using ZipArchive = std::unique_ptr<zip_t, ZipCloser>;

ZipArchive openZip(const std::string& path) {
    int error = 0;
    return ZipArchive(zip_open(path.c_str(), ZIP_RDONLY, &error));
}

std::string normaliseEntryName(std::string name) {
    std::replace(name.begin(), name.end(), '\\', '/');
    return name;
}

HostFile openEntryOf(const std::string& archivePath, const std::string& entryName) {
    ZipArchive zip = openZip(archivePath);
    if (!zip) return nullptr;
    std::string wanted = normaliseEntryName(entryName);
    zip_int64_t index = zip_name_locate(zip.get(), wanted.c_str(), ZIP_FL_NOCASE);
    if (index < 0) return nullptr;
    zip_stat_t st;
    if (zip_stat_index(zip.get(), zip_uint64_t(index), 0, &st) != 0 || !(st.valid & ZIP_STAT_SIZE) ||
        st.size > kMaxFileBytes)
        return nullptr;
    zip_file_t* entry = zip_fopen_index(zip.get(), zip_uint64_t(index), 0);
    if (!entry) return nullptr;
    auto file = std::make_unique<OpenFile>();
    file->path = archivePath;
    file->bytes.resize(size_t(st.size));
    zip_int64_t got = st.size ? zip_fread(entry, file->bytes.data(), st.size) : 0;
    zip_fclose(entry);
    if (got != zip_int64_t(st.size)) return nullptr;
    return store(std::move(file));
}

std::map<std::string, std::string>& redirects() {
    static std::map<std::string, std::string> table;
    return table;
}

// Network paths are the music player's business; this host reads local files only.
bool isUrl(const std::string& path) {
    const size_t colon = path.find("://");
    if (colon == std::string::npos) return false;
    std::string scheme = path.substr(0, colon);
    std::transform(scheme.begin(), scheme.end(), scheme.begin(), [](unsigned char c) { return char(std::tolower(c)); });
    return scheme == "http" || scheme == "https" || scheme == "ftp";
}

HostFile VARNO_HOSTAPI fileOpen(const char* rawPath) {
    if (!rawPath) return nullptr;
    std::string path(rawPath);
    if (auto it = redirects().find(path); it != redirects().end()) path = it->second;
    if (isUrl(path)) return nullptr;
    if (const std::optional<ArchivePath> entry = splitArchivePath(path)) return openEntryOf(entry->archive, entry->entry);
    auto found = findOnDisk(path);
    if (!found) return nullptr;
    auto bytes = readWholeFile(*found);
    if (!bytes) return nullptr;
    auto file = std::make_unique<OpenFile>();
    file->path = found->string();
    file->bytes = std::move(*bytes);
    return store(std::move(file));
}

void VARNO_HOSTAPI fileClose(HostFile handle) {
    auto slot = reinterpret_cast<uintptr_t>(handle);
    auto& files = openFiles();
    if (slot >= 1 && slot <= files.size()) files[slot - 1].reset();
}

uint32_t VARNO_HOSTAPI fileSize(HostFile handle) {
    OpenFile* f = fromHandle(handle);
    return f ? uint32_t(f->bytes.size()) : 0;
}

uint32_t VARNO_HOSTAPI fileRead(HostFile handle, void* buffer, uint32_t bytes) {
    OpenFile* f = fromHandle(handle);
    if (!f || !buffer) return 0;
    uint32_t available = uint32_t(f->bytes.size()) - std::min(f->position, uint32_t(f->bytes.size()));
    uint32_t n = std::min(bytes, available);
    if (n) std::memcpy(buffer, f->bytes.data() + f->position, n);
    f->position += n;
    return n;
}

int VARNO_HOSTAPI fileSeek(HostFile handle, uint32_t position) {
    OpenFile* f = fromHandle(handle);
    if (!f || position > f->bytes.size()) return 0;
    f->position = position;
    return 1;
}

uint32_t VARNO_HOSTAPI fileTell(HostFile handle) {
    OpenFile* f = fromHandle(handle);
    return f ? f->position : 0;
}

char* VARNO_HOSTAPI fileListEntries(HostFile handle) {
    OpenFile* f = fromHandle(handle);
    if (!f) return nullptr;
    ZipArchive zip = openZip(f->path);
    if (!zip) return nullptr;
    f->entryList.clear();
    zip_int64_t count = zip_get_num_entries(zip.get(), 0);
    for (zip_int64_t i = 0; i < count; ++i) {
        const char* name = zip_get_name(zip.get(), zip_uint64_t(i), 0);
        if (!name || !*name || name[std::strlen(name) - 1] == '/') continue; // folders are not files
        f->entryList.insert(f->entryList.end(), name, name + std::strlen(name) + 1);
    }
    f->entryList.push_back(0);
    return f->entryList.data();
}

HostFile VARNO_HOSTAPI fileOpenEntry(HostFile archive, const char* entry, uint32_t) {
    OpenFile* f = fromHandle(archive);
    return f && entry ? openEntryOf(f->path, entry) : nullptr;
}

void* VARNO_HOSTAPI memAllocate(uint32_t bytes) { return std::malloc(bytes ? bytes : 1); }
void* VARNO_HOSTAPI memReallocate(void* block, uint32_t bytes) { return std::realloc(block, bytes ? bytes : 1); }
void VARNO_HOSTAPI memRelease(void* block) { std::free(block); }

std::string settingKey(const char* section, const char* key) {
    return std::string(section ? section : "") + "/" + (key ? key : "");
}

std::unique_ptr<SettingsFile>& settingsStore() {
    static std::unique_ptr<SettingsFile> store;
    if (!store) store = std::make_unique<SettingsFile>(defaultSettingsPath());
    return store;
}

int VARNO_HOSTAPI settingsGetInt(const char* section, const char* key, int* value) {
    if (!section || !key || !value) return 0;
    const auto& overrides = PortableHost::instance().settingOverrides;
    if (auto it = overrides.find(settingKey(section, key)); it != overrides.end()) {
        *value = it->second;
        return 1;
    }
    const std::optional<int> stored = settingsStore()->getInt(section, key);
    if (!stored) return 0;
    *value = *stored;
    return 1;
}

int VARNO_HOSTAPI settingsSetInt(const char* section, const char* key, const int* value) {
    if (!section || !key || !value) return 0;
    if (settingsStore()->setInt(section, key, *value)) return 1;
    ++PortableHost::instance().settingsWriteFailures;
    return 0;
}

char* VARNO_HOSTAPI textConvert(const char* text, int length) {
    if (!text) return nullptr;
    const size_t n = length < 0 ? std::strlen(text) : size_t(length);
    const std::string utf8 = latin1ToUtf8(std::string_view(text, n));
    char* copy = static_cast<char*>(std::malloc(utf8.size() + 1));
    if (!copy) return nullptr;
    std::memcpy(copy, utf8.c_str(), utf8.size() + 1);
    return copy;
}

void VARNO_HOSTAPI inputSetLength(float seconds, int flags) {
    auto& host = PortableHost::instance();
    host.lastLengthFlags = flags;
    if (host.onLength) host.onLength(seconds);
}

const HostMemoryFunctions memoryFunctions{nullptr, nullptr, memAllocate, memReallocate, memRelease};
const HostSettingsFunctions settingsFunctions{nullptr, nullptr, settingsGetInt, nullptr, nullptr, settingsSetInt};
const HostFileFunctions fileFunctions{fileOpen,  nullptr,  fileClose, nullptr, fileSize, nullptr,
                                      nullptr,   fileRead, fileSeek,  fileTell, nullptr,  nullptr,
                                      nullptr,   nullptr,  fileListEntries, fileOpenEntry};
const HostTextFunctions textFunctions{textConvert};
const HostInputFunctions inputFunctions{inputSetLength};

} // namespace

PortableHost& PortableHost::instance() {
    static PortableHost host;
    return host;
}

PortableHost::PortableHost() {
    tables_.memoryFunctions = &memoryFunctions;
    tables_.settingsFunctions = &settingsFunctions;
    tables_.fileFunctions = &fileFunctions;
    tables_.textFunctions = &textFunctions;
    tables_.inputFunctions = &inputFunctions;
}

const void* VARNO_HOSTAPI PortableHost::functionTable(uint32_t table) {
    // The status table is fetched and kept by the plugin but never called.
    static const void* const statusTable[8] = {};
    const HostTables& t = instance().tables();
    switch (table) {
    case 0: return t.memoryFunctions;
    case 1: return t.settingsFunctions;
    case 2: return t.fileFunctions;
    case 3: return t.textFunctions;
    case 4: return statusTable;
    case 11: return t.inputFunctions;
    default: return nullptr;
    }
}

void PortableHost::setSettingsFile(const std::string& path) { settingsStore() = std::make_unique<SettingsFile>(path); }

std::string PortableHost::settingsFile() const { return settingsStore()->path(); }

void PortableHost::redirect(const std::string& from, const std::string& to) { redirects()[from] = to; }

size_t PortableHost::openFileCount() const {
    const auto& files = openFiles();
    return size_t(std::count_if(files.begin(), files.end(), [](const auto& f) { return f != nullptr; }));
}

void PortableHost::closeAllFiles() { openFiles().clear(); }

} // namespace varno
