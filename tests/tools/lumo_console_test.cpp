// The lumo console front end, driven in-process: its usage rules and exit statuses, the lines and
// summary it prints for show and clear runs (the main window's texts), the default configuration
// beside the program, the activity log, stopping on an interrupt, and the shipped configuration
// end to end. Natively over the portable services, on Windows over the real ones.
#include <gtest/gtest.h>

#include <atomic>
#include <csignal>
#include <filesystem>
#include <sstream>
#include <string>
#include <vector>

#include "cleaner/run_text.h"
#include "config/crypt.h"
#include "config/shipped_config.h"
#include "support/enciphered_lines.h"
#include "log/privacy_log.h"
#include "platform/console.h"
#include "platform/portable/portable_clock.h"
#include "platform/portable/portable_shell.h"
#include "settings/application.h"
#include "support/registry_fixture.h"
#include "lumo_console.h"

#ifdef _WIN32
#include "platform/win32/win32_clock.h"
#include "platform/win32/win32_file_system.h"
#include "platform/win32/win32_profile_api.h"
#include "platform/win32/win32_shell.h"
#else
#include "platform/portable/portable_file_system.h"
#include "platform/portable/portable_profile_api.h"
#endif

namespace lumo {
namespace {

namespace fs = std::filesystem;
using testing::ReadBytes;
using testing::ScratchFolder;
using testing::WriteBytes;
using Args = std::vector<std::string>;

#ifdef _WIN32
using Files = Win32FileSystem;
using Profiles = Win32ProfileApi;
using SystemClock = Win32Clock;
constexpr testing::RegistryKind kRegistryKind = testing::RegistryKind::Real;
#else
using Files = PortableFileSystem;
using Profiles = PortableProfileApi;
using SystemClock = PortableClock;
constexpr testing::RegistryKind kRegistryKind = testing::RegistryKind::Memory;
#endif

struct Outcome {
    int status;
    std::string out;
    std::string err;
};

// A scratch tree for a run: the "program folder" with its configuration, a folder of traces,
// and registry values below the test branch.
class LumoConsoleTest : public ::testing::Test {
protected:
    void SetUp() override {
        fs::create_directories(tree() / "a");
        fs::create_directories(tree() / "b" / "c");
        WriteBytes((tree() / "a" / "x.txt").string(), "hello!");
        WriteBytes((tree() / "b" / "c" / "y.bin").string(), std::string(5000, '\0'));
        reg.SetString("Run", "first", "notepad.exe");
        reg.SetString("Run", "second", "calc.exe");
        platform.registry = &reg.Api();
        platform.files = &files;
        platform.profiles = &profiles;
        platform.shell = &shell;
        platform.clock = &clock;
    }

    fs::path tree() const { return scratch.FsPath() / "tree"; }

    // winapp2.ini beside the program: an entry present by its registry key that cleans the tree's
    // folder a, one absent, one refused, and a line outside any entry.
    void WriteWinapp2() {
        WriteBytes((scratch.FsPath() / "winapp2.ini").string(),
                   "Stray=1\n"
                   "[Tree *]\nDetect=HKCU\\" +
                       reg.Path("Run") + "\nFileKey1=" + (tree() / "a").string() +
                       "|*.txt\n"
                       "[Gone *]\nDetect=HKCU\\Software\\SweepkitLumoTests\\nothing here\nFileKey1=" +
                       (tree() / "b").string() +
                       "|*.*|RECURSE\n"
                       "[Root *]\nFileKey1=/|*.tmp\n");
    }
    std::string programPath() const { return (scratch.FsPath() / "lumo.exe").string(); }

    // A configuration with two Root records: three traces in the tree's two folders, two
    // registry values, and an item whose folder does not exist.
    std::string WriteConfig(const std::string& name = "mine.dat") {
        std::string plain =
            "[Config]\r\nSoftware:Scratch\r\nType:Root\r\nDescription:d\r\nSelected:1\r\nVersion:1.0\r\n"
            "Tree Files<>1<>0<>Folder><" +
            tree().string() +
            "\r\n"
            "Run List<>1<>0<>RegValue><HKEY_CURRENT_USER<>" +
            reg.Path("Run") +
            "\r\n"
            "[Config]\r\nSoftware:Other Tool\r\nType:Root\r\nDescription:d\r\nSelected:1\r\nVersion:1.0\r\n"
            "Missing Folder<>1<>0<>Folder><" +
            (tree() / "missing").string() + "\r\n";
        std::string file = (scratch.FsPath() / name).string();
        WriteBytes(file, Crypt::EnCryptLines(plain));
        return file;
    }

