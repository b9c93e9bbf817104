// The menu holder headless: both trees, the marks taken from the stored settings, the twin
// toggles and what they write, the busy refusals, View Today Log, and the tray icon.
#include <gtest/gtest.h>

#include <array>

#include "main_window_fixture.h"
#include "registry/reg_key.h"
#include "settings/settings_store.h"

namespace lumo {
namespace {

using testing::MainWindowTest;

// "name=caption" of each sub-item, joined by "|".
std::string Captions(const MenuItem& menu) {
    std::string out;
    for (const auto& item : menu.Items())
        out += (out.empty() ? "" : "|") + item->Name() + "=" + item->Caption();
    return out;
}

class MenuHolderTest : public MainWindowTest {
protected:
    MainWindow& OpenStandard() {
        WriteConfig(StandardConfig());
        MakeStandardTree();
        return Open();
    }
};

TEST_F(MenuHolderTest, BothTreesHoldTheirItemsInOrder) {
    MenuHolder& m = OpenStandard().Menu();
    EXPECT_EQ(m.Name(), "frmMenu");
    EXPECT_EQ(m.Caption(), "menu");
    EXPECT_FALSE(m.Visible()) << "the holder and its main menu stay unseen";
    std::string tops;
    for (const auto& top : m.Menus())
        tops += top->Caption() + "|";
    EXPECT_EQ(tops, "&File|&Actions|&Tools|&Help|SysTray|");
    EXPECT_EQ(Captions(m.menuFile), "menuReloadConfig=&Reload Config|menuLine1=-|menuExit=E&xit");
    EXPECT_EQ(Captions(m.menuActions),
              "menuShow=&Show|menuClear=&Clear|menuViewTodayLog=View Today Log|menuLine2=-|"
              "menuFileLogging=&Enable File Logging|menuRunOnStartup=&Run at windows startup|"
              "menuTurnOffAutoComplete=Turn off Forms A&utoComplete|menuEnableMonitor=Enable &Monitor|menuLine4=-|"
              "menuScheduleInterval=Schedule in &Interval Mode|menuScheduleDaily=Schedule in &Daily Mode");
    EXPECT_EQ(Captions(m.menuTools),
              "menuPreference=&Preferences...|menuLine5=-|menuAddPlugins=Add P&lugins...|menuAddCustom=Add &Custom...");
    EXPECT_EQ(Captions(m.menuHelp), "menuContents=&Contents...|menuFAQ=&FAQ|menuLine3=-|menuAbout=&About...");
    EXPECT_EQ(Captions(m.menuSysTray),
              "menuSTShowSweepkit=Show/Hide Sweepkit|menuLine6=-|menuSTClearNow=Clear Now|menuLine7=-|"
              "menuSTFileLogging=Enable File Logging|menuSTMonitor=Enable Monitor|"
              "menuSTScheduleInterval=Schedule in Interval Mode|menuSTScheduleDaily=Schedule in Daily Mode|"
              "menuLine8=-|menuSTRunOptions=Run Options...|menuSTItemSettings=Item Settings...|menuSTAbout=About|"
              "menuLine9=-|menuSTExit=Exit");
}

struct MarksCase {
    const char* name;
    AppSettings settings;
    // File logging (both), start-up, AutoComplete, monitor (both), interval (both), daily (both).
    std::vector<bool> marks;
};

class MenuMarksTest : public MenuHolderTest, public ::testing::WithParamInterface<MarksCase> {};

TEST_P(MenuMarksTest, MarksStartFromTheStoredSettings) {
    WriteConfig(StandardConfig());
    settings = GetParam().settings;
    MenuHolder& m = Open().Menu();
    std::vector<bool> marks = {m.menuFileLogging.Checked(),      m.menuSTFileLogging.Checked(),
                               m.menuRunOnStartup.Checked(),     m.menuTurnOffAutoComplete.Checked(),
                               m.menuEnableMonitor.Checked(),    m.menuSTMonitor.Checked(),
                               m.menuScheduleInterval.Checked(), m.menuSTScheduleInterval.Checked(),
                               m.menuScheduleDaily.Checked(),    m.menuSTScheduleDaily.Checked()};
    EXPECT_EQ(marks, GetParam().marks);
    EXPECT_EQ(m.EnableFileLoggingChecked(), marks[0]);
    EXPECT_EQ(m.ScheduleDailyChecked(), marks[8]);
}

AppSettings With(bool logging, bool startup, bool autoComplete, bool monitor, const char* schedule) {
    AppSettings s;
    s.EnableFileLogging = logging;
    s.RunOnStartupWindows = startup;
    s.TurnOffFormsAutoComplete = autoComplete;
    s.MonitorStartPage = monitor;
    s.ScheduleType = schedule;
    return s;
}

INSTANTIATE_TEST_SUITE_P(
    Cases, MenuMarksTest,
    ::testing::Values(
        MarksCase{"defaults", AppSettings{}, {false, false, false, false, false, false, false, false, false, false}},
        MarksCase{"all_on_interval",
                  With(true, true, true, true, "interval"),
                  {true, true, true, true, true, true, true, true, false, false}},
        MarksCase{"daily",
                  With(false, false, false, false, "daily"),
                  {false, false, false, false, false, false, false, false, true, true}}),
    [](const auto& info) { return std::string(info.param.name); });

struct ToggleCase {
    const char* name;
    const char* click;
    // Marks before and after: interval, daily, tray interval, tray daily.
    std::array<bool, 4> before, after;
};

class MenuScheduleToggleTest : public MenuHolderTest, public ::testing::WithParamInterface<ToggleCase> {};

TEST_P(MenuScheduleToggleTest, TwinsFollowTheirRules) {
    MenuHolder& m = OpenStandard().Menu();
    MenuItem* items[] = {&m.menuScheduleInterval, &m.menuScheduleDaily, &m.menuSTScheduleInterval,
                         &m.menuSTScheduleDaily};
    for (int i = 0; i < 4; ++i)
        items[i]->SetChecked(GetParam().before[i]);
    m.FindMenu(GetParam().click)->Click();
    std::array<bool, 4> after;
    for (int i = 0; i < 4; ++i)
        after[i] = items[i]->Checked();
    EXPECT_EQ(after, GetParam().after);
}

INSTANTIATE_TEST_SUITE_P(Cases, MenuScheduleToggleTest,
                         ::testing::Values(ToggleCase{"tray_daily_on_over_interval",
                                                      "menuSTScheduleDaily",
                                                      {true, false, true, false},
                                                      {false, true, false, true}},
                                           ToggleCase{"main_daily_on_leaves_tray",
                                                      "menuScheduleDaily",
                                                      {true, false, true, false},
                                                      {false, true, true, false}},
                                           ToggleCase{"main_interval_off",
                                                      "menuScheduleInterval",
                                                      {true, false, true, false},
                                                      {false, false, true, false}},
                                           ToggleCase{"tray_interval_on_over_daily",
                                                      "menuSTScheduleInterval",
                                                      {false, true, false, true},
                                                      {true, false, true, false}},
                                           ToggleCase{"tray_interval_off_copies_daily",
                                                      "menuSTScheduleInterval",
                                                      {false, true, true, false},
                                                      {false, false, false, false}}),
                         [](const auto& info) { return std::string(info.param.name); });

TEST_F(MenuHolderTest, TogglesWriteTheirSettingThroughTheStore) {
    MainWindow& w = OpenStandard();
    const char* base = "Software\\SweepkitLumoTests\\menu";
    SettingsStore store(registry, "C:\\Program Files\\Sweepkit Lumo\\SweepkitLumo.exe",
                        SettingsLocations::Below(rkCurrentUser, base));
    w.SetStore(&store);
    MenuHolder& m = w.Menu();

    m.menuSTFileLogging.Click();
    EXPECT_TRUE(m.menuFileLogging.Checked()) << "the twin takes the mark";
    EXPECT_TRUE(app->settings.EnableFileLogging);
    m.menuSTMonitor.Click();
    EXPECT_TRUE(m.menuEnableMonitor.Checked());
    m.menuEnableMonitor.Click();
    EXPECT_FALSE(m.menuEnableMonitor.Checked());
    EXPECT_TRUE(m.menuSTMonitor.Checked()) << "the main item leaves its tray twin";
    EXPECT_FALSE(app->settings.MonitorStartPage);
    m.menuScheduleDaily.Click();
    EXPECT_EQ(app->settings.ScheduleType, "daily");

    AppSettings stored;
    store.LoadSystemSettings(stored);
    EXPECT_TRUE(stored.EnableFileLogging);
    EXPECT_FALSE(stored.MonitorStartPage);
    EXPECT_EQ(stored.ScheduleType, "daily");
    EXPECT_FALSE(stored.RunOnStartupWindows) << "only the toggled settings are written";
}

TEST_F(MenuHolderTest, BusyCommandsAreRefusedDuringARun) {
    MainWindow& w = OpenStandard();
    MenuHolder& m = w.Menu();
    bool ranOptions = false;
    w.ShowRunOptions = [&](MainWindow&, ShowMode) { ranOptions = true; };
    struct Busy {
        const char* title;
        MenuItem* item;
    };
    Busy busy[] = {{"Reload Config", &m.menuReloadConfig},
                   {"Preferences", &m.menuPreference},
                   {"Add Plugins", &m.menuAddPlugins},
                   {"Add Custom", &m.menuAddCustom}};
    bool timerDuringRun = true;
    host.OnDoEvents = [&](int pass) {
        if (pass != 1)
            return;
        for (const Busy& b : busy)
            b.item->OnClick();  // the commands themselves: their items are disabled meanwhile
        timerDuringRun = w.tmrSchedule.Running();
    };
    w.cmdShow.Click();
    ASSERT_EQ(host.Boxes().size(), 5u);
    for (size_t i = 0; i < 4; ++i) {
        EXPECT_EQ(host.Boxes()[i].text,
                  std::string("Please stop current processing, then click ") + busy[i].title + " menu item.");
        EXPECT_EQ(host.Boxes()[i].caption, busy[i].title);
        EXPECT_EQ(host.Boxes()[i].icon, MsgIcon::Exclamation);
    }
    EXPECT_FALSE(timerDuringRun) << "a refusal does not restart the timer";
    EXPECT_FALSE(ranOptions);
}

TEST_F(MenuHolderTest, ReloadConfigAsksAndCancelChangesNothing) {
    MainWindow& w = OpenStandard();
    MenuHolder& m = w.Menu();
    w.cmdShow.Click();
    host.ClearBoxes();
    host.QueueAnswer(MsgAnswer::Cancel);
    m.menuReloadConfig.Click();
    ASSERT_EQ(host.Boxes().size(), 1u);
    EXPECT_EQ(LastBox().text, "The configuration will be reloaded, continue?");
    EXPECT_EQ(LastBox().buttons, MsgButtons::OkCancel);
    EXPECT_EQ(LastBox().icon, MsgIcon::Question);
    EXPECT_EQ(LastBox().caption, "Reload Config");
    EXPECT_EQ(w.lvwPItem.Item(1).Icon(), "winshow");
    host.QueueAnswer(MsgAnswer::Ok);
    m.menuReloadConfig.Click();
    EXPECT_EQ(w.lvwPItem.Item(1).Icon(), "win");
    EXPECT_EQ(w.lvwPItem.Item(1).SubItems(1), "");
}

TEST_F(MenuHolderTest, ViewTodayLogOpensTodaysFileOrSaysItIsMissing) {
    MainWindow& w = OpenStandard();
    w.cmdViewLog.Click();
    ASSERT_EQ(host.Boxes().size(), 1u);
    EXPECT_EQ(LastBox().text, "Today Log File doesn't exist. Check Enable File Logging can turn on the logging.");
    EXPECT_EQ(LastBox().icon, MsgIcon::Exclamation);
    EXPECT_TRUE(shell.started.empty());

    std::string today = JoinPath(JoinPath(Prog(), "logs"), "L20240517.log");
    std::filesystem::create_directories(std::filesystem::path(Prog()) / "logs");
    testing::WriteBytes(today, "x");
    w.Menu().menuViewTodayLog.Click();
    EXPECT_EQ(shell.started, (std::vector<std::string>{"notepad.exe " + today}));
    EXPECT_EQ(host.Boxes().size(), 1u);
}

TEST_F(MenuHolderTest, TrayIconShowsTheTrayMenuAndHidesOrShowsTheWindow) {
    MainWindow& w = OpenStandard();
    ASSERT_TRUE(host.TrayIconShown());
    EXPECT_EQ(host.TrayOwner(), "frmMenu");
    TrayIcon& icon = *host.CurrentTrayIcon();
    EXPECT_EQ(icon.ToolTip, "Sweepkit Lumo");

    std::string popped;
    host.OnPopupMenu = [&](Form&, MenuItem& menu) {
        popped = menu.Name();
        menu.Find("menuSTClearNow")->Click();
    };
    icon.RightClick();
    EXPECT_EQ(popped, "menuSysTray");
    ASSERT_FALSE(host.Boxes().empty());
    EXPECT_EQ(LastBox().text.rfind("Privacy Items:", 0), 0u) << "Clear Now clears without asking";
    EXPECT_FALSE(TreeHas("temp/a.tmp"));

    icon.DoubleClick();
    EXPECT_EQ(w.GetWindowState(), WindowState::Minimized);
    icon.DoubleClick();
    EXPECT_EQ(w.GetWindowState(), WindowState::Normal);
    EXPECT_TRUE(w.Visible());
}

TEST_F(MenuHolderTest, PreferencesStopsTheTimerWhileItsWindowIsOpen) {
    MainWindow& w = OpenStandard();
    std::vector<std::string> seen;
    w.ShowRunOptions = [&](MainWindow&, ShowMode mode) {
        seen.push_back(std::string(mode == ShowMode::Modal ? "modal" : "modeless") +
                       (w.tmrSchedule.Running() ? " timer on" : " timer off"));
    };
    w.Menu().menuPreference.Click();
    EXPECT_EQ(seen, (std::vector<std::string>{"modal timer off"}));
    EXPECT_TRUE(w.tmrSchedule.Running());
}

TEST_F(MenuHolderTest, HelpAboutSettingsWindowsAndExitCommands) {
    MainWindow& w = OpenStandard();
    MenuHolder& m = w.Menu();
    int abouts = 0;
    w.ShowAbout = [&](MainWindow&) { ++abouts; };
    std::vector<std::string> opened;
    w.ShowItemsSettings = [&](MainWindow&) { opened.push_back("items"); };
    w.ShowRunOptions = [&](MainWindow&, ShowMode mode) {
        opened.push_back(mode == ShowMode::Modal ? "options modal" : "options modeless");
    };
    m.menuAbout.Click();
    m.menuSTAbout.Click();
    EXPECT_EQ(abouts, 2);
    m.menuContents.Click();
    m.menuFAQ.Click();
    w.cmdHelp.Click();
    EXPECT_EQ(shell.opened, (std::vector<std::string>(3, JoinPath(Prog(), "SweepkitHelp.chm"))));
    ASSERT_NE(host.WindowHandle(w), 0u);
    EXPECT_EQ(shell.openedOver, (std::vector<uintptr_t>(3, host.WindowHandle(w))))
        << "the help opens over the main window, from its button and from the menu";
    m.menuSTRunOptions.Click();
    m.menuSTItemSettings.Click();
    EXPECT_EQ(opened, (std::vector<std::string>{"options modeless", "items"})) << "as the main window's buttons";
    EXPECT_TRUE(host.Boxes().empty());
    m.menuSTExit.Click();
    EXPECT_TRUE(host.Ended());
    EXPECT_FALSE(w.Loaded());
}

TEST_F(MenuHolderTest, TrayMarksFollowTheSettingsBeforeTheMenuOpens) {
    MainWindow& w = OpenStandard();
    SettingsStore store(registry, "C:\\Lumo\\SweepkitLumo.exe");
    w.SetStore(&store);
    MenuHolder& m = w.Menu();
    ASSERT_FALSE(m.menuSTFileLogging.Checked());
    // Saved elsewhere meanwhile (Run Options): logging on, daily schedule.
    app->settings.EnableFileLogging = true;
    app->settings.ScheduleType = "daily";
    std::vector<bool> shown;
    host.OnPopupMenu = [&](Form&, MenuItem& menu) {
        shown = {m.menuSTFileLogging.Checked(), m.menuSTScheduleDaily.Checked(), m.menuSTScheduleInterval.Checked()};
        menu.Find("menuSTFileLogging")->Click();
    };
    host.CurrentTrayIcon()->RightClick();
    EXPECT_EQ(shown, (std::vector<bool>{true, true, false}));
    EXPECT_FALSE(app->settings.EnableFileLogging) << "the click turns off what is on, not the other way";
    AppSettings stored;
    store.LoadSystemSettings(stored);
    EXPECT_FALSE(stored.EnableFileLogging);

    // A toggle whose write is refused says so once; the setting holds for the session.
    registry.FailNext(MemoryRegistry::Op::SetValue, 5);
    host.OnPopupMenu = [&](Form&, MenuItem& menu) { menu.Find("menuSTMonitor")->Click(); };
    host.CurrentTrayIcon()->RightClick();
    EXPECT_TRUE(app->settings.MonitorStartPage);
    ASSERT_EQ(host.Boxes().size(), 1u);
    EXPECT_EQ(LastBox().text.rfind("The setting is used until Sweepkit Lumo closes, but it could not be stored", 0), 0u)
        << LastBox().text;
}

struct ModalCase {
    const char* name;
    bool messageBox;  // the modal window is a message box (else a modal form)
    bool doubleClick;  // the icon is double-clicked (else right-clicked)
};

class TrayUnderModalTest : public MenuHolderTest, public ::testing::WithParamInterface<ModalCase> {};

TEST_P(TrayUnderModalTest, OnlyBringsTheModalWindowForward) {
    const ModalCase& c = GetParam();
    MainWindow& w = OpenStandard();
    TrayIcon& icon = w.Menu().trayIcon;
    host.OnPopupMenu = [&](Form&, MenuItem& menu) { menu.Find("menuSTClearNow")->Click(); };
    auto clickIcon = [&] { c.doubleClick ? icon.DoubleClick() : icon.RightClick(); };
    if (c.messageBox) {
        host.OnMessageBox = [&](const MessageBoxRequest&) {
            host.OnMessageBox = nullptr;
            clickIcon();
        };
        w.cmdExit.Click();  // the farewell box
    } else {
        Form about(host, "frmAbout");
        host.OnModal = [&](Form&) { clickIcon(); };
        about.Show(ShowMode::Modal, &w);
    }
    EXPECT_EQ(host.ModalFrontings(), 1);
    EXPECT_TRUE(host.PopupMenus().empty()) << "no menu opens under a modal window";
    EXPECT_TRUE(TreeHas("temp/a.tmp")) << "so no Clear Now runs where its Stop cannot be reached";
    EXPECT_NE(w.GetWindowState(), WindowState::Minimized);

    host.OnModal = nullptr;
    clickIcon();
    EXPECT_EQ(host.ModalFrontings(), 1);
    EXPECT_EQ(host.PopupMenus().size(), c.doubleClick ? 0u : 1u) << "with no modal window up the icon works";
}

INSTANTIATE_TEST_SUITE_P(Cases, TrayUnderModalTest,
                         ::testing::Values(ModalCase{"form_right_click", false, false},
                                           ModalCase{"form_double_click", false, true},
                                           ModalCase{"box_right_click", true, false},
                                           ModalCase{"box_double_click", true, true}),
                         [](const auto& info) { return std::string(info.param.name); });

}  // namespace
}  // namespace lumo
