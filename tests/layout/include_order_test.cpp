// The folders of src/ stand in floors, written once in the README's layout table;
// an #include may only reach a folder on a lower floor, so that no folder reaches
// itself back through others. Read from the sources themselves: every failure names
// the file and line of the include.
#include <gtest/gtest.h>

#include <algorithm>
#include <filesystem>
#include <fstream>
#include <functional>
#include <map>
#include <regex>
#include <set>
#include <string>
#include <vector>

namespace varno::test {
namespace {

namespace fs = std::filesystem;

struct Include {
    std::string where; // "src/folder/file.cpp:12"
    std::string from;  // top folder of the including file
    std::string to;    // top folder named by the include
    std::string header; // "folder/file.h"
};

// The README's layout table: rows "| floor | `src/folder` | what |".
std::map<std::string, int> floorsFromReadme(const fs::path& readme) {
    std::map<std::string, int> floors;
    std::ifstream in(readme);
    const std::regex row(R"(^\|\s*(\d+)\s*\|\s*`src/([a-z0-9_]+)`\s*\|)");
    std::smatch m;
    for (std::string line; std::getline(in, line);)
        if (std::regex_search(line, m, row)) floors[m[2]] = std::stoi(m[1]);
    return floors;
}

// Every quoted include of a file under src/ that names another top folder.
std::vector<Include> crossFolderIncludes(const fs::path& src) {
    std::vector<Include> includes;
    const std::regex directive(R"(^\s*#\s*include\s*"(([a-z0-9_]+)/[^"]+)\")");
    for (const auto& entry : fs::recursive_directory_iterator(src)) {
        if (!entry.is_regular_file()) continue;
        const std::string ext = entry.path().extension().string();
        if (ext != ".h" && ext != ".cpp" && ext != ".inc" && ext != ".rc") continue;
        const fs::path relative = fs::relative(entry.path(), src);
        const std::string from = relative.begin()->string();
        std::ifstream in(entry.path());
        int number = 0;
        std::smatch m;
        for (std::string line; std::getline(in, line);) {
            ++number;
            if (!std::regex_search(line, m, directive) || m[2] == from) continue;
            if (!fs::is_directory(src / m[2].str())) continue; // a system or third-party header
            includes.push_back({"src/" + relative.generic_string() + ":" + std::to_string(number), from, m[2],
                                m[1]});
        }
    }
    std::sort(includes.begin(), includes.end(), [](const auto& a, const auto& b) { return a.where < b.where; });
    return includes;
}

// A cycle among the folders, as the includes that make it ("file:line from -> to"
// per arrow), or empty when the folders are ordered.
std::vector<std::string> findCycle(const std::vector<Include>& includes) {
    std::map<std::string, std::vector<const Include*>> out;
    for (const Include& i : includes) out[i.from].push_back(&i);
    std::map<std::string, int> state; // 0 unseen, 1 on the path, 2 done
    std::vector<const Include*> path;
    std::vector<std::string> cycle;
    std::function<bool(const std::string&)> visit = [&](const std::string& folder) {
        state[folder] = 1;
        for (const Include* i : out[folder]) {
            path.push_back(i);
            if (state[i->to] == 1) {
                auto first = std::find_if(path.begin(), path.end(), [&](const Include* p) { return p->from == i->to; });
                for (auto p = first; p != path.end(); ++p)
                    cycle.push_back((*p)->where + " " + (*p)->from + " -> " + (*p)->to);
                return true;
            }
            if (state[i->to] == 0 && visit(i->to)) return true;
            path.pop_back();
        }
        state[folder] = 2;
        return false;
    };
    for (const auto& [folder, arrows] : out)
        if (state[folder] == 0 && visit(folder)) break;
    return cycle;
}

const fs::path kSource = VARNO_SOURCE_DIR;

TEST(IncludeOrder, EveryFolderOfSrcHasAFloorInTheReadme) {
    const auto floors = floorsFromReadme(kSource / "README.md");
    ASSERT_FALSE(floors.empty()) << "no layout table with floors in README.md";
    for (const auto& entry : fs::directory_iterator(kSource / "src")) {
        if (!entry.is_directory()) continue;
        EXPECT_TRUE(floors.count(entry.path().filename().string()))
            << "src/" << entry.path().filename().string() << " has no floor in the README's layout table";
    }
    for (const auto& [folder, floor] : floors)
        EXPECT_TRUE(fs::is_directory(kSource / "src" / folder)) << "README names src/" << folder << ", which is gone";
}

TEST(IncludeOrder, EveryIncludeReachesALowerFloor) {
    const auto floors = floorsFromReadme(kSource / "README.md");
    for (const Include& i : crossFolderIncludes(kSource / "src")) {
        ASSERT_TRUE(floors.count(i.from) && floors.count(i.to)) << i.where;
        EXPECT_LT(floors.at(i.to), floors.at(i.from))
            << i.where << " includes " << i.header << ": " << i.from << " (floor " << floors.at(i.from) << ") may not reach "
            << i.to << " (floor " << floors.at(i.to) << ")";
    }
}

TEST(IncludeOrder, NoFolderReachesItselfBack) {
    const auto cycle = findCycle(crossFolderIncludes(kSource / "src"));
    std::string text;
    for (const auto& arrow : cycle) text += "\n  " + arrow;
    EXPECT_TRUE(cycle.empty()) << "the folders include each other round:" << text;
}

// Front ends see the library through library/module.h alone: it names nothing of
// the emulator, and what stands behind it is the library's and the plugin's only.
TEST(IncludeOrder, TheLibrarysPublicHeaderShowsNoInternals) {
    std::ifstream header(kSource / "src" / "library" / "module.h");
    ASSERT_TRUE(header) << "src/library/module.h is gone";
    const std::regex directive(R"re(^\s*#\s*include\s*"([^"]+)")re");
    std::smatch m;
    int number = 0;
    for (std::string line; std::getline(header, line);) {
        ++number;
        if (!std::regex_search(line, m, directive)) continue;
        EXPECT_EQ(m[1].str().rfind("platform/", 0), 0u)
            << "src/library/module.h:" << number << " includes " << m[1] << ": only the standard library and "
            << "src/platform's host tables may show through the public header";
    }
    for (const Include& i : crossFolderIncludes(kSource / "src")) {
        if (i.header != "library/module_state.h") continue;
        EXPECT_EQ(i.from, "plugin") << i.where << ": front ends use library/module.h";
    }
}

TEST(IncludeOrder, ACycleIsNamedByItsIncludes) {
    // A small house: a and b include each other through c; d only looks down.
    const std::vector<Include> includes = {
        {"src/a/x.cpp:3", "a", "c", "c/y.h"},
        {"src/c/y.h:7", "c", "b", "b/z.h"},
        {"src/b/z.cpp:9", "b", "a", "a/x.h"},
        {"src/d/w.cpp:1", "d", "a", "a/x.h"},
    };
    EXPECT_EQ(findCycle(includes), (std::vector<std::string>{"src/a/x.cpp:3 a -> c", "src/c/y.h:7 c -> b",
                                                             "src/b/z.cpp:9 b -> a"}));
    EXPECT_TRUE(findCycle({includes[0], includes[1], includes[3]}).empty());
}

} // namespace
} // namespace varno::test
