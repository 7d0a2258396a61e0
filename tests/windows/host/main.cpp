// varno-xmphost: stands in for XMPlay to test the plugin through its one export, the
// way the player drives it. The same program is built for Windows (loading
// XMP-VARNO.dll, run under Wine) and for Linux (the plugin linked in), so that the
// two builds' samples can be compared byte for byte.
//
//   varno-xmphost [--plugin DLL] [--settings FILE] [--set SECTION/KEY=VALUE]... COMMAND
//     interface                           the export's faces and the interface table
//     render MODULE OUT.raw FRAMES [SUB]  check, information, open, subsong SUB,
//                                         FRAMES stereo frames as raw floats, close
//     config MODULE SHOTS                 (Windows) the configuration dialog, driven
//     about SHOTS                         (Windows) the About box
//     fault MODULE GOOD_MODULE            (Windows) a faulting player's message box
//
// Every check prints "FAIL: ..." and makes the exit status 1; a run that takes
// longer than a minute ends with status 4.
#include <algorithm>
#include <cinttypes>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>
#include <vector>

#include "host_tables.h"
#include "plugin_table.h"
#include "threads.h"
#ifdef _WIN32
#include <windows.h>
#include <commctrl.h>

#include "windows_ui.h"
#endif

namespace xmphost {
namespace {

int failures = 0;

void expect(bool condition, const std::string& what) {
    if (condition) return;
    std::printf("FAIL: %s\n", what.c_str());
    std::fflush(stdout);
    ++failures;
}

std::string quoted(const char* text) {
    if (!text) return "null";
    std::string result(1, '"');
    result.append(text).push_back('"');
    return result;
}

const PluginTable* plugin(GetInterface getInterface) {
    const PluginTable* table = getInterface(4, getFunctions());
    expect(table != nullptr, "XMPIN_GetInterface(4) returned null");
    return table;
}

// --- interface ---------------------------------------------------------------
int interfaceCommand(GetInterface getInterface) {
    struct FaceCase {
        uint32_t face;
        bool tableExpected;
    };
    // A face below 4 asks once (with a message), again (silently), a later face too.
    const FaceCase faces[] = {{3, false}, {3, false}, {5, false}, {0, false}, {4, true}};
    const PluginTable* table = nullptr;
    for (const FaceCase& c : faces) {
        const PluginTable* result = getInterface(c.face, getFunctions());
        expect((result != nullptr) == c.tableExpected,
               "face " + std::to_string(c.face) + (c.tableExpected ? " gave no table" : " gave a table"));
        if (c.face == 4) table = result;
    }
#ifdef _WIN32
    sleepMilliseconds(300); // the watcher's last round
    const auto boxes = messageBoxesSeen();
    expect(boxes.size() == 1, "one message box for the old faces, saw " + std::to_string(boxes.size()));
    if (!boxes.empty()) {
        expect(boxes[0].caption == "XMPlay Varno plugin (rev. 9)", "message caption " + quoted(boxes[0].caption.c_str()));
        expect(boxes[0].text == "Error:\nIncompatible XMPlay version.", "message text " + quoted(boxes[0].text.c_str()));
    }
#endif
    if (!table) return 1;
    std::printf("flags %" PRIu32 ", name %s, extensions %s\n", table->flags, quoted(table->name).c_str(),
                quoted(table->extensions).c_str());
    expect(table->flags == 8, "flags");
    expect(table->name && std::string(table->name) == "Varno (rev. 9)", "name");
    expect(table->extensions && *table->extensions == '\0', "the extension list is empty, not null");
    struct SlotCase {
        const char* name;
        const void* entry;
        bool present;
    };
    const SlotCase slots[] = {
        {"about", reinterpret_cast<const void*>(table->about), true},
        {"config", reinterpret_cast<const void*>(table->config), true},
        {"checkFile", reinterpret_cast<const void*>(table->checkFile), true},
        {"getFileInfo", reinterpret_cast<const void*>(table->getFileInfo), true},
        {"open", reinterpret_cast<const void*>(table->open), true},
        {"close", reinterpret_cast<const void*>(table->close), true},
        {"slot 9", table->slot9, false},
        {"setFormat", reinterpret_cast<const void*>(table->setFormat), true},
        {"getTags", reinterpret_cast<const void*>(table->getTags), true},
        {"getInfoText", reinterpret_cast<const void*>(table->getInfoText), true},
        {"getGeneralInfo", reinterpret_cast<const void*>(table->getGeneralInfo), true},
        {"getMessage", reinterpret_cast<const void*>(table->getMessage), true},
        {"setPosition", reinterpret_cast<const void*>(table->setPosition), true},
        {"getGranule", reinterpret_cast<const void*>(table->getGranule), true},
        {"slot 17", table->slot17, false},
        {"process", reinterpret_cast<const void*>(table->process), true},
        {"slot 19", table->slot19, false},
        {"slot 20", table->slot20, false},
        {"getSubSongs", reinterpret_cast<const void*>(table->getSubSongs), true},
        {"slot 22", table->slots22to25[0], false},
        {"slot 23", table->slots22to25[1], false},
        {"slot 24", table->slots22to25[2], false},
        {"slot 25", table->slots22to25[3], false},
    };
    for (const SlotCase& s : slots)
        expect((s.entry != nullptr) == s.present, std::string(s.name) + (s.present ? " is null" : " is not null"));
    expect(table->getGranule && table->getGranule() == 0.1, "granule 0.1 s");
    return failures ? 1 : 0;
}

// --- render ------------------------------------------------------------------
std::string tagText(const char* tags) {
    if (!tags) return "none";
    std::string text;
    for (const char* p = tags; *p;) {
        const char* value = p + std::strlen(p) + 1;
        text += std::string(p) + "=" + value + ";";
        p = value + std::strlen(value) + 1;
    }
    return text;
}

// Pulls frames the way the player does, a granule at a time; fewer than asked
// means the track ended.
std::vector<float> pull(const PluginTable* table, uint32_t frames) {
    std::vector<float> samples;
    std::vector<float> part(2 * 4800);
    while (samples.size() < 2 * size_t(frames)) {
        const uint32_t want = std::min<uint32_t>(uint32_t(part.size()), uint32_t(2 * frames - samples.size()));
        const uint32_t got = table->process(part.data(), want);
        samples.insert(samples.end(), part.begin(), part.begin() + got);
        if (got < want) break;
    }
    return samples;
}

bool openModule(const PluginTable* table, const char* path) {
    void* file = openFile(path);
    expect(file != nullptr, std::string("cannot open ") + path);
    if (!file) return false;
    const uint32_t opened = table->open(path, file);
    closeFile(file);
    expect(opened == 2, "open gave " + std::to_string(opened));
    if (opened != 2) return false;
    Format format{48000, 2, 0};
    table->setFormat(&format);
    return true;
}

int renderCommand(const PluginTable* table, const char* path, const char* outPath, uint32_t frames, int subsong) {
    void* file = openFile(path);
    expect(file != nullptr, std::string("cannot open ") + path);
    if (!file) return 1;
    const int playable = table->checkFile(path, file);
    float* lengths = nullptr;
    char* tags = nullptr;
    const uint32_t info = table->getFileInfo(path, file, &lengths, &tags);
    closeFile(file);
    std::printf("check %d, information 0x%" PRIx32 ", tags %s\n", playable ? 1 : 0, info, tagText(tags).c_str());
    releaseBlock(tags);
    releaseBlock(lengths);
    expect(playable != 0, "the module is not playable");
    if (!openModule(table, path)) return 1;

    float total = 0;
    const uint32_t subsongs = table->getSubSongs(&total);
    std::printf("subsongs %" PRIu32 ", total %.3f s\n", subsongs, double(total));
    if (subsong >= 0) {
        const double result = table->setPosition(0x80000000u | uint32_t(subsong));
        expect(result == 0, "a subsong selection returns 0");
    }
    const std::vector<float> samples = pull(table, frames);
    table->close();
    for (float length : reportedLengths()) std::printf("length reported %.3f s\n", double(length));
    std::printf("frames %zu\n", samples.size() / 2);

    FILE* out = std::fopen(outPath, "wb");
    expect(out != nullptr, std::string("cannot write ") + outPath);
    if (!out) return 1;
    std::fwrite(samples.data(), sizeof(float), samples.size(), out);
    std::fclose(out);
    expect(!samples.empty(), "no samples");
    return failures ? 1 : 0;
}

#ifdef _WIN32
// --- config ------------------------------------------------------------------
// How far apart the two sides are: 0 for mono, larger with more separation.
double sideShare(const std::vector<float>& samples) {
    double difference = 0, sum = 0;
    for (size_t i = 0; i + 1 < samples.size(); i += 2) {
        difference += std::fabs(double(samples[i]) - samples[i + 1]);
        sum += std::fabs(double(samples[i]) + samples[i + 1]);
    }
    return sum > 0 ? difference / sum : 0;
}

int configCommand(const PluginTable* table, const char* path, const std::string& shots) {
    if (!openModule(table, path)) return 1;
    const std::vector<float> before = pull(table, 9600);
    std::vector<float> after;

    int result = -1;
    {
    Thread person([&] {
        void* dialog = waitForWindow("Varno configuration", 10000);
        expect(dialog != nullptr, "the configuration dialog did not appear");
        if (!dialog) return;
        HWND window = static_cast<HWND>(dialog);
        expect(controlText(dialog, 1003) == "75%", "separation label at start " + quoted(controlText(dialog, 1003).c_str()));
        expect(controlText(dialog, 1007) == "180", "play time at start " + quoted(controlText(dialog, 1007).c_str()));
        expect(SendDlgItemMessageA(window, 1011, CB_GETCURSEL, 0, 0) == 0, "interpolation None selected");
        expect(SendDlgItemMessageA(window, 1011, CB_GETCOUNT, 0, 0) == 2, "two interpolation entries");
        expect(IsDlgButtonChecked(window, 1006) == BST_CHECKED, "song end box checked");
        expect(IsDlgButtonChecked(window, 1008) == BST_UNCHECKED, "surround box clear");

        HWND trackBar = GetDlgItem(window, 1009);
        SendMessageA(trackBar, TBM_SETPOS, TRUE, 40);
        SendMessageA(window, WM_HSCROLL, MAKEWPARAM(TB_THUMBPOSITION, 40), reinterpret_cast<LPARAM>(trackBar));
        expect(controlText(dialog, 1003) == "40%", "separation label after the move " + quoted(controlText(dialog, 1003).c_str()));

        // The move acts on the sound at once, while the dialog is still open.
        table->setPosition(0);
        after = pull(table, 9600);

        expect(captureWindow(dialog, shots + "/varno-config.bmp"), "the configuration dialog could not be captured");
        SetDlgItemTextA(window, 1007, "0");
        SendMessageA(window, WM_COMMAND, IDCANCEL, 0);
    });
    result = table->config(nullptr);
    } // the person has left
    table->close();

    expect(result == 0, "the dialog ends with 0");
    const double shareBefore = sideShare(before), shareAfter = sideShare(after);
    std::printf("side share at 75%%: %.4f, at 40%%: %.4f\n", shareBefore, shareAfter);
    expect(!after.empty() && shareAfter < shareBefore * 0.8, "a separation of 40% brings the sides together");

    struct Stored {
        const char* key;
        int value;
    };
    const Stored stored[] = {{"VARNO/default_playtime", 0}, {"VARNO/use_songend", 1}, {"VARNO/surround", 0},
                             {"VARNO/stereo_separation", 40}, {"VARNO/interpolation", 0}};
    // The store may hold more keys than the dialog's five; these five come once
    // each, in this order.
    std::vector<std::string> keys, written;
    for (const Stored& s : stored) keys.push_back(s.key);
    for (const std::string& key : writtenKeys())
        if (std::find(keys.begin(), keys.end(), key) != keys.end()) written.push_back(key);
    expect(written == keys, "the five settings are written once each, in the store's order");
    for (const Stored& s : stored) {
        auto it = settings().find(s.key);
        expect(it != settings().end() && it->second == s.value,
               std::string(s.key) + " stored as " + (it == settings().end() ? "nothing" : std::to_string(it->second)));
    }
    return failures ? 1 : 0;
}

// --- about -------------------------------------------------------------------
bool isBuildDate(const std::string& date) {
    static const char* const months[] = {"Jan", "Feb", "Mar", "Apr", "May", "Jun",
                                         "Jul", "Aug", "Sep", "Oct", "Nov", "Dec"};
    char month[4] = {};
    int day = 0, year = 0, used = 0;
    if (std::sscanf(date.c_str(), "%3s %d %d%n", month, &day, &year, &used) != 3 || size_t(used) != date.size())
        return false;
    bool known = false;
    for (const char* m : months) known |= std::string(m) == month;
    const std::string rebuilt = std::string(month) + " " + std::to_string(day) + " " + std::to_string(year);
    return known && day >= 1 && day <= 31 && year >= 2020 && rebuilt == date;
}

int aboutCommand(const PluginTable* table, const std::string& shots) {
    int result = -1;
    {
    Thread person([&] {
        void* dialog = waitForWindow("About Varno...", 10000);
        expect(dialog != nullptr, "the About box did not appear");
        if (!dialog) return;
        const std::string line = controlText(dialog, 1002);
        std::printf("about: %s\n", line.c_str());
        const std::string prefix = "XMPlay Varno plugin (rev. 9) (";
        const bool shape = line.rfind(prefix, 0) == 0 && line.back() == ')';
        expect(shape && isBuildDate(line.substr(prefix.size(), line.size() - prefix.size() - 1)),
               "the About line names the plugin and its build date: " + quoted(line.c_str()));
        expect(captureWindow(dialog, shots + "/varno-about.bmp"), "the About box could not be captured");
        SendMessageA(static_cast<HWND>(dialog), WM_COMMAND, IDCANCEL, 0);
    });
    result = table->about(nullptr);
    } // the person has left
    expect(result == 0, "the About box ends with 0");
    return failures ? 1 : 0;
}

// --- fault -------------------------------------------------------------------
int faultCommand(const PluginTable* table, const char* faulting, const char* good) {
    struct Case {
        const char* path;
        bool messageExpected;
    };
    const Case cases[] = {{faulting, true}, {good, false}};
    for (const Case& c : cases) {
        const size_t boxesBefore = messageBoxesSeen().size();
        void* file = openFile(c.path);
        expect(file != nullptr, std::string("cannot open ") + c.path);
        if (!file) continue;
        const int playable = table->checkFile(c.path, file);
        closeFile(file);
        sleepMilliseconds(300);
        const auto boxes = messageBoxesSeen();
        std::printf("%s: check %d, %zu new message boxes\n", c.path, playable ? 1 : 0, boxes.size() - boxesBefore);
        if (c.messageExpected) {
            expect(boxes.size() > boxesBefore, "no message box for the faulting player");
            for (size_t i = boxesBefore; i < boxes.size(); ++i)
                expect(boxes[i].caption == "XMP-Varno plugin" && !boxes[i].text.empty(),
                       "fault message " + quoted(boxes[i].caption.c_str()) + ": " + quoted(boxes[i].text.c_str()));
        } else {
            expect(boxes.size() == boxesBefore, "a message box for a good module");
            expect(playable != 0, "the good module is still playable after the fault");
        }
    }
    return failures ? 1 : 0;
}
#endif

int usage() {
    std::fprintf(stderr, "usage: varno-xmphost [--plugin DLL] [--settings FILE] [--set SECTION/KEY=VALUE]... "
                         "interface | render MODULE OUT FRAMES [SUBSONG] | config MODULE SHOTS | about SHOTS | "
                         "fault MODULE GOOD_MODULE\n");
    return 2;
}

} // namespace
} // namespace xmphost

