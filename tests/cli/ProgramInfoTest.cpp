// --help and --version of the three programs: answered at once, on standard
// output, with exit code 0, without a display and without touching any data
// folder. Packaging reads the version line "PROGRAM VERSION".
#include "core/Version.h"
#include "support/RunCli.h"
#include "support/TempDir.h"

#include <gtest/gtest.h>

#include <filesystem>

namespace zentra {
namespace {

TEST(ProgramInfoTest, HelpAndVersionOfEveryProgram)
{
    test::TempDir dir;
    const std::string home = dir.file("never-made");
    // No window system at all: a program that tried to open one would fail.
    const std::vector<std::string> env = {"DISPLAY=", "WAYLAND_DISPLAY=", "QT_QPA_PLATFORM=xcb",
                                          "ZENTRA_HOME=" + home, "XDG_DATA_HOME=" + home};
    const std::pair<std::string, std::string> programs[] = {
        {ZENTRA_MAIN, "zentra"}, {ZENTRA_UPDATE, "zentra-update"}, {ZENTRA_CLI, "zentra-cli"}};
    for (const auto &[binary, name] : programs) {
        for (const char *help : {"--help", "-h"}) {
            const auto r = test::runProgram(binary, {help}, env);
            EXPECT_EQ(r.exitCode, 0) << name << " " << help;
            EXPECT_TRUE(r.out.starts_with("usage: " + name + " ")) << name << " " << help << "\n" << r.out;
        }
        const auto v = test::runProgram(binary, {"--version"}, env);
        EXPECT_EQ(v.exitCode, 0) << name;
        EXPECT_EQ(v.out, name + " " + kVersion + "\n");
        EXPECT_FALSE(std::filesystem::exists(home)) << name;
    }
    // The command line lists its commands in its usage.
    const auto cli = test::runProgram(ZENTRA_CLI, {"--home", home, "--help"}, env);
    EXPECT_EQ(cli.exitCode, 0);
    EXPECT_NE(cli.out.find("\n  compose "), std::string::npos) << cli.out;
    EXPECT_NE(test::runProgram(ZENTRA_CLI, {"--helpme"}, env).exitCode, 0);
}

}
}
