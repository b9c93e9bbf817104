// The program as a standard user runs it from Program Files: HKEY_LOCAL_MACHINE and the program's
// folder can be read but not written. Run Options, Items Settings and a logged clear run must still
// keep what the user does, across a restart, in the user's own places, with no failure box; lumo
// follows the same places. Natively over the in-memory registry and a file system that refuses
// writes in the program's folder; on Windows (under Wine) also over the real registry and file
// system, in a program folder that tests/app/check-standard-user made immutable with chattr +i
// (Wine runs with full rights and root passes permission bits, but not that flag).
#include <gtest/gtest.h>

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <sstream>

#include "app/main.h"
#include "support/enciphered_lines.h"
#include "lumo_console.h"
#include "platform/portable/portable_clock.h"
#include "platform/portable/portable_file_system.h"
#include "platform/portable/portable_shell.h"
#include "registry/reg_key.h"
#include "settings/settings_store.h"
#include "support/locked_folder_files.h"
#include "support/registry_fixture.h"
#include "ui/headless/headless_host.h"
#include "ui/items_settings_test_config.h"
#include "ui/items_settings_window.h"
#include "ui/main_window.h"
#include "ui/run_options_window.h"

#ifdef _WIN32
#include "platform/win32/win32_file_system.h"
#include "platform/win32/win32_shell.h"
#endif

namespace lumo {
namespace {

namespace fs = std::filesystem;
using testing::ScratchFolder;

// The shell with the user's local application data in a scratch folder, and commands recorded
// rather than started.
class UserShell : public Shell {
public:
    UserShell(Shell& inner, std::string localAppData) : inner_(inner), local_(std::move(localAppData)) {}
    std::optional<std::string> SpecialFolderPath(int32_t csidl) override {
        return csidl == csidlLocalAppData ? std::optional(local_) : inner_.SpecialFolderPath(csidl);
    }
    std::optional<std::string> WindowsFolder() override { return inner_.WindowsFolder(); }
    std::optional<std::string> SystemFolder() override { return inner_.SystemFolder(); }
    std::optional<std::string> TemporaryFolder() override { return inner_.TemporaryFolder(); }
    std::optional<std::string> EnvironmentVariable(std::string_view name) override {
        return inner_.EnvironmentVariable(name);
    }
    bool OpenDocument(std::string_view, uintptr_t) override { return true; }
    bool StartCommand(std::string_view command) override {
        commands.emplace_back(command);
        return true;
    }
    std::vector<std::string> commands;

private:
    Shell& inner_;
    std::string local_;
};

#ifdef _WIN32
// The program's folder the Wine check locked, with an empty PrivacyConfig.dat left in it to fill.
const char* LockedProgramFolder() { return std::getenv("LUMO_LOCKED_PROGRAM_FOLDER"); }
#endif

// Param: false, the in-memory registry with the machine's keys refused and a file system that
// refuses writes beside the program; true, the real ones and a folder locked by the system.
class StandardUser : public ::testing::TestWithParam<bool> {
protected:
    void SetUp() override {
        real_ = GetParam();
        fs::create_directories(scratch.FsPath() / "local");
        fs::create_directories(scratch.FsPath() / "traces");
        testing::WriteBytes(Traces("a.tmp"), "12345");
        testing::WriteBytes(Traces("b.tmp"), "1234567890");
        if (real_) {
#ifdef _WIN32
            if (!LockedProgramFolder())
                GTEST_SKIP() << "run by tests/app/check-standard-user, which locks a program folder";
            programFolder = LockedProgramFolder();
            realFiles = std::make_unique<Win32FileSystem>();
            realShell = std::make_unique<Win32Shell>();
            reg = std::make_unique<testing::TestRegistry>(testing::RegistryKind::Real);
            where = SettingsLocations::Below(testing::TestRegistry::kRoot, reg->Branch());
            reg->CreateKey("HKCU\\Software");  // there on every machine
#endif
        } else {
            programFolder = (scratch.FsPath() / "program").string();
            fs::create_directories(programFolder);
            realFiles = std::make_unique<PortableFileSystem>();
            realShell = std::make_unique<PortableShell>();
            reg = std::make_unique<testing::TestRegistry>(testing::RegistryKind::Memory);
            where = SettingsLocations::Standard();
        }
        // The file beside the program: in the locked folder it exists and only its bytes change.
        std::ofstream(JoinPath(programFolder, kConfigFileName), std::ios::binary | std::ios::trunc)
            << testing::Enciphered(ConfigLines());
        shippedBytes = testing::ReadBytes(JoinPath(programFolder, kConfigFileName));
        ASSERT_FALSE(shippedBytes.empty());
        if (real_) {
            ASSERT_FALSE(std::ofstream(JoinPath(programFolder, "probe.txt")).is_open()) << "the folder is not locked";
        }
        files = std::make_unique<testing::LockedFolderFiles>(*realFiles, real_ ? std::string("\x01") : programFolder);
        shell = std::make_unique<UserShell>(*realShell, (scratch.FsPath() / "local").string());
        platform.registry = &reg->Api();
        platform.files = files.get();
        platform.shell = shell.get();
        platform.clock = &clock;
        store = std::make_unique<SettingsStore>(reg->Api(), JoinPath(programFolder, "SweepkitLumo.exe"), where);
        SeedMachineSettings();
    }