int main(int argc, char** argv) {
    using namespace xmphost;
    startDetached([] {
        sleepMilliseconds(60000);
        std::printf("FAIL: still running after a minute\n");
        std::fflush(stdout);
        std::_Exit(4);
    });

    const char* pluginPath = "XMP-VARNO.dll";
    int i = 1;
    for (; i + 1 < argc && argv[i][0] == '-' && argv[i][1] == '-'; i += 2) {
        const std::string option = argv[i], value = argv[i + 1];
        if (option == "--plugin") {
            pluginPath = argv[i + 1];
        } else if (option == "--settings") {
            useSettingsFile(value);
        } else if (option == "--set") {
            const size_t equals = value.find('=');
            if (equals == std::string::npos) return usage();
            settings()[value.substr(0, equals)] = std::atoi(value.c_str() + equals + 1);
        } else {
            return usage();
        }
    }
    if (i >= argc) return usage();
    const std::string command = argv[i];
    const int rest = argc - i - 1;
    char** args = argv + i + 1;

#ifdef _WIN32
    startMessageBoxWatch();
#endif
    GetInterface getInterface = loadPlugin(pluginPath);
    if (!getInterface) return 1;
    int status = 2;
    if (command == "interface" && rest == 0) {
        status = interfaceCommand(getInterface);
    } else if (command == "render" && (rest == 3 || rest == 4)) {
        const PluginTable* table = plugin(getInterface);
        status = table ? renderCommand(table, args[0], args[1], uint32_t(std::strtoul(args[2], nullptr, 10)),
                                       rest == 4 ? std::atoi(args[3]) : -1)
                       : 1;
#ifdef _WIN32
    } else if (command == "config" && rest == 2) {
        const PluginTable* table = plugin(getInterface);
        status = table ? configCommand(table, args[0], args[1]) : 1;
    } else if (command == "about" && rest == 1) {
        const PluginTable* table = plugin(getInterface);
        status = table ? aboutCommand(table, args[0]) : 1;
    } else if (command == "fault" && rest == 2) {
        const PluginTable* table = plugin(getInterface);
        status = table ? faultCommand(table, args[0], args[1]) : 1;
#endif
    } else {
        return usage();
    }
    if (unexpectedCalls()) status = 1;
    std::fflush(stdout);
    // Leave without unloading: the plugin's own detach is tested by the player's exit.
    return status;
}
