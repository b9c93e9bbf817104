// The settings store over the in-memory registry (one round trip on the real one under Windows):
// first start, the read rules and ranges, save and load, the user's key over the machine's, the
// start-up entry and the browser switch, the menu take-over, and saving or loading without access
// (failures passed over, nothing raised).
#include <gtest/gtest.h>

#include <algorithm>
#include <string>
#include <tuple>
#include <vector>

#include "registry/reg_key.h"
#include "settings/settings_store.h"
#include "settings/windows_integration.h"
#include "support/registry_fixture.h"

namespace lumo {
namespace {

constexpr char kSettingsKey[] = "HKCU\\Software\\Tallowin\\Sweepkit Lumo";
constexpr char kMachineKey[] = "HKLM\\Software\\Tallowin\\Sweepkit Lumo";
constexpr char kRunKey[] = "HKCU\\Software\\Microsoft\\Windows\\CurrentVersion\\Run";
constexpr char kBrowserKey[] = "HKCU\\Software\\Microsoft\\Internet Explorer\\Main";
constexpr char kProgram[] = "C:\\Program Files\\Sweepkit Lumo\\SweepkitLumo.exe";
const std::string kStartup = std::string("\"") + kProgram + "\"";
const std::vector<std::string> kNames = {"Run On Startup Windows", "Turn Off Forms AutoComplete",
                                         "Monitor Start Page",     "Start Page",
                                         "Window Title",           "Schedule Type",
                                         "Schedule Interval",      "Schedule Clock",
                                         "Security Fill Times",    "Enable File Logging",
                                         "Keep Log Days",          "Display Max Rows"};

// The twelve settings as texts, in table order, for comparing whole sets.
std::vector<std::string> Texts(const AppSettings& s) {
    auto b = [](bool v) { return std::string(v ? "true" : "false"); };
    auto n = [](auto v) { return std::to_string(v); };
    return {b(s.RunOnStartupWindows),
            b(s.TurnOffFormsAutoComplete),
            b(s.MonitorStartPage),
            s.StartPage,
            s.WindowTitle,
            s.ScheduleType,
            n(s.ScheduleInterval),
            n(s.ScheduleClock),
            n(s.SecurityFillTimes),
            b(s.EnableFileLogging),
            n(s.KeepLogDays),
            n(s.DisplayMaxRows)};
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

template <class Kind = testing::MemoryRegistryKind>
class SettingsStoreSuite : public testing::RegistryTest<Kind> {
protected:
    // As on every Windows machine, the parents of the settings keys exist.
    void SetUp() override {
        this->reg.CreateKey("HKCU\\Software");
        this->reg.CreateKey("HKLM\\Software");
    }
    SettingsStore Store(std::string program = kProgram) {
        return SettingsStore(this->reg.Api(), std::move(program),
                             SettingsLocations::Below(testing::TestRegistry::kRoot, this->reg.Branch()));
    }
    // A string value's text; "(missing)" when there is none, "(type n)" when it is no string.
    std::string Text(std::string_view relative, std::string_view name) {
        auto [type, bytes] = this->reg.ReadRaw(relative, name);
        std::string s(bytes.begin(), bytes.end());
        return type == 0 ? "(missing)" : type != 1 ? "(type " + std::to_string(type) + ")" : s.substr(0, s.find('\0'));
    }
    // The three browser values behind the forms switch, joined.
    std::string FormSwitch() {
        return Text(kBrowserKey, "FormSuggest Passwords") + Text(kBrowserKey, "FormSuggest PW Ask") +
               Text(kBrowserKey, "Use FormSuggest");
    }
    // Saves settings with every value away from its default and loads them back.
    void SaveThenLoad() {
        AppSettings saved;
        saved.RunOnStartupWindows = saved.TurnOffFormsAutoComplete = saved.MonitorStartPage = true;
        saved.StartPage = "http://www.example.com/start é";
        saved.WindowTitle = "Microsoft Internet Explorer";
        saved.ScheduleType = "daily";
        saved.ScheduleInterval = 240;
        saved.ScheduleClock = 23;
        saved.SecurityFillTimes = 10;
        saved.EnableFileLogging = true;
        saved.KeepLogDays = 5;
        saved.DisplayMaxRows = 2147483647;
        SettingsFailures failures = Store().SaveSystemSettings(saved);
        EXPECT_TRUE(failures.empty()) << DescribeFailures(failures);
        for (size_t i = 0; i < kNames.size(); ++i)
            EXPECT_EQ(Text(kSettingsKey, kNames[i]), Texts(saved)[i]) << kNames[i];
        std::vector<std::string> names = this->reg.ValueNames(kSettingsKey),
                                 expected = kNames;  // Wine lists them sorted
        std::sort(names.begin(), names.end());
        std::sort(expected.begin(), expected.end());
        EXPECT_EQ(names, expected) << "the twelve values and nothing else";
        EXPECT_EQ(Text(kRunKey, "Sweepkit Lumo"), kStartup);
        EXPECT_EQ(FormSwitch(), "nonono");

        AppSettings loaded;
        failures = Store().LoadSystemSettings(loaded);
        EXPECT_TRUE(failures.empty()) << DescribeFailures(failures);
        EXPECT_EQ(Texts(loaded), Texts(saved));
    }
};
using SettingsStoreTest = SettingsStoreSuite<>;

TEST_F(SettingsStoreTest, FirstStartCreatesTheKeyAndGivesEveryDefaultWhileReadingOnlyWritesNothing) {
    AppSettings s;
    s.KeepLogDays = 4;
    EXPECT_EQ(Store().ReadSystemSettings(s).size(), 12u) << "no key: nothing can be read";
    EXPECT_FALSE(reg.KeyExists(kSettingsKey));
    EXPECT_EQ(s.KeepLogDays, 4);

    s.ScheduleInterval = 30;  // whatever the memory held, an empty key gives the defaults
    s.StartPage = "x";
    SettingsFailures failures = Store().LoadSystemSettings(s);
    EXPECT_TRUE(failures.empty()) << DescribeFailures(failures);
    EXPECT_TRUE(reg.KeyExists(kSettingsKey));
    EXPECT_EQ(Texts(s), Texts(AppSettings{}));
    EXPECT_EQ(Texts(s), (std::vector<std::string>{"false", "false", "false", "", "", "none", "6", "12", "1", "false",
                                                  "1", "1000"}));
    reg.SetString(kSettingsKey, "Keep Log Days", "2");
    EXPECT_TRUE(Store().ReadSystemSettings(s).empty());
    EXPECT_EQ(s.KeepLogDays, 2);
}

TEST_F(SettingsStoreTest, SaveThenLoadGivesTheSameTwelveValues) { SaveThenLoad(); }

#ifdef _WIN32
using SettingsStoreRealTest = SettingsStoreSuite<testing::RealRegistryKind>;
TEST_F(SettingsStoreRealTest, SaveThenLoadGivesTheSameTwelveValues) { SaveThenLoad(); }
#endif

TEST_F(SettingsStoreTest, SaveSetsAndRemovesTheStartupEntryAndTheBrowserSwitch) {
    AppSettings s;  // no Run key and no browser key yet: removing what never existed is no failure
    for (int time = 1; time <= 2; ++time) {
        SettingsFailures failures = Store().SaveSystemSettings(s);
        EXPECT_TRUE(failures.empty()) << "save " << time << ": " << DescribeFailures(failures);
        EXPECT_FALSE(reg.ValueExists(kRunKey, "Sweepkit Lumo"));
        EXPECT_EQ(FormSwitch(), "yesyesyes") << "written even though it did not exist";
        s.RunOnStartupWindows = s.TurnOffFormsAutoComplete = true;
        EXPECT_TRUE(Store().SaveSystemSettings(s).empty());
        EXPECT_EQ(Text(kRunKey, "Sweepkit Lumo"), kStartup);
        EXPECT_EQ(FormSwitch(), "nonono");
        s.RunOnStartupWindows = s.TurnOffFormsAutoComplete = false;
    }
    s.RunOnStartupWindows = true;
    EXPECT_TRUE(Store("C:\\Tools\\SweepkitLumo.exe").SaveSystemSettings(s).empty());
    EXPECT_EQ(Text(kRunKey, "Sweepkit Lumo"), "C:\\Tools\\SweepkitLumo.exe") << "no blank: the bare path";
}

TEST_F(SettingsStoreTest, SaveWithoutWriteAccessGoesOnStepByStep) {
    AppSettings s;
    s.ScheduleType = "interval";
    ASSERT_TRUE(Store().SaveSystemSettings(s).empty());
    reg.DenyRights(kSettingsKey, keySetValue);
    s.ScheduleType = "daily";
    s.RunOnStartupWindows = s.TurnOffFormsAutoComplete = true;
    SettingsFailures failures;
    ASSERT_NO_THROW(failures = Store().SaveSystemSettings(s));
    ASSERT_EQ(failures.size(), 12u) << DescribeFailures(failures);
    for (size_t i = 0; i < kNames.size(); ++i)
        EXPECT_EQ(failures[i].step, "write \"" + kNames[i] + "\"");
    EXPECT_EQ(Text(kSettingsKey, "Schedule Type"), "interval") << "the stored value is untouched";
    // The steps after the refused ones still ran.
    EXPECT_EQ(Text(kRunKey, "Sweepkit Lumo"), kStartup);
    EXPECT_EQ(FormSwitch(), "nonono");
    EXPECT_NE(DescribeFailures(failures).find("write \"Schedule Type\": "), std::string::npos);
}

TEST_F(SettingsStoreTest, AKeyThatCannotBeCreatedOrReadLeavesTheSettingsAsTheyWere) {
    // No right to create anything below the settings' parent: the key never comes to exist.
    reg.DenyRights("HKCU\\Software", keyCreateSubKey);
    AppSettings s;
    s.ScheduleType = "daily";
    s.StartPage = "kept";
    s.ScheduleInterval = 900;  // out of range: the range rule still applies
    s.KeepLogDays = 3;
    SettingsFailures failures;
    ASSERT_NO_THROW(failures = Store().LoadSystemSettings(s));
    EXPECT_FALSE(reg.KeyExists(kSettingsKey));
    EXPECT_EQ(failures.size(), 2u + 12u) << "two key steps and twelve reads: " << DescribeFailures(failures);
    EXPECT_EQ(s.ScheduleType + s.StartPage + std::to_string(s.ScheduleInterval) + std::to_string(s.KeepLogDays),
              "dailykept4803");

    Marks marks;
    marks.daily = marks.logging = true;
    ASSERT_NO_THROW(failures = Store().ApplySettings(s, marks, {.schedule = true, .fileLogging = true}));
    EXPECT_EQ(s.ScheduleType, "daily") << "taken over although it could not be written";
    EXPECT_TRUE(s.EnableFileLogging);
    EXPECT_EQ(failures.size(), 2u + 2u) << DescribeFailures(failures);
}

TEST_F(SettingsStoreTest, EachValueComesFromTheUserElseTheMachineElseItsDefault) {
    // What an older version left for everyone, and what the user has changed since.
    reg.SetString(kMachineKey, "Schedule Type", "daily");
    reg.SetString(kMachineKey, "Schedule Clock", "7");
    reg.SetString(kMachineKey, "Keep Log Days", "3");
    reg.SetString(kSettingsKey, "Schedule Clock", "9");
    reg.SetString(kSettingsKey, "Keep Log Days", "");
    AppSettings s;
    SettingsFailures failures = Store().LoadSystemSettings(s);
    EXPECT_TRUE(failures.empty()) << DescribeFailures(failures);
    EXPECT_EQ(s.ScheduleType, "daily") << "missing in the user's key: the machine's";
    EXPECT_EQ(s.ScheduleClock, 9) << "the user's own value wins";
    EXPECT_EQ(s.KeepLogDays, 1) << "an empty value of the user's is still the user's: its default";
    EXPECT_EQ(s.ScheduleInterval, 6) << "in neither key: the default";

    // The first save makes every value the user's own and leaves the machine's key as it was.
    s.ScheduleInterval = 30;
    failures = Store().SaveSystemSettings(s);
    EXPECT_TRUE(failures.empty()) << DescribeFailures(failures);
    EXPECT_EQ(Text(kSettingsKey, "Schedule Type") + Text(kSettingsKey, "Schedule Interval"), "daily30");
    EXPECT_EQ(reg.ValueNames(kMachineKey),
              (std::vector<std::string>{"Schedule Type", "Schedule Clock", "Keep Log Days"}));
    EXPECT_EQ(Text(kMachineKey, "Schedule Clock"), "7");

    // A machine default changed afterwards no longer reaches this user.
    reg.SetString(kMachineKey, "Schedule Type", "interval");
    AppSettings again;
    EXPECT_TRUE(Store().LoadSystemSettings(again).empty());
    EXPECT_EQ(Texts(again), Texts(s));
}

TEST_F(SettingsStoreTest, AStandardUserSavesEverythingWithoutWritingTheMachineKey) {
    // A standard user reads HKEY_LOCAL_MACHINE but may neither make keys nor set values there.
    reg.SetString(kMachineKey, "Enable File Logging", "true");
    reg.DenyRights(kMachineKey, keySetValue | keyCreateSubKey);
    reg.DenyRights("HKLM\\Software", keySetValue | keyCreateSubKey);
    AppSettings s;
    SettingsFailures failures = Store().LoadSystemSettings(s);
    EXPECT_TRUE(failures.empty()) << DescribeFailures(failures);
    EXPECT_TRUE(s.EnableFileLogging);

    s.ScheduleType = "interval";
    failures = Store().SaveSystemSettings(s);
    EXPECT_TRUE(failures.empty()) << DescribeFailures(failures);
    failures = Store().ApplySettings(s, Marks{}, {.fileLogging = true});  // the menu's logging mark taken off
    EXPECT_TRUE(failures.empty()) << DescribeFailures(failures);

    AppSettings restarted;
    EXPECT_TRUE(Store().LoadSystemSettings(restarted).empty());
    EXPECT_EQ(restarted.ScheduleType, "interval");
    EXPECT_FALSE(restarted.EnableFileLogging) << "the user's false over the machine's true";
    EXPECT_EQ(reg.ValueNames(kMachineKey), std::vector<std::string>{"Enable File Logging"});
    EXPECT_EQ(Text(kMachineKey, "Enable File Logging"), "true");
}

TEST_F(SettingsStoreTest, ApplyingOneFlagWritesOnlyItsSetting) {
    AppSettings s;
    s.ScheduleInterval = 120;
    Marks marks;
    marks.interval = true;
    marks.run = true;  // not taken: its flag is not set
    EXPECT_TRUE(Store().ApplySettings(s, marks, {.schedule = true}).empty());
    EXPECT_EQ(s.ScheduleType, "interval");
    EXPECT_FALSE(s.RunOnStartupWindows);
    EXPECT_EQ(reg.ValueNames(kSettingsKey), std::vector<std::string>{"Schedule Type"});
    EXPECT_EQ(Text(kSettingsKey, "Schedule Type"), "interval");
    EXPECT_FALSE(reg.KeyExists(kRunKey));

    EXPECT_TRUE(Store().ApplySettings(s, marks, {.runOnStartup = true}).empty());
    EXPECT_TRUE(s.RunOnStartupWindows);
    EXPECT_EQ(Text(kSettingsKey, "Run On Startup Windows"), "true");
    EXPECT_EQ(Text(kRunKey, "Sweepkit Lumo"), kStartup);
    EXPECT_FALSE(reg.KeyExists(kBrowserKey));

    marks.forms = true;
    EXPECT_TRUE(Store().ApplySettings(s, marks, {.formsAutoComplete = true}).empty());
    EXPECT_EQ(FormSwitch(), "nonono");
    EXPECT_EQ(s.ScheduleInterval, 120);
}

TEST(SettingsApply, ScheduleTypeComesFromTheIntervalThenTheDailyMark) {
    const std::tuple<bool, bool, const char*> cases[] = {{true, false, "interval"},
                                                         {false, true, "daily"},
                                                         {true, true, "interval"},
                                                         {false, false, "none"}};
    for (auto [interval, daily, expected] : cases) {
        MemoryRegistry api;
        AppSettings s, loaded;
        Marks marks;
        marks.interval = interval;
        marks.daily = daily;
        SettingsStore(api, kProgram).ApplySettings(s, marks, {.schedule = true});
        EXPECT_EQ(s.ScheduleType, expected) << interval << daily;
        SettingsStore(api, kProgram).LoadSystemSettings(loaded);
        EXPECT_EQ(loaded.ScheduleType, expected) << "written under HKEY_CURRENT_USER";
        EXPECT_EQ(api.OpenHandleCount(), 0);
    }
}

using ReadRows = std::vector<std::pair<const char*, const char*>>;

// Stores each row's text as the setting `name`, under the user's key and under the machine's, and
// loads it into settings whose every number already differs from its default and whose start-up
// switch is `run`: the setting then reads as the row's second text.
void ExpectReads(const char* name, const ReadRows& rows, bool run = false) {
    for (int32_t root : {rkCurrentUser, rkLocalMachine})
        for (const auto& [stored, expected] : rows) {
            MemoryRegistry api;
            RegHandle software = 0;  // there on every machine
            api.CreateKey(RootHandle(rkCurrentUser), "Software", keyAllAccess, software);
            api.CloseKey(software);
            RegKey(api).SetRegValue(name, rvtString, std::string(stored), root, "Software\\Tallowin\\Sweepkit Lumo");
            AppSettings s;
            s.RunOnStartupWindows = run;
            s.ScheduleInterval = 30;
            s.ScheduleClock = 5;
            s.SecurityFillTimes = 3;
            s.KeepLogDays = 3;
            s.DisplayMaxRows = 77;
            SettingsFailures failures = SettingsStore(api, kProgram).LoadSystemSettings(s);
            EXPECT_TRUE(failures.empty()) << DescribeFailures(failures);
            size_t field = std::find(kNames.begin(), kNames.end(), std::string(name)) - kNames.begin();
            EXPECT_EQ(Texts(s)[field], expected)
                << name << " stored as \"" << stored << "\" under " << std::hex << root;
        }
}

TEST(SettingsReadRules, StoredTextsReadAsDefined) {
    const ReadRows type = {{"Daily", "daily"}, {"INTERVAL", "interval"}, {"weekly", "none"}, {"", "none"}};
    ExpectReads("Schedule Type", type);
    // Above 480: 480; no number: the default; a sign, a leading blank or more than 16 bits: unchanged;
    // halves round to the even neighbour.
    const ReadRows interval = {{"500", "480"},   {"-5", "30"}, {"+5", "30"},  {" 15", "30"},
                               {"abc", "6"},     {"", "6"},    {"15 ", "15"}, {"480", "480"},
                               {"0", "0"},       {"1.5", "2"}, {"2.5", "2"},  {"3.5", "4"},
                               {"1.2e2", "120"}, {".5", "0"},  {"1e", "6"},   {"32768", "30"}};
    ExpectReads("Schedule Interval", interval);
    ExpectReads("Schedule Clock", {{"24", "12"}, {"23", "23"}, {"0", "0"}, {"-1", "5"}});
    ExpectReads("Security Fill Times", {{"11", "1"}, {"10", "10"}, {"0.5", "1"}});
    ExpectReads("Keep Log Days", {{"0", "1"}, {"5", "5"}, {"6", "1"}});
    ExpectReads("Display Max Rows", {{"2147483647", "2147483647"}, {"2147483648", "77"}, {"40000", "40000"}});
    ExpectReads("Run On Startup Windows", {{"TRUE", "true"}, {"True", "true"}});
    ExpectReads("Run On Startup Windows", {{"yes", "false"}, {"1", "false"}, {"true ", "false"}}, true);
    ExpectReads("Start Page", {{"  about:blank ", "  about:blank "}});
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

}  // namespace
}  // namespace lumo
