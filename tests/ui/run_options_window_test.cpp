// The Run Options window, headless, over the in-memory registry and a real configuration file:
// the schedule's controls both ways, and what Apply, OK, Cancel, Default, Use Blank and Apply to
// IE leave in memory, in the registry and on disk, failures included.
#include <gtest/gtest.h>

#include <algorithm>
#include <filesystem>
#include <optional>

#include "items_settings_test_config.h"
#include "platform/portable/memory_registry.h"
#include "registry/reg_key.h"
#include "settings/application.h"
#include "ui/headless/headless_host.h"
#include "ui/run_options_window.h"

namespace lumo {
namespace {

using namespace lumo::testing;

constexpr const char* kBrowserKey = "Software\\Microsoft\\Internet Explorer\\Main";
constexpr const char* kRunKey = "Software\\Microsoft\\Windows\\CurrentVersion\\Run";

class RunOptions : public ::testing::Test {
protected:
    RunOptions() : config(BuiltInRecords() + PluginLines("App", true)) {
        for (int32_t root : {rkLocalMachine, rkCurrentUser}) {  // every registry has these two
            RegHandle h = 0;
            registry.CreateKey(RootHandle(root), "Software", keyAllAccess, h);
            registry.CloseKey(h);
        }
        app.ConfigFilePath = config.Path();
        app.ConfigSet().LoadConfig(config.Path());
        owner.Load();
    }
    RunOptionsWindow& Open() {
        window.reset();
        return ShowRunOptions(window, owner, app, store, ShowMode::Modeless);
    }
    // A string value's text; none when the value or its key is missing.
    std::optional<std::string> Value(int32_t root, const std::string& path, const char* name) {
        std::optional<RegValue> v = RegKey(registry).GetRegValue(name, root, path);
        return v && v->ValueType != rvtNone ? std::optional(v->ValueDataString()) : std::nullopt;
    }
    std::optional<std::string> Setting(const char* name) {
        return Value(store.Locations().settingsRoot, store.Locations().SettingsKey(), name);
    }

