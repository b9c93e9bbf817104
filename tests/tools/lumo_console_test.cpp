// The lumo console front end, driven in-process: its usage rules and exit statuses, nothing
// changed by a refused run. A run of each command is tests/tools/lumo-command-check's (the program
// on the shipped file), its activity log the standard-user test's; how a run stops is the window
// run's to prove, here only that an interrupt sets the flag it stops on.
#include <gtest/gtest.h>

#include <atomic>
#include <csignal>
#include <sstream>

#include "support/enciphered_lines.h"
#include "platform/console.h"
#include "platform/portable/portable_clock.h"
#include "platform/portable/portable_file_system.h"
#include "platform/portable/portable_shell.h"
#include "support/registry_fixture.h"
#include "lumo_console.h"

namespace lumo {
namespace {

using Args = std::vector<std::string>;

struct Outcome {
    int status;
    std::string out, err;
};

// A scratch program folder, a tree of traces (6 bytes in a/, 5000 in b/c/), and two registry values.
class LumoConsoleTest : public ::testing::Test {
protected:
    void SetUp() override {
        dir.Write("tree/a/x.txt", "hello!");
        dir.Write("tree/b/c/y.bin", std::string(5000, '\0'));
        reg.SetString("Run", "first", "notepad.exe");
        reg.SetString("Run", "second", "calc.exe");
        platform = {.registry = &reg.Api(), .files = &files, .shell = &shell, .clock = &clock};
    }

    // A Root record of the tree and the two values.
    std::string WriteConfig() {
        return dir.Write("mine.dat",
                         Crypt::EnCryptLines("[Config]\r\nType:Root\r\nSelected:1\r\nSoftware:Scratch\r\n"
                                             "Tree Files<>1<>0<>Folder><" +
                                             dir.Path("tree") + "\r\nRun List<>1<>0<>RegValue><HKEY_CURRENT_USER<>" +
                                             reg.Path("Run") + "\r\n"));
    }

    Outcome Main(const Args& args) {
        std::ostringstream out, err;
        int status = LumoMain(args, platform, dir.Path("lumo.exe"), out, err);
        return {status, out.str(), err.str()};
    }

    bool TreeIntact() {
        return dir.Exists("tree/a/x.txt") && dir.Exists("tree/b/c/y.bin") && reg.ValueExists("Run", "first") &&
               reg.ValueExists("Run", "second");
    }

    testing::ScratchFolder dir;
    testing::TestRegistry reg;
    PortableFileSystem files;
    PortableShell shell;
    PortableClock clock;
    Platform platform;
};

TEST_F(LumoConsoleTest, BadUsageExitsWithTwoAndAnUnreadableConfigurationWithOneChangingNothing) {
    const std::string config = WriteConfig();
    const std::string broken = dir.Write("broken.dat", Crypt::EnCryptLines("[Config]\r\nSoftware:X\r\n") + "ZZ\r\n");
    // Status 1: no file beside the program, a missing file, one that cannot be read.
    const struct {
        Args args;
        int status;
        std::string message;
    } cases[] = {{{}, 2, "no command"},
                 {{"clear"}, 2, "--yes"},
                 {{"clear", "--config", config, "--log"}, 2, "--yes"},
                 {{"remove", "--yes"}, 2, "unknown command"},
                 {{"show", "--verbose"}, 2, "unknown argument"},
                 {{"show", "--config"}, 2, "needs a file name"},
                 {{"show", "--config="}, 2, "needs a file name"},
                 {{"show", "--config", config, "--config", config}, 2, "twice"},
                 {{"show", "--only"}, 2, "needs an entry name"},
                 {{"list", "--yes"}, 2, "unknown argument"},
                 {{"clear", "--yes", "--jobs", "0"}, 2, "from 1 to 8"},
                 {{"clear", "--yes", "--jobs=9"}, 2, "from 1 to 8"},
                 {{"clear", "--yes", "--jobs"}, 2, "from 1 to 8"},
                 {{"list", "--jobs", "1"}, 2, "unknown argument"},
                 {{"show", "--config", config, "--only", "X"}, 2, "alone"},
                 {{"winapp2", "a.ini", "b.ini"}, 2, "one file"},
                 {{"show"}, 1, "PrivacyConfig.dat"},
                 {{"show", "--config", dir.Path("absent.dat")}, 1, "absent.dat"},
                 {{"clear", "--yes", "--config", broken}, 1, "broken.dat"}};
    for (const auto& c : cases) {
        SCOPED_TRACE(::testing::PrintToString(c.args));
        Outcome r = Main(c.args);
        EXPECT_EQ(r.status, c.status);
        EXPECT_NE(r.err.find(c.message), std::string::npos) << r.err;
        EXPECT_NE(r.err.find(c.status == 2 ? "usage: lumo show" : "configuration error"), std::string::npos);
        EXPECT_EQ(r.out, "");
    }
    EXPECT_TRUE(TreeIntact());
    EXPECT_FALSE(dir.Exists("logs"));
    EXPECT_NE(Main({"--help"})
                  .out.find("lumo clear [--config FILE] [--winapp2 FILE] [--only NAME ...] [--log] [--jobs N] --yes"),
              std::string::npos);
    EXPECT_EQ(Main({"--version"}).out, "lumo 3.2.19\n");
}

#ifndef _WIN32
// Ctrl+C and a termination request both only set the flag the run stops on; the program goes on.
TEST(ConsoleServicesDeathTest, InterruptAndTerminationRequestsOnlySetTheFlag) {
    EXPECT_EXIT(
        {
            const std::atomic<bool>& flag = WatchConsoleInterrupt();
            const bool before = flag.load();
            std::raise(SIGINT);
            std::raise(SIGTERM);
            std::_Exit(!before && flag.load() ? 7 : 1);
        },
        ::testing::ExitedWithCode(7), "");
}
#endif

}  // namespace
}  // namespace lumo
