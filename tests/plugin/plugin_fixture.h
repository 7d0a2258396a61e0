// The plugin as the music player meets it: started once per test process through
// XMPIN_GetInterface with the portable host, whose player archive is the test
// players'. Tests call the interface table only.
#pragma once

#include <gtest/gtest.h>

#include <cstring>
#include <filesystem>
#include <fstream>
#include <string>
#include <vector>

#include "host/portable_host.h"
#include "machine/settings.h"
#include "platform/message_box.h"
#include "plugin/plugin_instance.h"
#include "plugin/xmpin.h"

namespace varno::test {

class PluginTest : public ::testing::Test {
protected:
    void SetUp() override {
        if (!VARNO_HAVE_M68K) GTEST_SKIP() << "no m68k cross tools: the test players were not built";
        const auto* info = ::testing::UnitTest::GetInstance()->current_test_info();
        folder = std::filesystem::path(VARNO_BINARY_DIR) / "test-plugin" / info->name();
        std::filesystem::remove_all(folder);
        std::filesystem::create_directories(folder);
        host().setSettingsFile((folder / "varno.ini").string());
        setErrorSink([this](const std::string&, const std::string& text) { errors.push_back(text); });
        host().onLength = [this](float seconds) { lengths.push_back(seconds); };
        plugin = start();
        ASSERT_NE(plugin, nullptr);
        // Each test keeps lengths in its own folder, where varno run by it keeps them too.
        pluginInstance()->lengthCache = std::make_unique<LengthCache>((folder / "varno").string());
        saved = pluginSettings;
        pluginSettings.surround = 0;
    }

    void TearDown() override {
        if (plugin) {
            plugin->close();
            XmpFormat standard{48000, 2, 0};
            plugin->setFormat(&standard);
        }
        pluginSettings = saved;
        host().onLength = nullptr;
        setErrorSink(nullptr);
        host().closeAllFiles();
    }

    // Starts the plugin once per process; its folder's archives are the test ones.
    static const XmpInterface* start() {
        static const XmpInterface* table = [] {
            const XmpInterface* t = XMPIN_GetInterface(kInterfaceVersion, PortableHost::functionTable);
            const std::string dir = pluginInstance()->directory;
            const std::string players = std::string(VARNO_M68K_DIR) + "/tests/players/";
            host().redirect(dir + "xmp-varno.dat", players + "xmp-varno.dat");
            host().redirect(dir + "xmp-varno.env", players + "xmp-varno.env");
            return t;
        }();
        return table;
    }

    static PortableHost& host() { return PortableHost::instance(); }

    // A test-player module: magic, a 12-byte title, zeros to 128 bytes.
    std::string writeModule(const std::string& name, const char* magic, const std::string& title = "") {
        std::vector<char> data(128, 0);
        std::memcpy(data.data(), magic, 4);
        std::memcpy(data.data() + 4, title.data(), std::min<size_t>(title.size(), 12));
        return writeFile(name, std::string(data.begin(), data.end()));
    }

    std::string writeFile(const std::string& name, const std::string& bytes) {
        const std::string path = (folder / name).string();
        std::ofstream(path, std::ios::binary) << bytes;
        return path;
    }

    // Runs an entry with the host file of path open, as the music player does.
    template <typename F>
    auto withFile(const std::string& path, F f) {
        HostFile file = host().tables().fileFunctions->open(path.c_str());
        auto result = f(file);
        if (file) host().tables().fileFunctions->close(file);
        return result;
    }

    bool open(const std::string& path) {
        return withFile(path, [&](HostFile f) { return plugin->open(path.c_str(), f); }) == 2;
    }

    // Pulls values in requests of the given sizes, cycling, until the plugin
    // returns fewer than asked.
    std::vector<float> processAll(const std::vector<uint32_t>& sizes, size_t limit = 48000 * 2 * 20) {
        std::vector<float> out;
        std::vector<float> part;
        for (size_t i = 0; out.size() < limit; ++i) {
            const uint32_t want = sizes[i % sizes.size()];
            part.assign(want, 0);
            const uint32_t got = plugin->process(part.data(), want);
            out.insert(out.end(), part.begin(), part.begin() + got);
            if (got < want) break;
        }
        return out;
    }

    // Name/value pairs of a tag list (which the host then releases).
    std::vector<std::pair<std::string, std::string>> tags(char* list) {
        std::vector<std::pair<std::string, std::string>> pairs;
        for (const char* p = list; p && *p;) {
            const char* value = p + std::strlen(p) + 1;
            pairs.emplace_back(p, value);
            p = value + std::strlen(value) + 1;
        }
        host().tables().memoryFunctions->release(list);
        return pairs;
    }

    const XmpInterface* plugin = nullptr;
    std::filesystem::path folder;
    std::vector<std::string> errors;
    std::vector<float> lengths;
    PluginSettings saved;
};

} // namespace varno::test
