// The settings store over the in-memory registry (the same round trip on the real one under
// Windows): the thirteen values saved and loaded back with the start-up entry and the browser
// switch they write, and how each stored text reads, ranges included.
#include <gtest/gtest.h>

#include <algorithm>
#include <string>
#include <vector>

#include "registry/reg_key.h"
#include "settings/settings_store.h"
#include "support/registry_fixture.h"

namespace lumo {
namespace {

constexpr char kSettingsKey[] = "HKCU\\Software\\Tallowin\\Sweepkit Lumo";
constexpr char kRunKey[] = "HKCU\\Software\\Microsoft\\Windows\\CurrentVersion\\Run";
constexpr char kBrowserKey[] = "HKCU\\Software\\Microsoft\\Internet Explorer\\Main";
constexpr char kProgram[] = "C:\\Program Files\\Sweepkit Lumo\\SweepkitLumo.exe";
const std::string kStartup = std::string("\"") + kProgram + "\"";
const std::vector<std::string> kNames = {"Run On Startup Windows", "Turn Off Forms AutoComplete",
                                         "Monitor Start Page",     "Start Page",
                                         "Window Title",           "Schedule Type",
                                         "Schedule Interval",      "Schedule Clock",
                                         "Security Fill Times",    "Enable File Logging",
                                         "Keep Log Days",          "Display Max Rows",
                                         "Removal Workers"};

// The thirteen settings as texts, in table order, for comparing whole sets.
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
            n(s.DisplayMaxRows),
            n(s.RemovalWorkers)};
}

::testing::AssertionResult NoFailures(const SettingsFailures& failures) {
    if (failures.empty())
        return ::testing::AssertionSuccess();
    return ::testing::AssertionFailure() << DescribeFailures(failures);
}

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
        saved.RemovalWorkers = 1;
        EXPECT_TRUE(NoFailures(Store().SaveSystemSettings(saved)));
        for (size_t i = 0; i < kNames.size(); ++i)
            EXPECT_EQ(Text(kSettingsKey, kNames[i]), Texts(saved)[i]) << kNames[i];
        std::vector<std::string> names = this->reg.ValueNames(kSettingsKey), expected = kNames;  // Wine sorts them
        std::sort(names.begin(), names.end());
        std::sort(expected.begin(), expected.end());
        EXPECT_EQ(names, expected) << "the thirteen values and nothing else";
        EXPECT_EQ(Outside(), kStartup + "|nonono");
        AppSettings loaded;
        EXPECT_TRUE(NoFailures(Store().LoadSystemSettings(loaded)));
        EXPECT_EQ(Texts(loaded), Texts(saved));
    }
};
using SettingsStoreTest = SettingsStoreSuite<>;

TEST_F(SettingsStoreTest, SaveThenLoadGivesTheSameThirteenValues) { SaveThenLoad(); }

#ifdef _WIN32
using SettingsStoreRealTest = SettingsStoreSuite<testing::RealRegistryKind>;
TEST_F(SettingsStoreRealTest, SaveThenLoadGivesTheSameThirteenValues) { SaveThenLoad(); }
#endif

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
            s.RemovalWorkers = 2;
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
    ExpectReads("Removal Workers", {{"1", "1"}, {"8", "8"}, {"9", "0"}, {"-1", "2"}, {"x", "0"}});
    ExpectReads("Run On Startup Windows", {{"TRUE", "true"}, {"True", "true"}});
    ExpectReads("Run On Startup Windows", {{"yes", "false"}, {"1", "false"}, {"true ", "false"}}, true);
    ExpectReads("Start Page", {{"  about:blank ", "  about:blank "}});
}

}  // namespace
}  // namespace lumo
