// The settings store over the in-memory registry and, on Windows, the real one: first start,
// the read rules and ranges, save and load, the user's key over the machine's, the start-up entry
// and the browser switch, the menu take-over, and saving or loading without access (failures
// passed over, nothing raised).
#include <gtest/gtest.h>

#include <algorithm>
#include <functional>
#include <string>
#include <vector>

#include "registry/reg_key.h"
#include "settings/settings_store.h"
#include "settings/windows_integration.h"
#include "support/registry_fixture.h"

namespace lumo {
namespace {

using testing::RegistryKindNames;
using testing::RegistryKinds;
using testing::RegistryTest;
using Op = MemoryRegistry::Op;

constexpr int32_t kRoot = testing::TestRegistry::kRoot;
constexpr char kSettingsKey[] = "HKCU\\Software\\Tallowin\\Sweepkit Lumo";
constexpr char kMachineKey[] = "HKLM\\Software\\Tallowin\\Sweepkit Lumo";
constexpr char kRunKey[] = "HKCU\\Software\\Microsoft\\Windows\\CurrentVersion\\Run";
constexpr char kBrowserKey[] = "HKCU\\Software\\Microsoft\\Internet Explorer\\Main";
constexpr char kProgram[] = "C:\\Program Files\\Sweepkit Lumo\\SweepkitLumo.exe";
const std::vector<std::string> kFormValues = {"FormSuggest Passwords", "FormSuggest PW Ask", "Use FormSuggest"};

const std::vector<std::string> kNames = {"Run On Startup Windows", "Turn Off Forms AutoComplete",
                                         "Monitor Start Page",     "Start Page",
                                         "Window Title",           "Schedule Type",
                                         "Schedule Interval",      "Schedule Clock",
                                         "Security Fill Times",    "Enable File Logging",
                                         "Keep Log Days",          "Display Max Rows"};

// The twelve settings as texts, in table order, for comparing whole sets.
std::vector<std::string> Texts(const AppSettings& s) {
    auto b = [](bool v) { return std::string(v ? "true" : "false"); };
    return {b(s.RunOnStartupWindows),
            b(s.TurnOffFormsAutoComplete),
            b(s.MonitorStartPage),
            s.StartPage,
            s.WindowTitle,
            s.ScheduleType,
            std::to_string(s.ScheduleInterval),
            std::to_string(s.ScheduleClock),
            std::to_string(s.SecurityFillTimes),
            b(s.EnableFileLogging),
            std::to_string(s.KeepLogDays),
            std::to_string(s.DisplayMaxRows)};
}

struct Marks : MenuCheckMarks {
    bool run = false, forms = false, monitor = false, interval = false, daily = false, logging = false;
    bool RunOnStartupChecked() const override { return run; }
    bool TurnOffFormsAutoCompleteChecked() const override { return forms; }
    bool MonitorStartPageChecked() const override { return monitor; }
    bool ScheduleIntervalChecked() const override { return interval; }
    bool ScheduleDailyChecked() const override { return daily; }
    bool EnableFileLoggingChecked() const override { return logging; }
};

template <class Kind>
class SettingsStoreTest : public RegistryTest<Kind> {
protected:
    // As on every Windows machine, the parents of the settings keys exist.
    void SetUp() override {
        this->reg.CreateKey("HKCU\\Software");
        this->reg.CreateKey("HKLM\\Software");
    }
    SettingsStore Store(std::string program = kProgram) {
        return SettingsStore(this->reg.Api(), std::move(program), SettingsLocations::Below(kRoot, this->reg.Branch()));
    }
    std::string Text(std::string_view relative, std::string_view name) {
        auto [type, bytes] = this->reg.ReadRaw(relative, name);
        EXPECT_EQ(type, 1u) << name << " is not a string value";
        std::string s(bytes.begin(), bytes.end());
        return s.substr(0, s.find('\0'));
    }
};

TYPED_TEST_SUITE(SettingsStoreTest, RegistryKinds, RegistryKindNames);

TYPED_TEST(SettingsStoreTest, FirstStartCreatesTheKeyAndGivesEveryDefault) {
    AppSettings s;
    s.ScheduleInterval = 30;  // whatever the memory held, an empty key gives the defaults
    s.StartPage = "x";
    SettingsFailures failures = this->Store().LoadSystemSettings(s);
    EXPECT_TRUE(failures.empty()) << DescribeFailures(failures);
    EXPECT_TRUE(this->reg.KeyExists(kSettingsKey));
    EXPECT_EQ(Texts(s), Texts(AppSettings{}));
    EXPECT_EQ(Texts(s), (std::vector<std::string>{"false", "false", "false", "", "", "none", "6", "12", "1", "false",
                                                  "1", "1000"}));
}

TYPED_TEST(SettingsStoreTest, ReadingOnlyWritesNothing) {
    AppSettings s;
    s.KeepLogDays = 4;
    if (MemoryRegistry* memory = this->reg.Memory())
        memory->ResetCallCounts();
    SettingsFailures failures = this->Store().ReadSystemSettings(s);
    EXPECT_EQ(failures.size(), 12u) << "no key: nothing can be read";
    EXPECT_FALSE(this->reg.KeyExists(kSettingsKey));
    EXPECT_EQ(s.KeepLogDays, 4);
    if (MemoryRegistry* memory = this->reg.Memory()) {
        EXPECT_EQ(memory->CallCount(Op::CreateKey), 0u);
        EXPECT_EQ(memory->CallCount(Op::SetValue), 0u);
    }

    this->reg.SetString(kSettingsKey, "Keep Log Days", "2");
    EXPECT_TRUE(this->Store().ReadSystemSettings(s).empty());
    EXPECT_EQ(s.KeepLogDays, 2);
}

TYPED_TEST(SettingsStoreTest, SaveThenLoadGivesTheSameTwelveValues) {
    AppSettings saved;
    saved.RunOnStartupWindows = true;
    saved.TurnOffFormsAutoComplete = true;
    saved.MonitorStartPage = true;
    saved.StartPage = "http://www.example.com/start é";
    saved.WindowTitle = "Microsoft Internet Explorer";
    saved.ScheduleType = "daily";
    saved.ScheduleInterval = 240;
    saved.ScheduleClock = 23;
    saved.SecurityFillTimes = 10;
    saved.EnableFileLogging = true;
    saved.KeepLogDays = 5;
    saved.DisplayMaxRows = 2147483647;
    SettingsFailures failures = this->Store().SaveSystemSettings(saved);
    EXPECT_TRUE(failures.empty()) << DescribeFailures(failures);
    for (size_t i = 0; i < kNames.size(); ++i)
        EXPECT_EQ(this->Text(kSettingsKey, kNames[i]), Texts(saved)[i]) << kNames[i];
    std::vector<std::string> names = this->reg.ValueNames(kSettingsKey);  // Wine lists them sorted
    std::sort(names.begin(), names.end());
    std::vector<std::string> expected = kNames;
    std::sort(expected.begin(), expected.end());
    EXPECT_EQ(names, expected) << "the twelve values and nothing else";

    AppSettings loaded;
    failures = this->Store().LoadSystemSettings(loaded);
    EXPECT_TRUE(failures.empty()) << DescribeFailures(failures);
    EXPECT_EQ(Texts(loaded), Texts(saved));
}

TYPED_TEST(SettingsStoreTest, SaveAppliesTheStartupEntryAndTheBrowserSwitch) {
    AppSettings s;
    s.RunOnStartupWindows = true;
    s.TurnOffFormsAutoComplete = true;
    EXPECT_TRUE(this->Store().SaveSystemSettings(s).empty());
    EXPECT_EQ(this->Text(kRunKey, "Sweepkit Lumo"), std::string("\"") + kProgram + "\"");
    for (const std::string& name : kFormValues)
        EXPECT_EQ(this->Text(kBrowserKey, name), "no") << name;

    s.RunOnStartupWindows = false;
    s.TurnOffFormsAutoComplete = false;
    for (int time = 1; time <= 2; ++time) {
        SettingsFailures failures = this->Store().SaveSystemSettings(s);
        EXPECT_TRUE(failures.empty()) << "save " << time << ": " << DescribeFailures(failures);
        EXPECT_FALSE(this->reg.ValueExists(kRunKey, "Sweepkit Lumo"));
        for (const std::string& name : kFormValues)
            EXPECT_EQ(this->Text(kBrowserKey, name), "yes") << name;
    }
}

TYPED_TEST(SettingsStoreTest, RemovingAStartupEntryThatNeverExistedIsNoFailure) {
    AppSettings s;  // no Run key and no browser key yet
    SettingsFailures failures = this->Store("C:\\Tools\\SweepkitLumo.exe").SaveSystemSettings(s);
    EXPECT_TRUE(failures.empty()) << DescribeFailures(failures);
    EXPECT_FALSE(this->reg.ValueExists(kRunKey, "Sweepkit Lumo"));
    for (const std::string& name : kFormValues)
        EXPECT_EQ(this->Text(kBrowserKey, name), "yes") << "written even though it did not exist: " << name;

    s.RunOnStartupWindows = true;
    EXPECT_TRUE(this->Store("C:\\Tools\\SweepkitLumo.exe").SaveSystemSettings(s).empty());
    EXPECT_EQ(this->Text(kRunKey, "Sweepkit Lumo"), "C:\\Tools\\SweepkitLumo.exe") << "no blank: the bare path";
}

TYPED_TEST(SettingsStoreTest, SaveWithoutWriteAccessGoesOnStepByStep) {
    AppSettings old;
    old.ScheduleType = "interval";
    ASSERT_TRUE(this->Store().SaveSystemSettings(old).empty());
    this->reg.DenyRights(kSettingsKey, keySetValue);

    AppSettings s;
    s.ScheduleType = "daily";
    s.RunOnStartupWindows = true;
    s.TurnOffFormsAutoComplete = true;
    SettingsFailures failures;
    ASSERT_NO_THROW(failures = this->Store().SaveSystemSettings(s));
    ASSERT_EQ(failures.size(), 12u) << DescribeFailures(failures);
    for (size_t i = 0; i < kNames.size(); ++i)
        EXPECT_EQ(failures[i].step, "write \"" + kNames[i] + "\"");
    EXPECT_EQ(this->Text(kSettingsKey, "Schedule Type"), "interval") << "the stored value is untouched";
    // The steps after the refused ones still ran.
    EXPECT_EQ(this->Text(kRunKey, "Sweepkit Lumo"), std::string("\"") + kProgram + "\"");
    for (const std::string& name : kFormValues)
        EXPECT_EQ(this->Text(kBrowserKey, name), "no") << name;
    EXPECT_NE(DescribeFailures(failures).find("write \"Schedule Type\": "), std::string::npos);
}

TYPED_TEST(SettingsStoreTest, AKeyThatCannotBeCreatedOrReadLeavesTheSettingsAsTheyWere) {
    // No right to create anything below the settings' parent: the key never comes to exist.
    this->reg.DenyRights("HKCU\\Software", keyCreateSubKey);
    AppSettings s;
    s.ScheduleType = "daily";
    s.StartPage = "kept";
    s.ScheduleInterval = 900;  // out of range: the range rule still applies
    s.KeepLogDays = 3;
    SettingsFailures failures;
    ASSERT_NO_THROW(failures = this->Store().LoadSystemSettings(s));
    EXPECT_FALSE(this->reg.KeyExists(kSettingsKey));
    EXPECT_EQ(failures.size(), 2u + 12u) << "two key steps and twelve reads: " << DescribeFailures(failures);
    EXPECT_EQ(s.ScheduleType, "daily");
    EXPECT_EQ(s.StartPage, "kept");
    EXPECT_EQ(s.ScheduleInterval, 480);
    EXPECT_EQ(s.KeepLogDays, 3);

    Marks marks;
    marks.daily = true;
    marks.logging = true;
    ASSERT_NO_THROW(failures = this->Store().ApplySettings(s, marks, {.schedule = true, .fileLogging = true}));
    EXPECT_EQ(s.ScheduleType, "daily") << "taken over although it could not be written";
    EXPECT_TRUE(s.EnableFileLogging);
    // Wine checks access lists only when a key is opened, so its RegCreateKeyEx of the whole path
    // still makes the key and the two writes succeed there.
    EXPECT_GE(failures.size(), 2u) << DescribeFailures(failures);
    if (this->reg.Memory()) {
        EXPECT_EQ(failures.size(), 2u + 2u) << DescribeFailures(failures);
    }
}

TYPED_TEST(SettingsStoreTest, EachValueComesFromTheUserElseTheMachineElseItsDefault) {
    // What an older version left for everyone, and what the user has changed since.
    this->reg.SetString(kMachineKey, "Schedule Type", "daily");
    this->reg.SetString(kMachineKey, "Schedule Clock", "7");
    this->reg.SetString(kMachineKey, "Keep Log Days", "3");
    this->reg.SetString(kSettingsKey, "Schedule Clock", "9");
    this->reg.SetString(kSettingsKey, "Keep Log Days", "");
    AppSettings s;
    SettingsFailures failures = this->Store().LoadSystemSettings(s);
    EXPECT_TRUE(failures.empty()) << DescribeFailures(failures);
    EXPECT_EQ(s.ScheduleType, "daily") << "missing in the user's key: the machine's";
    EXPECT_EQ(s.ScheduleClock, 9) << "the user's own value wins";
    EXPECT_EQ(s.KeepLogDays, 1) << "an empty value of the user's is still the user's: its default";
    EXPECT_EQ(s.ScheduleInterval, 6) << "in neither key: the default";

    // The first save makes every value the user's own and leaves the machine's key as it was.
    s.ScheduleInterval = 30;
    failures = this->Store().SaveSystemSettings(s);
    EXPECT_TRUE(failures.empty()) << DescribeFailures(failures);
    EXPECT_EQ(this->Text(kSettingsKey, "Schedule Type"), "daily");
    EXPECT_EQ(this->Text(kSettingsKey, "Schedule Interval"), "30");
    std::vector<std::string> machine = this->reg.ValueNames(kMachineKey);
    std::sort(machine.begin(), machine.end());
    EXPECT_EQ(machine, (std::vector<std::string>{"Keep Log Days", "Schedule Clock", "Schedule Type"}));
    EXPECT_EQ(this->Text(kMachineKey, "Schedule Clock"), "7");

    // A machine default changed afterwards no longer reaches this user.
    this->reg.SetString(kMachineKey, "Schedule Type", "interval");
    AppSettings again;
    EXPECT_TRUE(this->Store().LoadSystemSettings(again).empty());
    EXPECT_EQ(Texts(again), Texts(s));
}

TYPED_TEST(SettingsStoreTest, AStandardUserSavesEverythingWithoutWritingTheMachineKey) {
    // A standard user reads HKEY_LOCAL_MACHINE but may neither make keys nor set values there.
    this->reg.SetString(kMachineKey, "Enable File Logging", "true");
    this->reg.DenyRights(kMachineKey, keySetValue | keyCreateSubKey);
    this->reg.DenyRights("HKLM\\Software", keySetValue | keyCreateSubKey);
    AppSettings s;
    SettingsFailures failures = this->Store().LoadSystemSettings(s);
    EXPECT_TRUE(failures.empty()) << DescribeFailures(failures);
    EXPECT_TRUE(s.EnableFileLogging);

    s.ScheduleType = "interval";
    failures = this->Store().SaveSystemSettings(s);
    EXPECT_TRUE(failures.empty()) << DescribeFailures(failures);
    Marks marks;  // the menu's logging mark taken off
    failures = this->Store().ApplySettings(s, marks, {.fileLogging = true});
    EXPECT_TRUE(failures.empty()) << DescribeFailures(failures);

    AppSettings restarted;
    EXPECT_TRUE(this->Store().LoadSystemSettings(restarted).empty());
    EXPECT_EQ(restarted.ScheduleType, "interval");
    EXPECT_FALSE(restarted.EnableFileLogging) << "the user's false over the machine's true";
    EXPECT_EQ(this->reg.ValueNames(kMachineKey), std::vector<std::string>{"Enable File Logging"});
    EXPECT_EQ(this->Text(kMachineKey, "Enable File Logging"), "true");
}

TYPED_TEST(SettingsStoreTest, ApplyingOneFlagWritesOnlyItsSetting) {
    AppSettings s;
    s.ScheduleInterval = 120;
    Marks marks;
    marks.interval = true;
    marks.run = true;  // not taken: its flag is not set
    EXPECT_TRUE(this->Store().ApplySettings(s, marks, {.schedule = true}).empty());
    EXPECT_EQ(s.ScheduleType, "interval");
    EXPECT_FALSE(s.RunOnStartupWindows);
    EXPECT_EQ(this->reg.ValueNames(kSettingsKey), std::vector<std::string>{"Schedule Type"});
    EXPECT_EQ(this->Text(kSettingsKey, "Schedule Type"), "interval");
    EXPECT_FALSE(this->reg.KeyExists(kRunKey));

    EXPECT_TRUE(this->Store().ApplySettings(s, marks, {.runOnStartup = true}).empty());
    EXPECT_TRUE(s.RunOnStartupWindows);
    EXPECT_EQ(this->Text(kSettingsKey, "Run On Startup Windows"), "true");
    EXPECT_EQ(this->Text(kRunKey, "Sweepkit Lumo"), std::string("\"") + kProgram + "\"");
    EXPECT_FALSE(this->reg.KeyExists(kBrowserKey));

    marks.forms = true;
    EXPECT_TRUE(this->Store().ApplySettings(s, marks, {.formsAutoComplete = true}).empty());
    for (const std::string& name : kFormValues)
        EXPECT_EQ(this->Text(kBrowserKey, name), "no") << name;
    EXPECT_EQ(s.ScheduleInterval, 120);
}

TEST(SettingsApply, ScheduleTypeComesFromTheIntervalThenTheDailyMark) {
    struct Case {
        bool interval, daily;
        const char* expected;
    };
    for (Case c : {Case{true, false, "interval"}, Case{false, true, "daily"}, Case{true, true, "interval"},
                   Case{false, false, "none"}}) {
        MemoryRegistry api;
        AppSettings s;
        Marks marks;
        marks.interval = c.interval;
        marks.daily = c.daily;
        SettingsStore(api, kProgram).ApplySettings(s, marks, {.schedule = true});
        EXPECT_EQ(s.ScheduleType, c.expected) << c.interval << c.daily;
        AppSettings loaded;
        SettingsStore(api, kProgram).LoadSystemSettings(loaded);
        EXPECT_EQ(loaded.ScheduleType, c.expected) << "written under HKEY_CURRENT_USER";
    }
}

// Each case stores one text and loads it into settings whose earlier value is `before`.
struct ReadCase {
    const char* name;
    const char* stored;
    std::function<void(AppSettings&)> before;
    std::function<std::string(const AppSettings&)> field;
    const char* expected;
};

std::function<void(AppSettings&)> Nothing() {
    return [](AppSettings&) {};
}

TEST(SettingsReadRules, StoredTextsReadAsDefined) {
    auto interval = [](const AppSettings& s) { return std::to_string(s.ScheduleInterval); };
    auto clock = [](const AppSettings& s) { return std::to_string(s.ScheduleClock); };
    auto fill = [](const AppSettings& s) { return std::to_string(s.SecurityFillTimes); };
    auto keep = [](const AppSettings& s) { return std::to_string(s.KeepLogDays); };
    auto rows = [](const AppSettings& s) { return std::to_string(s.DisplayMaxRows); };
    auto type = [](const AppSettings& s) { return s.ScheduleType; };
    auto run = [](const AppSettings& s) { return std::string(s.RunOnStartupWindows ? "true" : "false"); };
    auto page = [](const AppSettings& s) { return s.StartPage; };
    auto interval30 = [](AppSettings& s) { s.ScheduleInterval = 30; };
    auto clock5 = [](AppSettings& s) { s.ScheduleClock = 5; };
    auto rows77 = [](AppSettings& s) { s.DisplayMaxRows = 77; };
    auto runOn = [](AppSettings& s) { s.RunOnStartupWindows = true; };

    const std::vector<ReadCase> cases = {
        {"Schedule Type", "Daily", Nothing(), type, "daily"},
        {"Schedule Type", "INTERVAL", Nothing(), type, "interval"},
        {"Schedule Type", "weekly", Nothing(), type, "none"},
        {"Schedule Type", "", Nothing(), type, "none"},
        {"Schedule Interval", "500", Nothing(), interval, "480"},
        {"Schedule Interval", "-5", interval30, interval, "30"},
        {"Schedule Interval", "+5", interval30, interval, "30"},
        {"Schedule Interval", " 15", interval30, interval, "30"},
        {"Schedule Interval", "abc", interval30, interval, "6"},
        {"Schedule Interval", "", interval30, interval, "6"},
        {"Schedule Interval", "15 ", Nothing(), interval, "15"},
        {"Schedule Interval", "480", Nothing(), interval, "480"},
        {"Schedule Interval", "0", Nothing(), interval, "0"},
        {"Schedule Interval", "1.5", Nothing(), interval, "2"},
        {"Schedule Interval", "2.5", Nothing(), interval, "2"},
        {"Schedule Interval", "3.5", Nothing(), interval, "4"},
        {"Schedule Interval", "1.2e2", Nothing(), interval, "120"},
        {"Schedule Interval", ".5", Nothing(), interval, "0"},
        {"Schedule Interval", "1e", interval30, interval, "6"},
        {"Schedule Interval", "32768", interval30, interval, "30"},
        {"Schedule Clock", "24", Nothing(), clock, "12"},
        {"Schedule Clock", "23", Nothing(), clock, "23"},
        {"Schedule Clock", "0", Nothing(), clock, "0"},
        {"Schedule Clock", "-1", clock5, clock, "5"},
        {"Security Fill Times", "11", Nothing(), fill, "1"},
        {"Security Fill Times", "10", Nothing(), fill, "10"},
        {"Security Fill Times", "0.5", Nothing(), fill, "1"},
        {"Keep Log Days", "0", Nothing(), keep, "1"},
        {"Keep Log Days", "5", Nothing(), keep, "5"},
        {"Keep Log Days", "6", Nothing(), keep, "1"},
        {"Display Max Rows", "2147483647", Nothing(), rows, "2147483647"},
        {"Display Max Rows", "2147483648", rows77, rows, "77"},
        {"Display Max Rows", "40000", Nothing(), rows, "40000"},
        {"Run On Startup Windows", "TRUE", Nothing(), run, "true"},
        {"Run On Startup Windows", "True", Nothing(), run, "true"},
        {"Run On Startup Windows", "yes", runOn, run, "false"},
        {"Run On Startup Windows", "1", runOn, run, "false"},
        {"Run On Startup Windows", "true ", runOn, run, "false"},
        {"Start Page", "  about:blank ", Nothing(), page, "  about:blank "},
    };
    // The same rules for a text the user's key holds and one taken from the machine's.
    for (int32_t root : {rkCurrentUser, rkLocalMachine})
        for (const ReadCase& c : cases) {
            MemoryRegistry api;
            RegHandle software = 0;  // there on every machine
            api.CreateKey(RootHandle(rkCurrentUser), "Software", keyAllAccess, software);
            api.CloseKey(software);
            RegKey(api).SetRegValue(c.name, rvtString, std::string(c.stored), root,
                                    "Software\\Tallowin\\Sweepkit Lumo");
            AppSettings s;
            c.before(s);
            SettingsFailures failures = SettingsStore(api, kProgram).LoadSystemSettings(s);
            EXPECT_TRUE(failures.empty()) << DescribeFailures(failures);
            EXPECT_EQ(c.field(s), c.expected)
                << c.name << " stored as \"" << c.stored << "\" under " << std::hex << root;
        }
}

TEST(SettingsReadRules, ANumberValueOfAnotherTypeReadsAsItsDisplayText) {
    // A DWORD shows as "0x0000001e (30)", which is not a number: the default.
    MemoryRegistry api;
    RegKey(api).SetRegValue("Schedule Interval", rvtDWord, uint32_t{30}, rkCurrentUser,
                            "Software\\Tallowin\\Sweepkit Lumo");
    AppSettings s;
    s.ScheduleInterval = 60;
    SettingsStore(api, kProgram).LoadSystemSettings(s);
    EXPECT_EQ(s.ScheduleInterval, 6);
}

TEST(StartupCommand, QuotesAPathWithABlankOnly) {
    const std::pair<std::string, std::string> cases[] = {
        {"C:\\Program Files\\Sweepkit Lumo\\SweepkitLumo.exe",
         "\"C:\\Program Files\\Sweepkit Lumo\\SweepkitLumo.exe\""},
        {"C:\\PROGRA~1\\Sweepkit\\SweepkitLumo.exe", "C:\\PROGRA~1\\Sweepkit\\SweepkitLumo.exe"},
        {"D:\\Tools\\Lumo\tBeta\\SweepkitLumo.exe", "\"D:\\Tools\\Lumo\tBeta\\SweepkitLumo.exe\""},
    };
    for (const auto& [path, command] : cases)
        EXPECT_EQ(StartupCommand(path), command);
}

TEST(SettingsRegistryUse, SaveOpensNoHandleItDoesNotClose) {
    MemoryRegistry api;
    AppSettings s;
    s.RunOnStartupWindows = true;
    SettingsStore(api, kProgram).SaveSystemSettings(s);
    SettingsStore(api, kProgram).LoadSystemSettings(s);
    EXPECT_EQ(api.OpenHandleCount(), 0);
    // One key preparation and one write per setting, plus four values outside the key.
    EXPECT_EQ(api.CallCount(Op::SetValue), 12u + 1u + 3u);
}

}  // namespace
}  // namespace lumo
