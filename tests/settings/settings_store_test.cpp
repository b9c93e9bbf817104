// The settings store over the in-memory registry (one round trip on the real one under Windows):
// first start, the read rules and ranges, save and load, the user's key over the machine's, the
// start-up entry and the browser switch, the menu take-over, and saving or loading without access
// (failures passed over, nothing raised). A refused save as the user meets it is the Run Options
// window's test, and which setting each menu mark takes over the menu's.
#include <gtest/gtest.h>

#include <algorithm>
#include <string>
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

::testing::AssertionResult NoFailures(const SettingsFailures& failures) {
    if (failures.empty())
        return ::testing::AssertionSuccess();
    return ::testing::AssertionFailure() << DescribeFailures(failures);
}

// The menu's marks; the monitor and interval marks stay off.
struct Marks : MenuCheckMarks {
    bool run = false, forms = false, daily = false, logging = false;
    bool RunOnStartupChecked() const override { return run; }
    bool TurnOffFormsAutoCompleteChecked() const override { return forms; }
    bool MonitorStartPageChecked() const override { return false; }
    bool ScheduleIntervalChecked() const override { return false; }
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
    // The start-up entry and the three browser values behind the forms switch, joined.
    std::string Outside() {
        return Text(kRunKey, "Sweepkit Lumo") + "|" + Text(kBrowserKey, "FormSuggest Passwords") +
               Text(kBrowserKey, "FormSuggest PW Ask") + Text(kBrowserKey, "Use FormSuggest");
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
        EXPECT_TRUE(NoFailures(Store().SaveSystemSettings(saved)));
        for (size_t i = 0; i < kNames.size(); ++i)
            EXPECT_EQ(Text(kSettingsKey, kNames[i]), Texts(saved)[i]) << kNames[i];
        std::vector<std::string> names = this->reg.ValueNames(kSettingsKey), expected = kNames;  // Wine sorts them
        std::sort(names.begin(), names.end());
        std::sort(expected.begin(), expected.end());
        EXPECT_EQ(names, expected) << "the twelve values and nothing else";
        EXPECT_EQ(Outside(), kStartup + "|nonono");
        AppSettings loaded;
        EXPECT_TRUE(NoFailures(Store().LoadSystemSettings(loaded)));
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
    EXPECT_TRUE(NoFailures(Store().LoadSystemSettings(s)));
    EXPECT_TRUE(reg.KeyExists(kSettingsKey));
    EXPECT_EQ(Texts(s), (std::vector<std::string>{"false", "false", "false", "", "", "none", "6", "12", "1", "false",
                                                  "1", "1000"}));
    reg.SetString(kSettingsKey, "Keep Log Days", "2");
    EXPECT_TRUE(NoFailures(Store().ReadSystemSettings(s)));
    EXPECT_EQ(s.KeepLogDays, 2);
}

TEST_F(SettingsStoreTest, SaveThenLoadGivesTheSameTwelveValues) { SaveThenLoad(); }

#ifdef _WIN32
using SettingsStoreRealTest = SettingsStoreSuite<testing::RealRegistryKind>;
TEST_F(SettingsStoreRealTest, SaveThenLoadGivesTheSameTwelveValues) { SaveThenLoad(); }
#endif

// Saving the switches off removes the start-up entry (none yet is no failure) and writes the
// browser values even where there were none; taking a switch over from the menu writes that
// setting alone. A program path without a blank is written bare.
TEST_F(SettingsStoreTest, SaveAndApplySetAndRemoveTheStartupEntryAndTheBrowserSwitch) {
    AppSettings s;
    Marks marks;
    EXPECT_TRUE(NoFailures(Store().ApplySettings(s, marks, {.runOnStartup = true})));
    EXPECT_EQ(Outside(), "(missing)|(missing)(missing)(missing)");
    EXPECT_EQ(reg.ValueNames(kSettingsKey), std::vector<std::string>{"Run On Startup Windows"});
    marks.run = marks.forms = true;
    for (int time = 1; time <= 2; ++time) {
        SCOPED_TRACE(time);
        EXPECT_TRUE(NoFailures(Store().ApplySettings(s, marks, {.runOnStartup = true})));
        EXPECT_EQ(Outside(), kStartup + (time == 1 ? "|(missing)(missing)(missing)" : "|yesyesyes"));
        EXPECT_TRUE(NoFailures(Store().ApplySettings(s, marks, {.formsAutoComplete = true})));
        EXPECT_EQ(Outside(), kStartup + "|nonono");
        EXPECT_EQ(Text(kSettingsKey, "Run On Startup Windows") + Text(kSettingsKey, "Turn Off Forms AutoComplete"),
                  "truetrue");
        s.RunOnStartupWindows = s.TurnOffFormsAutoComplete = false;
        EXPECT_TRUE(NoFailures(Store().SaveSystemSettings(s)));
        EXPECT_EQ(Outside(), "(missing)|yesyesyes");
    }
    s.RunOnStartupWindows = true;
    EXPECT_TRUE(NoFailures(Store("C:\\Tools\\SweepkitLumo.exe").SaveSystemSettings(s)));
    EXPECT_EQ(Text(kRunKey, "Sweepkit Lumo"), "C:\\Tools\\SweepkitLumo.exe");
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

// The machine's key is what an older version left for everyone; a standard user may read it but
// neither make keys nor set values there.
TEST_F(SettingsStoreTest, EachValueComesFromTheUserElseTheMachineElseItsDefaultAndTheMachineKeyIsOnlyRead) {
    reg.SetString(kMachineKey, "Schedule Type", "daily");
    reg.SetString(kMachineKey, "Schedule Clock", "7");
    reg.SetString(kMachineKey, "Keep Log Days", "3");
    reg.SetString(kSettingsKey, "Schedule Clock", "9");
    reg.SetString(kSettingsKey, "Keep Log Days", "");
    reg.SetDword(kSettingsKey, "Display Max Rows", 30);  // shows as "0x0000001e (30)": no number
    reg.DenyRights(kMachineKey, keySetValue | keyCreateSubKey);
    reg.DenyRights("HKLM\\Software", keySetValue | keyCreateSubKey);
    AppSettings s;
    s.DisplayMaxRows = 77;
    EXPECT_TRUE(NoFailures(Store().LoadSystemSettings(s)));
    EXPECT_EQ(s.ScheduleType, "daily") << "missing in the user's key: the machine's";
    EXPECT_EQ(s.ScheduleClock, 9) << "the user's own value wins";
    EXPECT_EQ(s.KeepLogDays, 1) << "an empty value of the user's is still the user's: its default";
    EXPECT_EQ(s.ScheduleInterval, 6) << "in neither key: the default";
    EXPECT_EQ(s.DisplayMaxRows, 1000);

    // The first save makes every value the user's own and leaves the machine's key as it was.
    s.ScheduleInterval = 30;
    EXPECT_TRUE(NoFailures(Store().SaveSystemSettings(s)));
    EXPECT_EQ(Text(kSettingsKey, "Schedule Type") + Text(kSettingsKey, "Schedule Interval"), "daily30");
    EXPECT_EQ(reg.ValueNames(kMachineKey),
              (std::vector<std::string>{"Schedule Type", "Schedule Clock", "Keep Log Days"}));
    EXPECT_EQ(Text(kMachineKey, "Schedule Clock"), "7");
    // A machine default changed afterwards no longer reaches this user.
    reg.DenyRights(kMachineKey, 0);
    reg.DenyRights("HKLM\\Software", 0);
    reg.SetString(kMachineKey, "Schedule Type", "interval");
    AppSettings again;
    EXPECT_TRUE(NoFailures(Store().LoadSystemSettings(again)));
    EXPECT_EQ(Texts(again), Texts(s));
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
            EXPECT_TRUE(NoFailures(SettingsStore(api, kProgram).LoadSystemSettings(s)));
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

TEST(StartupCommand, QuotesAPathWithABlankOnly) {
    EXPECT_EQ(StartupCommand("C:\\PROGRA~1\\Sweepkit\\SweepkitLumo.exe"), "C:\\PROGRA~1\\Sweepkit\\SweepkitLumo.exe");
    EXPECT_EQ(StartupCommand("D:\\Tools\\Lumo\tBeta\\L.exe"), "\"D:\\Tools\\Lumo\tBeta\\L.exe\"");
}

}  // namespace
}  // namespace lumo