    std::string Traces(const char* name) const { return (scratch.FsPath() / "traces" / name).string(); }
    std::string UserFolder() const { return JoinPath((scratch.FsPath() / "local").string(), "Sweepkit Lumo"); }

    // Every built-in item off, and a Plugins record whose one item is the scratch traces.
    testing::Lines ConfigLines() const {
        std::vector<bool> off6(6, false), off4(4, false);
        using testing::operator+;
        return testing::BuiltInRecords({off6, off6, off4, off4, off4}) +
               testing::Lines{"[Config]", "Software:Scratch", "Type:Plugins", "Selected:1",
                              "Traces<>1<>0<>Folder><" + (scratch.FsPath() / "traces").string()};
    }

    // What an older version, run as administrator, left for everyone; now refused to this user.
    void SeedMachineSettings() {
        RegKey(reg->Raw())
            .SetRegValue("Keep Log Days", rvtString, std::string("3"), where.machineRoot, where.MachineSettingsKey());
        RegKey(reg->Raw())
            .SetRegValue("Schedule Clock", rvtString, std::string("7"), where.machineRoot, where.MachineSettingsKey());
        const uint32_t writes = keyCreateSubKey | keySetValue;
        if (MemoryRegistry* memory = reg->Memory()) {
            for (const char* key : {"Software", "Software\\Tallowin", "Software\\Tallowin\\Sweepkit Lumo"})
                ASSERT_TRUE(memory->DenyRights(rkLocalMachine, key, writes)) << key;
        } else {
            reg->DenyRights("HKLM\\Software", writes);
            reg->DenyRights("HKLM\\Software\\Tallowin\\Sweepkit Lumo", writes);
        }
    }
    std::optional<std::string> Value(int32_t root, const std::string& key, const char* name) {
        std::optional<RegValue> v = RegKey(reg->Raw()).GetRegValue(name, root, key);
        return v && v->ValueType != rvtNone ? std::optional(v->ValueDataString()) : std::nullopt;
    }

    // One start of the program: its own application object and host, as after a restart.
    struct Run {
        Run(Platform p, DateTime now, const std::string& folder, SettingsStore& store) : app(p, now) {
            app.ProgramFolder = folder;
            program = std::make_unique<Program>(app, host, store);
        }
        ~Run() { program.reset(); }
        std::vector<std::string> Rows() {
            std::vector<std::string> rows;
            for (int32_t i = 1; i <= program->Window()->lvwPItem.ItemCount(); ++i)
                rows.push_back(program->Window()->lvwPItem.Item(i).Text());
            return rows;
        }
        Application app;
        HeadlessHost host;
        std::unique_ptr<Program> program;
    };