    MemoryRegistry registry;
    Application app{Platform{&registry}, DateTime::FromParts(2024, 5, 1, 9, 0, 0)};
    SettingsStore store{registry, "C:\\Lumo\\SweepkitLumo.exe"};
    HeadlessHost host;
    Form owner{host, "frmPrivacyLumo"};
    ConfigOnDisk config;
    std::unique_ptr<RunOptionsWindow> window;
};

TEST_F(RunOptions, OpeningShowsTheScheduleByTheMapping) {
    struct Case {
        int16_t interval;
        int32_t entry;  // of the interval list
        const char* type;
        bool intervalBox, dailyBox;
    };
    const Case cases[] = {{15, 0, "interval", true, false}, {30, 1, "daily", false, true},
                          {60, 2, "none", false, false},    {120, 3, "interval", true, false},
                          {240, 4, "none", false, false},   {480, 5, "none", false, false},
                          {6, 5, "none", false, false},     {45, 5, "Daily", false, false}};
    for (const Case& c : cases) {
        SCOPED_TRACE(c.interval);
        app.settings.ScheduleInterval = c.interval;
        app.settings.ScheduleType = c.type;
        app.settings.ScheduleClock = static_cast<int16_t>(c.entry * 4);
        auto& w = Open();
        EXPECT_EQ(w.advaCmbScheduleInterval.ListIndex(), c.entry);
        EXPECT_EQ(w.advaChkScheduleInterval.Checked(), c.intervalBox);
        EXPECT_EQ(w.advaChkScheduleClock.Checked(), c.dailyBox);
        EXPECT_EQ(w.advaCmbScheduleClock.ListIndex(), c.entry * 4);
    }
}

TEST_F(RunOptions, ApplyStoresTheScheduleByItsRuleAndKeepsTheWindowOpen) {
    struct Case {
        bool intervalBox, dailyBox;
        int32_t intervalEntry, hourEntry, daysEntry;  // -1: left as shown
        const char* type;
        int16_t interval, clock, days;
    };
    const Case cases[] = {{false, false, -1, -1, -1, "none", 480, 12, 1},
                          {true, true, -1, -1, -1, "interval", 480, 12, 1},
                          {false, true, -1, 0, -1, "daily", 480, 0, 1},
                          {false, false, 1, 7, -1, "none", 30, 7, 1},
                          {true, false, 3, -1, 2, "interval", 120, 12, 3}};
    for (const Case& c : cases) {
        SCOPED_TRACE(c.type + std::to_string(c.interval));
        app.settings = AppSettings{};
        auto& w = Open();
        if (c.intervalBox)
            w.advaChkScheduleInterval.Click();
        if (c.dailyBox)
            w.advaChkScheduleClock.Click();
        for (auto [list, entry] : {std::pair{&w.advaCmbScheduleInterval, c.intervalEntry},
                                   {&w.advaCmbScheduleClock, c.hourEntry},
                                   {&w.advaCmbKeepLogDays, c.daysEntry}})
            if (entry >= 0)
                list->UserSelect(entry);
        w.cmdApply.Click();
        const AppSettings& s = app.settings;
        EXPECT_EQ(std::tuple(s.ScheduleType, s.ScheduleInterval, s.ScheduleClock, s.KeepLogDays),
                  std::tuple(std::string(c.type), c.interval, c.clock, c.days));
        EXPECT_EQ(Setting("Schedule Type"), c.type);
        EXPECT_EQ(Setting("Schedule Interval"), std::to_string(c.interval));
        EXPECT_TRUE(w.Loaded());
    }
    EXPECT_TRUE(host.Boxes().empty());
}

// Default and Use Blank change only the controls; Cancel then leaves memory, registry and file.
TEST_F(RunOptions, DefaultAndUseBlankChangeOnlyTheControlsAndCancelKeepsEverything) {
    app.settings.StartPage = "http://mine/";
    app.settings.ScheduleType = "daily";
    app.settings.ScheduleInterval = 30;
    app.settings.KeepLogDays = 4;
    app.settings.MonitorStartPage = true;
    const std::string before = config.Bytes();
    auto& w = Open();
    w.geneCmdUseBlank.Click();
    EXPECT_EQ(w.geneTxtHomePage.Text(), "about:blank");
    w.geneCmdDefault.Click();
    EXPECT_FALSE(w.advaChkScheduleClock.Checked() || w.geneChkIEMonitor.Checked());
    EXPECT_EQ(w.geneTxtHomePage.Text(), "");
    EXPECT_EQ(w.advaCmbScheduleInterval.Text() + "|" + w.advaCmbScheduleClock.Text() + "|" +
                  w.advaCmbKeepLogDays.Text(),
              "8 Hours|12:00|1");
    w.cmdCancel.Click();
    EXPECT_FALSE(w.Loaded());
    EXPECT_EQ(app.settings.StartPage, "http://mine/");
    EXPECT_EQ(app.settings.KeepLogDays, 4);
    EXPECT_EQ(app.settings.ScheduleType, "daily");
    EXPECT_FALSE(Setting("Schedule Type"));
    EXPECT_EQ(config.Bytes(), before);
}

TEST_F(RunOptions, ApplyWritesTheFileWithTheHoldSettingsOfTheCopiesTakenAtOpening) {
    auto& w = Open();
    w.Unload();
    w.Show();
    ASSERT_EQ(w.Roots().Count(), 5) << "copies of the Root records only, taken afresh by each load";
    PrivacyItem& temp = app.ConfigSet().item(1).Items.item(5);  // holds two files
    temp.HoldSettings = {"C:\\Temp\\other.txt"};
    w.cmdApply.Click();
    EXPECT_EQ(temp.HoldSettings, (Lines{"C:\\Temp\\keep.txt", "C:\\Temp\\keep2.txt"}));
    std::string first = config.Bytes();
    std::filesystem::remove(config.Path());
    w.cmdApply.Click();
    EXPECT_EQ(config.Bytes(), first);
}

// Without the right to write the settings key (a standard user's lot where it lies in
// HKEY_LOCAL_MACHINE), while the user's own keys stay writable.
TEST_F(RunOptions, AFailedSaveIsToldInPlainWordsAndCancelPutsEverythingBack) {
    const SettingsLocations& where = store.Locations();
    RegKey(registry).SetRegValue("Use FormSuggest", rvtString, std::string("yes"), rkCurrentUser, kBrowserKey);
    app.settings.KeepLogDays = 3;
    ASSERT_TRUE(registry.DenyRights(where.settingsRoot, where.settingsParent, keyCreateSubKey | keySetValue));
    auto& w = Open();
    w.geneChkRunOnStartup.Click();
    w.geneChkTurnOffAutoComplete.Click();
    w.advaCmbKeepLogDays.UserSelect(4);
    std::filesystem::remove(config.Path());
    w.cmdOk.Click();
    ASSERT_EQ(host.Boxes().size(), 1u);
    const HeadlessHost::ShownBox& box = host.Boxes()[0];
    EXPECT_EQ(box.caption, "Run Options");
    EXPECT_EQ(box.icon, MsgIcon::Exclamation);
    EXPECT_NE(box.text.find("\"Schedule Type\""), std::string::npos) << "it says what failed: " << box.text;
    EXPECT_NE(box.text.find("Ask your administrator"), std::string::npos) << "and what to do: " << box.text;
    EXPECT_TRUE(std::all_of(box.text.begin(), box.text.end(), [](char c) { return c > 0 && c != '*'; }))
        << "none of the registry's own texts: " << box.text;
    EXPECT_TRUE(w.Loaded());
    // Every step was still tried: the user's own switches were written and the file was saved.
    EXPECT_EQ(Value(rkCurrentUser, kBrowserKey, "FormSuggest Passwords"), "no");
    EXPECT_EQ(Value(rkCurrentUser, kRunKey, "Sweepkit Lumo"), "C:\\Lumo\\SweepkitLumo.exe");
    EXPECT_TRUE(std::filesystem::exists(config.Path()));

    w.cmdCancel.Click();
    EXPECT_FALSE(w.Loaded());
    EXPECT_EQ(host.Boxes().size(), 1u) << "what could not be written was not changed either: no second box";
    EXPECT_FALSE(app.settings.RunOnStartupWindows || app.settings.TurnOffFormsAutoComplete);
    EXPECT_EQ(app.settings.KeepLogDays, 3);
    EXPECT_FALSE(Value(rkCurrentUser, kRunKey, "Sweepkit Lumo"));
    EXPECT_EQ(Value(rkCurrentUser, kBrowserKey, "Use FormSuggest"), "yes");
    EXPECT_FALSE(Value(rkCurrentUser, kBrowserKey, "FormSuggest Passwords"));

    ASSERT_TRUE(registry.DenyRights(where.settingsRoot, where.settingsParent, 0));
    auto& again = Open();
    again.advaChkScheduleClock.Click();
    again.cmdOk.Click();
    EXPECT_FALSE(again.Loaded()) << "with the rights back, OK saves and closes without a word";
    EXPECT_EQ(Setting("Schedule Type"), "daily");
}

TEST_F(RunOptions, ApplyToIeWritesTheBrowserValuesAndApprovesThem) {
    const std::tuple<const char*, const char*, std::optional<std::string>> cases[] = {
        {"http://home.example/", "Work", "Work"}, {"about:blank", "", std::nullopt}, {"", "   ", std::nullopt}};
    for (const auto& [page, title, browserTitle] : cases) {
        SCOPED_TRACE(std::string(page) + "|" + title);
        RegKey(registry).SetRegValue("Window Title", rvtString, std::string("Old"), rkCurrentUser, kBrowserKey);
        auto& w = Open();
        w.geneTxtHomePage.UserSetText(page);
        w.geneTxtWindowTitle.UserSetText(title);
        w.geneCmdApplyToIE.Click();
        std::string approved = browserTitle.value_or("");  // a deleted title is approved as none
        EXPECT_EQ(Value(rkCurrentUser, kBrowserKey, "Start Page"), page);
        EXPECT_EQ(Value(rkCurrentUser, kBrowserKey, "Window Title"), browserTitle);
        EXPECT_EQ(app.settings.StartPage + "|" + app.settings.WindowTitle, page + ("|" + approved));
        EXPECT_EQ(Setting("Start Page"), page);
        EXPECT_EQ(Setting("Window Title"), approved);
        EXPECT_EQ(w.geneTxtWindowTitle.Text(), approved);
        EXPECT_FALSE(Setting("Schedule Type")) << "only the approved values are written";
    }
    EXPECT_TRUE(host.Boxes().empty());
    // A browser key that cannot be written: one message, the approved values stay.
    ASSERT_TRUE(registry.DenyRights(rkCurrentUser, kBrowserKey, keySetValue));
    auto& w = Open();
    w.geneTxtHomePage.UserSetText("http://new/");
    w.geneCmdApplyToIE.Click();
    ASSERT_EQ(host.Boxes().size(), 1u);
    EXPECT_EQ(host.Boxes()[0].text.rfind("The browser's start page and window title could not be set.", 0), 0u);
    EXPECT_EQ(Setting("Start Page"), "");
}

}  // namespace
}  // namespace lumo
