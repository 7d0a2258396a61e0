// The varno-elf2hunk command as the build runs it: exit status, message, and no
// output file left behind when the input is refused.
#include <gtest/gtest.h>

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <sys/wait.h>

#include "tools/elf_builder.h"
#include "tools/hunk_reader.h"

namespace varno::test {
namespace {

namespace fs = std::filesystem;

struct CommandResult {
    int status;
    std::string errors;
};

class Elf2HunkCommand : public ::testing::Test {
protected:
    void SetUp() override {
        folder_ = fs::temp_directory_path() /
                  ("varno-elf2hunk-" + std::string(::testing::UnitTest::GetInstance()->current_test_info()->name()));
        fs::remove_all(folder_);
        fs::create_directories(folder_);
    }
    void TearDown() override { fs::remove_all(folder_); }

    fs::path write(const std::string& name, const std::vector<std::uint8_t>& bytes) {
        const fs::path path = folder_ / name;
        std::ofstream(path, std::ios::binary).write(reinterpret_cast<const char*>(bytes.data()),
                                                    static_cast<std::streamsize>(bytes.size()));
        return path;
    }

    CommandResult runCommand(const std::string& arguments) {
        const fs::path errors = folder_ / "errors.txt";
        const std::string command = std::string(VARNO_BINARY_DIR) + "/tools/varno-elf2hunk " + arguments + " 2> " +
                                    errors.string();
        const int status = std::system(command.c_str());
        std::ifstream in(errors);
        return {WIFEXITED(status) ? WEXITSTATUS(status) : -1,
                std::string(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>())};
    }

    fs::path folder_;
};

TEST_F(Elf2HunkCommand, WritesTheHunkFileForAGoodInput) {
    ElfBuilder b;
    b.code({0x70, 0x00, 0x4E, 0x75});
    const fs::path input = write("good.elf", b.build());
    const fs::path output = folder_ / "good";
    const CommandResult result = runCommand(input.string() + " " + output.string());
    EXPECT_EQ(result.status, 0) << result.errors;
    EXPECT_EQ(result.errors, "");
    const auto executable = readExecutable(readFileBytes(output.string()));
    ASSERT_TRUE(executable.has_value());
    EXPECT_EQ(executable->hunks.at(0).bytes, (std::vector<std::uint8_t>{0x70, 0x00, 0x4E, 0x75}));
}

TEST_F(Elf2HunkCommand, RefusesBadInputAndRemovesAStaleOutput) {
    const fs::path input = write("bad.elf", {0x7F, 'E', 'L', 'F', 2, 2, 1});
    const fs::path output = write("bad", {1, 2, 3, 4}); // left over from an earlier build
    const CommandResult result = runCommand(input.string() + " " + output.string());
    EXPECT_EQ(result.status, 1);
    EXPECT_EQ(result.errors, "varno-elf2hunk: " + input.string() + ": truncated ELF header\n");
    EXPECT_FALSE(fs::exists(output));
    EXPECT_FALSE(fs::exists(output.string() + ".tmp"));
}

TEST_F(Elf2HunkCommand, ReportsAMissingInputAndWrongUsage) {
    const CommandResult missing = runCommand((folder_ / "absent.elf").string() + " " + (folder_ / "out").string());
    EXPECT_EQ(missing.status, 1);
    EXPECT_NE(missing.errors.find("absent.elf: cannot read"), std::string::npos) << missing.errors;
    EXPECT_FALSE(fs::exists(folder_ / "out"));

    const CommandResult usage = runCommand("only-one-argument");
    EXPECT_EQ(usage.status, 2);
    EXPECT_EQ(usage.errors, "usage: varno-elf2hunk <input.elf> <output>\n");
}

} // namespace
} // namespace varno::test
