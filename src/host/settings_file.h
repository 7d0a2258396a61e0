// The settings store of the portable host: an INI file. Reading goes through
// inih; writing changes the one line it must and keeps every other section, key
// and comment, and replaces the file in one step so a crash never leaves half.
#pragma once

#include <optional>
#include <string>

namespace varno {

class SettingsFile {
public:
    explicit SettingsFile(std::string path) : path_(std::move(path)) {}

    const std::string& path() const { return path_; }

    // The key's value as an integer (a value that is not a number reads as 0);
    // nothing when the file or the key is missing. Names ignore case.
    std::optional<int> getInt(const std::string& section, const std::string& key) const;

    // Stores the value, creating the file, its folder and the section as needed.
    // False when the file cannot be written (it is then unchanged).
    bool setInt(const std::string& section, const std::string& key, int value);

private:
    std::string path_;
};

// $XDG_CONFIG_HOME/varno/varno.ini, else ~/.config/varno/varno.ini.
std::string defaultSettingsPath();

} // namespace varno
