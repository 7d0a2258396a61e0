#include "host/settings_file.h"

#include <ini.h>
#include <unistd.h>

#include <algorithm>
#include <cctype>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <sstream>
#include <vector>

namespace varno {

namespace {

std::string lower(std::string s) {
    std::transform(s.begin(), s.end(), s.begin(), [](unsigned char c) { return char(std::tolower(c)); });
    return s;
}

std::string trim(const std::string& s) {
    const size_t begin = s.find_first_not_of(" \t\r");
    if (begin == std::string::npos) return {};
    const size_t end = s.find_last_not_of(" \t\r");
    return s.substr(begin, end - begin + 1);
}

struct Lookup {
    std::string section;
    std::string key;
    std::optional<std::string> value;
};

int onEntry(void* user, const char* section, const char* name, const char* value) {
    auto* lookup = static_cast<Lookup*>(user);
    if (lower(section) == lookup->section && lower(name) == lookup->key) lookup->value = value;
    return 1;
}

// "[name]" of a section header line, lower case; empty for other lines.
std::string sectionOf(const std::string& line) {
    const std::string t = trim(line);
    if (t.size() < 2 || t.front() != '[') return {};
    const size_t close = t.find(']');
    return close == std::string::npos ? std::string() : lower(trim(t.substr(1, close - 1)));
}

bool isKeyLine(const std::string& line, const std::string& key) {
    const std::string t = trim(line);
    if (t.empty() || t[0] == ';' || t[0] == '#') return false;
    const size_t eq = t.find_first_of("=:");
    return eq != std::string::npos && lower(trim(t.substr(0, eq))) == key;
}

} // namespace

std::optional<int> SettingsFile::getInt(const std::string& section, const std::string& key) const {
    Lookup lookup{lower(section), lower(key), std::nullopt};
    if (ini_parse(path_.c_str(), onEntry, &lookup) < 0 || !lookup.value) return std::nullopt;
    return int(std::strtol(lookup.value->c_str(), nullptr, 10));
}

bool SettingsFile::setInt(const std::string& section, const std::string& key, int value) {
    std::vector<std::string> lines;
    {
        std::ifstream in(path_);
        for (std::string line; std::getline(in, line);) lines.push_back(line);
    }
    const std::string wantSection = lower(section);
    const std::string wantKey = lower(key);
    const std::string entry = key + "=" + std::to_string(value);

    bool inSection = false;
    size_t sectionEnd = lines.size(); // where a new key of the section goes
    bool sectionFound = false;
    bool done = false;
    for (size_t i = 0; i < lines.size() && !done; ++i) {
        const std::string name = sectionOf(lines[i]);
        if (!name.empty()) {
            if (inSection) break;
            inSection = name == wantSection;
            if (inSection) {
                sectionFound = true;
                sectionEnd = i + 1;
            }
            continue;
        }
        if (!inSection) continue;
        if (isKeyLine(lines[i], wantKey)) {
            lines[i] = entry;
            done = true;
        } else if (!trim(lines[i]).empty()) {
            sectionEnd = i + 1;
        }
    }
    if (!done) {
        if (sectionFound) {
            lines.insert(lines.begin() + std::ptrdiff_t(sectionEnd), entry);
        } else {
            if (!lines.empty() && !trim(lines.back()).empty()) lines.push_back("");
            lines.push_back("[" + section + "]");
            lines.push_back(entry);
        }
    }

    namespace fs = std::filesystem;
    std::error_code ec;
    const fs::path target(path_);
    if (target.has_parent_path()) fs::create_directories(target.parent_path(), ec);
    const std::string temporary = path_ + ".new" + std::to_string(::getpid());
    {
        std::ofstream out(temporary, std::ios::trunc);
        for (const std::string& line : lines) out << line << '\n';
        out.flush();
        if (!out) {
            fs::remove(temporary, ec);
            return false;
        }
    }
    fs::rename(temporary, target, ec);
    if (ec) {
        fs::remove(temporary, ec);
        return false;
    }
    return true;
}

std::string defaultSettingsPath() {
    const char* config = std::getenv("XDG_CONFIG_HOME");
    std::string base;
    if (config && *config) {
        base = config;
    } else {
        const char* home = std::getenv("HOME");
        base = std::string(home && *home ? home : ".") + "/.config";
    }
    return base + "/varno/varno.ini";
}

} // namespace varno