    Outcome Main(const Args& args, const std::atomic<bool>* interrupt = nullptr) {
        std::ostringstream out, err;
        int status = LumoMain(args, platform, programPath(), out, err, interrupt);
        return {status, out.str(), err.str()};
    }

    bool TreeIntact() {
        return fs::exists(tree() / "a" / "x.txt") && fs::exists(tree() / "b" / "c" / "y.bin") &&
               reg.ValueExists("Run", "first") && reg.ValueExists("Run", "second");
    }

    ScratchFolder scratch;
    testing::TestRegistry reg{kRegistryKind};
    Files files;
    Profiles profiles;
    PortableShell shell;
    SystemClock clock;
    Platform platform;
};

// The lines a run over WriteConfig's configuration prints, in find or clear words.
std::string ExpectedOutput(const std::string& verb, int64_t registryBytes) {
    std::string summary = "Privacy Items:7\tDisk Space:";
    PortableClock en;
    return verb + " Scratch Tree Files: 5 tracks.\n" + verb +
           " Scratch Run List: 2 tracks.\n"
           "===" +
           verb + " Scratch: 7 tracks. Click \"View Log\" to see detail.\n\n" + verb +
           " Other Tool Missing Folder: 0 tracks.\n"
           "===" +
           verb + " Other Tool: 0 tracks. Click \"View Log\" to see detail.\n\n" + summary +
           KiloBytesText(en, 5006 + registryBytes) + "\n";
}

TEST_F(LumoConsoleTest, ShowPrintsTheWindowLinesAndTheSummaryAndRemovesNothing) {
    Outcome r = Main({"show", "--config", WriteConfig()});
    EXPECT_EQ(r.status, 0) << r.err;
    EXPECT_EQ(r.err, "");
    // Registry values count two bytes per character: "notepad.exe" and "calc.exe".
    EXPECT_EQ(r.out, ExpectedOutput("Find", 22 + 16));
    EXPECT_TRUE(TreeIntact());
}

TEST_F(LumoConsoleTest, ClearRemovesWhatShowFoundButNotTheNamedFolder) {
    Outcome r = Main({"clear", "--yes", "--config=" + WriteConfig()});
    EXPECT_EQ(r.status, 0) << r.err;
    EXPECT_EQ(r.out, ExpectedOutput("Clear", 22 + 16));
    EXPECT_TRUE(fs::exists(tree()));
    EXPECT_TRUE(fs::is_empty(tree()));
    EXPECT_FALSE(reg.ValueExists("Run", "first"));
    EXPECT_FALSE(reg.ValueExists("Run", "second"));

    Outcome again = Main({"show", "--config", WriteConfig()});
    EXPECT_NE(again.out.find("===Find Scratch: 0 tracks."), std::string::npos) << again.out;
    EXPECT_NE(again.out.find("Privacy Items:0\tDisk Space:0.00 K\n"), std::string::npos) << again.out;
}

TEST_F(LumoConsoleTest, BadUsageChangesNothingAndExitsWithTwo) {
    const std::string config = WriteConfig();
    struct Case {
        Args args;
        const char* message;
    };
    const Case cases[] = {
        {{}, "no command"},
        {{"clear"}, "--yes"},
        {{"clear", "--config", config, "--log"}, "--yes"},
        {{"remove", "--yes"}, "unknown command"},
        {{"show", "--verbose"}, "unknown argument"},
        {{"show", "--config"}, "needs a file name"},
        {{"show", "--config="}, "needs a file name"},
        {{"show", "--config", config, "--config", config}, "twice"},
        {{"show", "--only"}, "needs an entry name"},
        {{"list", "--yes"}, "unknown argument"},
        {{"show", "--config", config, "--only", "X"}, "alone"},
        {{"winapp2", "a.ini", "b.ini"}, "one file"},
    };
    for (const Case& c : cases) {
        Outcome r = Main(c.args);
        std::string shown;
        for (const std::string& a : c.args)
            shown += a + " ";
        EXPECT_EQ(r.status, 2) << shown;
        EXPECT_NE(r.err.find(c.message), std::string::npos) << shown << r.err;
        EXPECT_NE(r.err.find("usage: lumo show"), std::string::npos) << shown;
        EXPECT_EQ(r.out, "") << shown;
    }
    EXPECT_TRUE(TreeIntact());
    EXPECT_FALSE(fs::exists(scratch.FsPath() / "logs"));

    Outcome help = Main({"--help"});
    EXPECT_EQ(help.status, 0);
    EXPECT_NE(help.out.find("lumo clear [--config FILE] [--winapp2 FILE] [--only NAME ...] [--log] --yes"),
              std::string::npos);
}

TEST_F(LumoConsoleTest, AConfigurationThatCannotBeReadExitsWithOne) {
    const std::string broken = (scratch.FsPath() / "broken.dat").string();
    WriteBytes(broken, Crypt::EnCryptLines("[Config]\r\nSoftware:X\r\n") + "ZZ\r\n");
    struct Case {
        Args args;
        std::string named;
    };
    const Case cases[] = {
        {{"show"}, "PrivacyConfig.dat"},  // nothing beside the program
        {{"show", "--config", (scratch.FsPath() / "absent.dat").string()}, "absent.dat"},
        {{"clear", "--yes", "--config", broken}, "broken.dat"},
    };
    for (const Case& c : cases) {
        Outcome r = Main(c.args);
        EXPECT_EQ(r.status, 1) << c.named;
        EXPECT_NE(r.err.find("configuration error"), std::string::npos) << r.err;
        EXPECT_NE(r.err.find(c.named), std::string::npos) << r.err;
        EXPECT_EQ(r.out, "") << "no run, no summary";
    }
    EXPECT_TRUE(TreeIntact());
}

TEST_F(LumoConsoleTest, WithoutConfigOptionTheFileBesideTheProgramIsUsed) {
    WriteConfig("PrivacyConfig.dat");
    Outcome r = Main({"show"});
    EXPECT_EQ(r.status, 0) << r.err;
    EXPECT_EQ(r.out, ExpectedOutput("Find", 22 + 16));
}

TEST_F(LumoConsoleTest, LogOptionWritesTodaysLogBesideTheProgram) {
    Outcome r = Main({"clear", "--log", "--yes", "--config", WriteConfig()});
    EXPECT_EQ(r.status, 0) << r.err;
    const fs::path logs = scratch.FsPath() / "logs";
    ASSERT_TRUE(fs::is_directory(logs));
    std::vector<fs::path> written(fs::directory_iterator(logs), fs::directory_iterator{});
    ASSERT_EQ(written.size(), 1u);
    const std::string name = written[0].filename().string();
    EXPECT_EQ(name, PrivacyLog::FileNameFor(clock.Now()));
    EXPECT_NE(r.err.find("Log file is "), std::string::npos);
    EXPECT_NE(r.err.find(name), std::string::npos);
    const std::string text = ReadBytes(written[0].string());
    EXPECT_NE(text.find("x.txt"), std::string::npos) << "one entry line per trace";
    EXPECT_NE(text.find("second"), std::string::npos);
}

TEST_F(LumoConsoleTest, FileLoggingSettingLogsEveryRun) {
    Application app(platform, clock.Now());
    app.ProgramFolder = scratch.FsPath().string();
    app.settings.EnableFileLogging = true;
    LumoOptions options;
    options.configFile = WriteConfig();
    std::ostringstream out, err;
    EXPECT_EQ(RunLumo(app, options, out, err), 0);
    EXPECT_TRUE(fs::is_directory(scratch.FsPath() / "logs"));
    EXPECT_EQ(app.ActivityLog(), nullptr) << "the log is not left with the application";
}

TEST_F(LumoConsoleTest, AnInterruptStopsTheRunAtTheNextTraceWithItsTotals) {
    Application app(platform, clock.Now());
    app.ProgramFolder = scratch.FsPath().string();
    LumoOptions options;
    options.clear = options.confirmed = true;
    options.configFile = WriteConfig();
    std::atomic<bool> interrupt{false};
    int traces = 0;
    // Ctrl+C pressed while the second trace is being reported.
    Subscription press = app.ConfigSet().AppendValue.Subscribe([&](PrivacyItem&, const PrivacyValuePtr&) {
        if (++traces == 2)
            interrupt = true;
    });
    std::ostringstream out, err;
    EXPECT_EQ(RunLumo(app, options, out, err, &interrupt), 0);
    EXPECT_EQ(traces, 2) << "no trace after the stop";
    EXPECT_NE(out.str().find("Privacy Items:2\t"), std::string::npos) << out.str();
    EXPECT_NE(err.str().find("stopped"), std::string::npos);
    EXPECT_FALSE(app.StopRequested) << "reset at the end of the run";
    EXPECT_TRUE(reg.ValueExists("Run", "first")) << "items after the stop are not cleared";
}

TEST_F(LumoConsoleTest, Winapp2SaysOfEachEntryWhetherItIsPresentAndOnlyRunsNamedEntries) {
    WriteWinapp2();
    Outcome r = Main({"winapp2"});
    ASSERT_EQ(r.status, 0) << r.err;
    EXPECT_EQ(r.out,
              "present Tree *\n"
              "absent Gone *\n"
              "skipped Root *: dangerous: FileKey1 names a drive root (/) (line 9)\n"
              "skipped line 1: a key before the first entry\n"
              "1 lines outside entries skipped, 0 unknown keys ignored\n"
              "3 entries: 1 present, 1 absent, 1 skipped\n");
    EXPECT_EQ(Main({"winapp2", (scratch.FsPath() / "none.ini").string()}).status, 1);

    // Absent here, and run all the same when named; nothing else runs.
    Outcome show = Main({"show", "--only", "gone *"});
    ASSERT_EQ(show.status, 0) << show.err;
    EXPECT_EQ(show.out,
              "Find Gone * FileKey1: 1 tracks.\n===Find Gone *: 1 tracks. Click \"View Log\" to see detail.\n\n"
              "Privacy Items:1\tDisk Space:5.00 K\n");
    Outcome clear = Main({"clear", "--yes", "--only", "Gone *", "--only", "Tree *"});
    ASSERT_EQ(clear.status, 0) << clear.err;
    EXPECT_FALSE(fs::exists(tree() / "b" / "c" / "y.bin"));
    EXPECT_FALSE(fs::exists(tree() / "a" / "x.txt"));
    EXPECT_TRUE(reg.ValueExists("Run", "first")) << "the configuration's items did not run";

    for (const char* name : {"Root *", "Nobody *"}) {
        Outcome refused = Main({"show", "--only", name});
        EXPECT_EQ(refused.status, 1) << name;
        EXPECT_EQ(refused.out, "") << name;
        EXPECT_NE(refused.err.find(name), std::string::npos) << refused.err;
    }
}

TEST_F(LumoConsoleTest, ListShowsWhatARunSeeksWithTheUsersWinapp2Selection) {
    WriteConfig("PrivacyConfig.dat");
    WriteWinapp2();
    Outcome unselected = Main({"list"});
    EXPECT_EQ(unselected.out.find("Tree *"), std::string::npos) << "nothing is selected until the user selects it";
    WriteBytes((scratch.FsPath() / std::string(kWinapp2SelectionFileName)).string(), "; chosen\r\ntree *\r\n");
    Outcome r = Main({"list"});
    ASSERT_EQ(r.status, 0) << r.err;
    EXPECT_EQ(r.out,
              "Scratch\n"
              "    Tree Files: everything below " +
                  tree().string() +
                  "\n"
                  "    Run List: values of HKEY_CURRENT_USER\\" +
                  reg.Path("Run") +
                  "\n"
                  "Other Tool\n"
                  "    Missing Folder: everything below " +
                  (tree() / "missing").string() +
                  "\n"
                  "Tree * (winapp2.ini, Other)\n"
                  "    FileKey1: files matching *.txt in " +
                  (tree() / "a").string() +
                  "\n"
                  "3 records, 4 items\n");
    Outcome show = Main({"show"});
    EXPECT_NE(show.out.find("Find Tree * FileKey1: 1 tracks.\n"), std::string::npos) << show.out;

    Outcome version = Main({"--version"});
    EXPECT_EQ(version.out, "lumo 3.2.19\n");
}

TEST(RunText, LinesAndKilobytesAsTheWindowWritesThem) {
    PortableClock en;
    EXPECT_EQ(ItemFinishLine(true, "Windows", "Recent Run History", 3), "Find Windows Recent Run History: 3 tracks.");
    EXPECT_EQ(ItemFinishLine(false, "Windows", "Recent Run History", -1),
              "Clear Windows Recent Run History: -1 tracks.");
    EXPECT_EQ(ConfigFinishLine(false, "Mozilla", 0), "===Clear Mozilla: 0 tracks. Click \"View Log\" to see detail.");
    const std::pair<int64_t, std::string> sizes[] = {{0, "0.00 K"},
                                                     {999, "1.00 K"},
                                                     {1234567, "1,234.57 K"},
                                                     {3'000'000'000LL, "3,000,000.00 K"}};
    for (const auto& [bytes, text] : sizes)
        EXPECT_EQ(KiloBytesText(en, bytes), text) << bytes;
    EXPECT_EQ(RunSummaryText(en, 12, 1234567), "Privacy Items:12\tDisk Space:1,234.57 K");
}

TEST(ConsoleServices, ProgramPathNamesThisTestProgram) {
    std::string path = RunningProgramPath();
    EXPECT_TRUE(fs::exists(path)) << path;
    EXPECT_EQ(fs::path(path).stem().string(), "test_tools");
}

#ifndef _WIN32
TEST(ConsoleServices, TheFirstInterruptOnlySetsTheFlag) {
    const std::atomic<bool>& flag = WatchConsoleInterrupt();
    EXPECT_FALSE(flag.load());
    std::raise(SIGINT);
    EXPECT_TRUE(flag.load()) << "still running, with the stop request set";
}
#endif

// The shipped configuration end to end. The temporary folder is a scratch folder, so a clear run
// removes nothing the machine needs; natively every special folder is, and registry items find
// nothing.
class ShippedShell : public Shell {
public:
    ShippedShell(Shell& real, std::string temp) : real_(real), temp_(std::move(temp)) {}
    std::optional<std::string> SpecialFolderPath(int32_t csidl) override { return real_.SpecialFolderPath(csidl); }
    std::optional<std::string> WindowsFolder() override { return real_.WindowsFolder(); }
    std::optional<std::string> SystemFolder() override { return real_.SystemFolder(); }
    std::optional<std::string> TemporaryFolder() override { return temp_; }
    bool OpenDocument(std::string_view, uintptr_t) override { return false; }
    bool StartCommand(std::string_view) override { return false; }

private:
    Shell& real_;
    std::string temp_;
};

TEST_F(LumoConsoleTest, ShippedConfigurationShowsAndClears) {
    const fs::path temp = scratch.FsPath() / "temp";
    fs::create_directories(temp / "sub");
    WriteBytes((temp / "one.tmp").string(), "12345");
    WriteBytes((temp / "sub" / "two.tmp").string(), "1234567890");
#ifdef _WIN32
    Win32Shell real;
    ShippedShell redirected(real, temp.string());
#else
    // No registry values natively: every folder the configuration names comes from the shell.
    MemoryRegistry empty;
    platform.registry = &empty;
    for (int32_t csidl : {csidlAppData, csidlLocalAppData, csidlProgramFiles, csidlProfile})
        shell.specialFolders[csidl] = (scratch.FsPath() / ("folder" + std::to_string(csidl))).string();
    shell.windows = (scratch.FsPath() / "windows").string();
    shell.system = (scratch.FsPath() / "system").string();
    ShippedShell redirected(shell, temp.string());
#endif
    platform.shell = &redirected;
    const std::string config = testing::ShippedConfigPath();

    Outcome show = Main({"show", "--config", config});
    ASSERT_EQ(show.status, 0) << show.err;
    EXPECT_NE(show.out.find("Find Windows Window Temp Files: 3 tracks.\n"), std::string::npos) << show.out;
    EXPECT_NE(show.out.find("===Find Windows: "), std::string::npos);
    EXPECT_NE(show.out.find("\n\nPrivacy Items:"), std::string::npos);
    EXPECT_TRUE(fs::exists(temp / "sub" / "two.tmp"));

    Outcome clear = Main({"clear", "--yes", "--config", config});
    ASSERT_EQ(clear.status, 0) << clear.err;
    EXPECT_NE(clear.out.find("Clear Windows Window Temp Files: 3 tracks.\n"), std::string::npos) << clear.out;
    EXPECT_EQ(clear.out.find("Find "), std::string::npos);
    EXPECT_TRUE(fs::exists(temp));
    EXPECT_TRUE(fs::is_empty(temp));
#ifndef _WIN32
    // Natively nothing but the scratch temporary folder holds traces: both runs report exactly it.
    EXPECT_NE(show.out.find("Privacy Items:3\tDisk Space:0.02 K\n"), std::string::npos) << show.out;
    EXPECT_NE(clear.out.find("Privacy Items:3\tDisk Space:0.02 K\n"), std::string::npos) << clear.out;
#endif
}

}  // namespace
}  // namespace lumo