    bool real_ = false;
    ScratchFolder scratch;
    std::string programFolder;
    std::string shippedBytes;
    std::unique_ptr<FileSystem> realFiles;
    std::unique_ptr<Shell> realShell;
    std::unique_ptr<testing::TestRegistry> reg;
    SettingsLocations where = SettingsLocations::Standard();
    std::unique_ptr<testing::LockedFolderFiles> files;
    std::unique_ptr<UserShell> shell;
    PortableClock clock{DateTime::FromParts(2024, 5, 17, 10, 0, 0)};
    Platform platform;
    std::unique_ptr<SettingsStore> store;
};

TEST_P(StandardUser, KeepsSettingsSelectionAndLogsInTheUsersOwnPlaces) {
    const std::string logFile = JoinPath(JoinPath(UserFolder(), "logs"), "L20240517.log");
    {
        Run first(platform, clock.Now(), programFolder, *store);
        ASSERT_TRUE(first.program->Main());
        Application& app = first.app;
        MainWindow& w = *first.program->Window();
        EXPECT_EQ(app.DataFolder, UserFolder());
        EXPECT_EQ(app.ConfigFilePath, JoinPath(UserFolder(), "PrivacyConfig.dat"));
        EXPECT_EQ(app.settings.KeepLogDays, 3) << "the older version's value is the starting point";
        EXPECT_EQ(first.Rows(), std::vector<std::string>{"Scratch"});

        // Run Options: logging on, OK. It saves the settings and the configuration.
        std::unique_ptr<RunOptionsWindow> options;
        ShowRunOptions(options, w, app, *store, ShowMode::Modeless);
        options->advaChkEnableFileLogging.Click();
        options->cmdOk.Click();
        EXPECT_FALSE(options->Loaded()) << "OK saved and closed";
        for (const auto& box : first.host.Boxes())
            ADD_FAILURE() << "box shown: " << box.text;
        EXPECT_TRUE(app.settings.EnableFileLogging);

        // A logged clear run: the question, the summary, then the offer of the log, taken.
        first.host.QueueAnswers({MsgAnswer::Yes, MsgAnswer::Ok, MsgAnswer::Yes});
        w.cmdClear.Click();
        EXPECT_FALSE(fs::exists(Traces("a.tmp")) || fs::exists(Traces("b.tmp")));
        ASSERT_EQ(first.host.Boxes().size(), 3u);
        EXPECT_EQ(first.host.Boxes()[2].text, "Log file is " + logFile + ", view it?");
        std::string log = testing::ReadBytes(logFile);
        EXPECT_NE(log.find("Find " + Traces("b.tmp")), std::string::npos) << log;

        // Items Settings: the first Windows item on, the scratch record off, OK.
        std::unique_ptr<ItemsSettingsWindow> items;
        ShowItemsSettings(items, w, app.ConfigSet(), app.ConfigFilePath, [&w] { w.LoadPItem(); });
        items->winsChkSettings[0]->Click();
        items->plugChkSettings[0]->Click();
        items->cmdOk.Click();
        EXPECT_EQ(first.Rows(), std::vector<std::string>{"Windows Recent Documents"});

        w.cmdViewLog.Click();
        EXPECT_EQ(shell->commands, (std::vector<std::string>{"notepad.exe " + logFile, "notepad.exe " + logFile}));
        EXPECT_EQ(first.host.Boxes().size(), 3u) << "no box but the run's own three";
        EXPECT_TRUE(first.host.HandlerFailures().empty()) << first.host.HandlerFailures().front();
    }

    // A restart reads it all back.
    Run second(platform, clock.Now(), programFolder, *store);
    ASSERT_TRUE(second.program->Main());
    EXPECT_TRUE(second.app.settings.EnableFileLogging);
    EXPECT_EQ(second.app.settings.KeepLogDays, 3);
    EXPECT_EQ(second.app.settings.ScheduleClock, 7);
    EXPECT_EQ(second.Rows(), std::vector<std::string>{"Windows Recent Documents"});
    EXPECT_TRUE(second.host.Boxes().empty());

    // Everything went to the user's key; the machine's key and the program's folder are as they were.
    EXPECT_EQ(Value(where.settingsRoot, where.SettingsKey(), "Enable File Logging"), "true");
    EXPECT_EQ(Value(where.settingsRoot, where.SettingsKey(), "Keep Log Days"), "3");
    EXPECT_EQ(Value(where.machineRoot, where.MachineSettingsKey(), "Enable File Logging"), std::nullopt);
    EXPECT_EQ(testing::ReadBytes(JoinPath(programFolder, kConfigFileName)), shippedBytes);
    std::vector<std::string> beside;
    for (const auto& entry : fs::directory_iterator(programFolder))
        beside.push_back(entry.path().filename().string());
    EXPECT_EQ(beside, std::vector<std::string>{"PrivacyConfig.dat"});

    // lumo finds the same configuration and writes its log in the same place.
    std::ostringstream out, err;
    EXPECT_EQ(LumoMain({"show", "--log"}, platform, JoinPath(programFolder, "lumo.exe"), out, err), kLumoOk)
        << err.str();
    EXPECT_NE(out.str().find("Find Windows Recent Documents: "), std::string::npos) << out.str();
    EXPECT_EQ(out.str().find("Scratch"), std::string::npos) << "the user's selection, not the shipped one";
    EXPECT_NE(err.str().find("Log file is " + logFile), std::string::npos) << err.str();
}

#ifdef _WIN32
INSTANTIATE_TEST_SUITE_P(Places, StandardUser, ::testing::Values(false, true),
                         [](const auto& info) { return std::string(info.param ? "RealLockedFolder" : "Memory"); });
#else
INSTANTIATE_TEST_SUITE_P(Places, StandardUser, ::testing::Values(false),
                         [](const auto&) { return std::string("Memory"); });
#endif

// An older version run as administrator, from a folder the user may write: its machine-wide
// values are read, and the first save makes them the user's without touching the machine's key;
// the configuration and logs stay beside the program.
TEST(OlderInstall, FirstStartReadsTheMachineValuesAndTheFirstSaveWritesTheUsersKey) {
    ScratchFolder dir;
    testing::WriteBytes(dir.Path("PrivacyConfig.dat"), testing::Enciphered(testing::BuiltInRecords()));
    MemoryRegistry registry;
    RegHandle software = 0;  // there on every machine
    registry.CreateKey(RootHandle(rkCurrentUser), "Software", keyAllAccess, software);
    registry.CloseKey(software);
    RegKey(registry).SetRegValue("Schedule Type", rvtString, std::string("daily"), rkLocalMachine,
                                 "Software\\Tallowin\\Sweepkit Lumo");
    PortableFileSystem files;
    PortableShell realShell;
    UserShell shell(realShell, dir.Path("local"));
    PortableClock clock(DateTime::FromParts(2024, 5, 17, 10, 0, 0));
    Application app(Platform{.registry = &registry, .files = &files, .shell = &shell, .clock = &clock}, clock.Now());
    app.ProgramFolder = dir.FsPath().string();
    HeadlessHost host;
    SettingsStore store(registry, dir.Path("SweepkitLumo.exe"));
    Program program(app, host, store);
    ASSERT_TRUE(program.Main());
    EXPECT_EQ(app.settings.ScheduleType, "daily");
    EXPECT_EQ(app.LogsFolder(), dir.Path("logs"));
    EXPECT_EQ(app.ConfigFilePath, dir.Path("PrivacyConfig.dat"));

    std::unique_ptr<RunOptionsWindow> options;
    ShowRunOptions(options, *program.Window(), app, store, ShowMode::Modeless);
    options->cmdOk.Click();
    EXPECT_TRUE(host.Boxes().empty());
    std::optional<RegValue> mine =
        RegKey(registry).GetRegValue("Schedule Type", rkCurrentUser, "Software\\Tallowin\\Sweepkit Lumo");
    ASSERT_TRUE(mine);
    EXPECT_EQ(mine->ValueDataString(), "daily");
    EXPECT_EQ(
        RegKey(registry).GetRegValue("Schedule Clock", rkLocalMachine, "Software\\Tallowin\\Sweepkit Lumo")->ValueType,
        rvtNone)
        << "nothing written to the machine's key";
    EXPECT_FALSE(fs::exists(dir.FsPath() / "local")) << "no folder of the user's is made";
}

}  // namespace
}  // namespace lumo
