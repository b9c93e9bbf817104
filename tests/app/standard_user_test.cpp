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

// A shell with the user's local application data in a scratch folder.
template <class Inner>
struct UserShell : Inner {
    explicit UserShell(std::string local) : local(std::move(local)) {}
    std::optional<std::string> SpecialFolderPath(int32_t csidl) override {
        return csidl == csidlLocalAppData ? std::optional(local) : Inner::SpecialFolderPath(csidl);
    }
    std::string local;
};

// Param: false, the in-memory registry with the machine's keys refused and a file system that
// refuses writes beside the program; true, the real ones and the folder the Wine check locked
// (with an empty PrivacyConfig.dat left in it to fill).
class StandardUser : public ::testing::TestWithParam<bool> {
protected:
    void SetUp() override {
        const std::string local = (scratch.FsPath() / "local").string();
        scratch.Write("traces/a.tmp", "12345");
        scratch.Write("traces/b.tmp", "1234567890");
        scratch.Folder("local");
        if (GetParam()) {
#ifdef _WIN32
            if (!std::getenv("LUMO_LOCKED_PROGRAM_FOLDER"))
                GTEST_SKIP() << "run by tests/app/check-standard-user, which locks a program folder";
            programFolder = std::getenv("LUMO_LOCKED_PROGRAM_FOLDER");
            realFiles = std::make_unique<Win32FileSystem>();
            shell = std::make_unique<UserShell<Win32Shell>>(local);
            reg = std::make_unique<testing::TestRegistry>(testing::RegistryKind::Real);
            where = SettingsLocations::Below(testing::TestRegistry::kRoot, reg->Branch());
            reg->CreateKey("HKCU\\Software");  // there on every machine
#endif
        } else {
            programFolder = scratch.Folder("program");
            realFiles = std::make_unique<PortableFileSystem>();
            shell = std::make_unique<UserShell<PortableShell>>(local);
            reg = std::make_unique<testing::TestRegistry>(testing::RegistryKind::Memory);
        }
        // The file beside the program: every built-in item off, and a Plugins record of the traces.
        std::vector<bool> off6(6, false), off4(4, false);
        using testing::operator+;
        testing::WriteBytes(JoinPath(programFolder, kConfigFileName),
                            testing::Enciphered(testing::BuiltInRecords({off6, off6, off4, off4, off4}) +
                                                testing::Lines{"[Config]", "Software:Scratch", "Type:Plugins",
                                                               "Selected:1",
                                                               "Traces<>1<>0<>Folder><" + scratch.Path("traces")}));
        shippedBytes = testing::ReadBytes(JoinPath(programFolder, kConfigFileName));
        if (GetParam()) {
            ASSERT_FALSE(std::ofstream(JoinPath(programFolder, "probe.txt")).is_open()) << "the folder is not locked";
        }
        files = std::make_unique<testing::LockedFolderFiles>(*realFiles, GetParam() ? "\x01" : programFolder);
        platform = {.registry = &reg->Api(), .files = files.get(), .shell = shell.get(), .clock = &clock};
        store = std::make_unique<SettingsStore>(reg->Api(), JoinPath(programFolder, "SweepkitLumo.exe"), where);
        // What an older version, run as administrator, left for everyone; now refused to this user.
        RegKey(reg->Raw())
            .SetRegValue("Keep Log Days", rvtString, std::string("3"), where.machineRoot, where.MachineSettingsKey());
        for (const char* key : {"Software", "Software\\Tallowin", "Software\\Tallowin\\Sweepkit Lumo"})
            if (MemoryRegistry* memory = reg->Memory())
                ASSERT_TRUE(memory->DenyRights(rkLocalMachine, key, keyCreateSubKey | keySetValue)) << key;
            else if (std::string(key) != "Software\\Tallowin")
                reg->DenyRights("HKLM\\" + std::string(key), keyCreateSubKey | keySetValue);
    }

    std::optional<std::string> Value(int32_t root, const std::string& key, const char* name) {
        std::optional<RegValue> v = RegKey(reg->Raw()).GetRegValue(name, root, key);
        return v && v->ValueType != rvtNone ? std::optional(v->ValueDataString()) : std::nullopt;
    }

    // One start of the program: its own application object and host, as after a restart.
    struct Run {
        explicit Run(StandardUser& t) : app(t.platform, t.clock.Now()), program(app, host, *t.store) {
            app.ProgramFolder = t.programFolder;
            EXPECT_TRUE(program.Main());
        }
        std::vector<std::string> Rows() {
            std::vector<std::string> rows;
            for (ListItem& row : program.Window()->lvwPItem)
                rows.push_back(row.Text());
            return rows;
        }
        Application app;
        HeadlessHost host;
        Program program;
    };

    testing::ScratchFolder scratch;
    std::string programFolder, shippedBytes;
    std::unique_ptr<FileSystem> realFiles;
    std::unique_ptr<Shell> shell;
    std::unique_ptr<testing::TestRegistry> reg;
    SettingsLocations where = SettingsLocations::Standard();
    std::unique_ptr<testing::LockedFolderFiles> files;
    PortableClock clock{DateTime::FromParts(2024, 5, 17, 10, 0, 0)};
    Platform platform;
    std::unique_ptr<SettingsStore> store;
};

TEST_P(StandardUser, KeepsSettingsSelectionAndLogsInTheUsersOwnPlaces) {
    const std::string userFolder = JoinPath((scratch.FsPath() / "local").string(), "Sweepkit Lumo");
    const std::string logFile = JoinPath(JoinPath(userFolder, "logs"), "L20240517.log");
    {
        Run first(*this);
        Application& app = first.app;
        MainWindow& w = *first.program.Window();
        EXPECT_EQ(app.ConfigFilePath, JoinPath(userFolder, "PrivacyConfig.dat"));
        EXPECT_EQ(app.settings.KeepLogDays, 3) << "the older version's value is the starting point";
        EXPECT_EQ(first.Rows(), std::vector<std::string>{"Scratch"});

        // Run Options: logging on, OK, which saves the settings and the configuration; then a
        // logged clear run: the question, the summary, and the offer of the log.
        std::unique_ptr<RunOptionsWindow> options;
        ShowRunOptions(options, w, app, *store, ShowMode::Modeless);
        options->advaChkEnableFileLogging.Click();
        options->cmdOk.Click();
        EXPECT_FALSE(options->Loaded()) << "OK saved and closed";
        first.host.QueueAnswers({MsgAnswer::Yes, MsgAnswer::Ok, MsgAnswer::No});
        w.cmdClear.Click();
        EXPECT_FALSE(fs::exists(scratch.Path("traces/a.tmp")) || fs::exists(scratch.Path("traces/b.tmp")));
        ASSERT_EQ(first.host.Boxes().size(), 3u) << first.host.Boxes()[0].text;
        EXPECT_EQ(first.host.Boxes()[2].text, "Log file is " + logFile + ", view it?");
        EXPECT_NE(testing::ReadBytes(logFile).find("Find " + scratch.Path("traces/b.tmp")), std::string::npos);

        // Items Settings: the first Windows item on, the scratch record off, OK.
        std::unique_ptr<ItemsSettingsWindow> items;
        ShowItemsSettings(items, w, app.ConfigSet(), app.ConfigFilePath, [&w] { w.LoadPItem(); });
        items->winsChkSettings[0]->Click();
        items->plugChkSettings[0]->Click();
        items->cmdOk.Click();
        EXPECT_EQ(first.Rows(), std::vector<std::string>{"Windows Recent Documents"});
        EXPECT_TRUE(first.host.Boxes().size() == 3u && first.host.HandlerFailures().empty()) << "no other box";
    }
    // A restart reads it all back; everything went to the user's key, the machine's key and the
    // program's folder are as they were.
    Run second(*this);
    EXPECT_TRUE(second.app.settings.EnableFileLogging && second.host.Boxes().empty());
    EXPECT_EQ(second.Rows(), std::vector<std::string>{"Windows Recent Documents"});
    EXPECT_EQ(Value(where.settingsRoot, where.SettingsKey(), "Keep Log Days"), "3");
    EXPECT_EQ(Value(where.machineRoot, where.MachineSettingsKey(), "Enable File Logging"), std::nullopt);
    EXPECT_EQ(testing::ReadBytes(JoinPath(programFolder, kConfigFileName)), shippedBytes);
    EXPECT_EQ(std::distance(fs::directory_iterator(programFolder), fs::directory_iterator()), 1);

    // lumo finds the same configuration and writes its log in the same place.
    std::ostringstream out, err;
    EXPECT_EQ(LumoMain({"show", "--log"}, platform, JoinPath(programFolder, "lumo.exe"), out, err), kLumoOk);
    EXPECT_NE(out.str().find("Find Windows Recent Documents: "), std::string::npos) << out.str();
    EXPECT_EQ(out.str().find("Scratch"), std::string::npos) << "the user's selection, not the shipped one";
    EXPECT_NE(err.str().find("Log file is " + logFile), std::string::npos) << err.str();
}

#ifdef _WIN32
INSTANTIATE_TEST_SUITE_P(Places, StandardUser, ::testing::Values(false, true),
                         [](const auto& info) { return std::string(info.param ? "RealLockedFolder" : "Memory"); });
#else
INSTANTIATE_TEST_SUITE_P(Places, StandardUser, ::testing::Values(false), [](const auto&) { return "Memory"; });
#endif

}  // namespace
}  // namespace lumo
