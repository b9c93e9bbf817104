// The menu holder headless: the twin toggles, what each one applies and stores, the busy
// refusals, the schedule timer around the commands, and the tray icon.
#include <gtest/gtest.h>

#include <array>
#include <optional>

#include "main_window_fixture.h"
#include "settings/settings_store.h"

namespace lumo {
namespace {

using testing::MainWindowTest;
using MenuHolderTest = MainWindowTest;

// The marks as '0'/'1': logging, start-up, AutoComplete, monitor, interval, daily (tray twins after
// their main items).
std::array<MenuItem*, 10> MarkItems(MenuHolder& m) {
    return {&m.menuFileLogging,   &m.menuSTFileLogging,  &m.menuRunOnStartup,     &m.menuTurnOffAutoComplete,
            &m.menuEnableMonitor, &m.menuSTMonitor,      &m.menuScheduleInterval, &m.menuSTScheduleInterval,
            &m.menuScheduleDaily, &m.menuSTScheduleDaily};
}
std::string Marks(MenuHolder& m) {
    std::string s;
    for (MenuItem* item : MarkItems(m))
        s += item->Checked() ? '1' : '0';
    return s;
}
std::string Applied(const AppSettings& s) {
    return std::string(s.EnableFileLogging ? "log " : "") + (s.RunOnStartupWindows ? "startup " : "") +
           (s.TurnOffFormsAutoComplete ? "autocomplete " : "") + (s.MonitorStartPage ? "monitor " : "") +
           s.ScheduleType;
}

TEST_F(MenuHolderTest, EachToggleFollowsItsTwinRuleAndAppliesAndStoresOnlyItsOwnSetting) {
    MainWindow& w = OpenStandard();
    MenuHolder& m = w.Menu();
    struct Case {
        const char* click;
        const char* before;
        const char* after;
        const char* applied;  // from default settings: the marks of the other toggles must not leak in
    };
    const Case cases[] = {
        {"menuSTScheduleDaily", "1111111100", "1111110011", "daily"},
        {"menuScheduleDaily", "1111111100", "1111110110", "daily"},  // the main item leaves its tray twin
        {"menuScheduleInterval", "1111111100", "1111110100", "none"},
        {"menuSTScheduleInterval", "1111110011", "1111111100", "interval"},
        {"menuSTScheduleInterval", "1111110110", "1111110000", "none"},  // the main daily copies the tray's
        {"menuSTFileLogging", "0011111100", "1111111100", "log none"},
        {"menuFileLogging", "0011111100", "1111111100", "log none"},
        {"menuSTMonitor", "1111001100", "1111111100", "monitor none"},
        {"menuEnableMonitor", "1111111100", "1111011100", "none"},
        {"menuRunOnStartup", "1101111100", "1111111100", "startup none"},
        {"menuTurnOffAutoComplete", "1110111100", "1111111100", "autocomplete none"},
    };
    std::optional<SettingsStore> store;  // a fresh one for each case, which sees only that case's writes
    for (const Case& c : cases) {
        SCOPED_TRACE(std::string(c.click) + " from " + c.before);
        std::string base = std::string("Software\\LumoTests\\") + c.click + c.before;
        for (const char* below : {"\\HKCU\\Software", "\\HKLM\\Software"}) {
            RegHandle h = 0;
            registry.CreateKey(RootHandle(rkCurrentUser), base + below, keyAllAccess, h);
            registry.CloseKey(h);
        }
        store.emplace(registry, "C:\\Lumo\\SweepkitLumo.exe", SettingsLocations::Below(rkCurrentUser, base));
        w.SetStore(&*store);
        app->settings = AppSettings{};
        for (size_t i = 0; i < 10; ++i)
            MarkItems(m)[i]->SetChecked(c.before[i] == '1');
        m.FindMenu(c.click)->Click();
        EXPECT_EQ(Marks(m), c.after);
        EXPECT_EQ(Applied(app->settings), c.applied);
        AppSettings stored;
        store->LoadSystemSettings(stored);
        EXPECT_EQ(Applied(stored), c.applied);
    }
    EXPECT_TRUE(host.Boxes().empty()) << host.Boxes()[0].text;
    // A write the registry refuses is said once; the setting holds for the session.
    registry.FailNext(MemoryRegistry::Op::SetValue, 5);
    m.menuSTMonitor.SetChecked(false);
    m.menuSTMonitor.Click();
    EXPECT_TRUE(app->settings.MonitorStartPage);
    ASSERT_EQ(host.Boxes().size(), 1u);
    EXPECT_EQ(LastBox().text.rfind("The setting is used until Sweepkit Lumo closes, but it could not be stored", 0),
              0u);
}

TEST_F(MenuHolderTest, BusyCommandsAreRefusedDuringARunAndTheOthersStopTheTimerWhileTheyRun) {
    MainWindow& w = OpenStandard();
    MenuHolder& m = w.Menu();
    std::vector<std::string> seen;
    w.ShowRunOptions = [&](MainWindow&, ShowMode mode) {
        seen.push_back(std::string(mode == ShowMode::Modal ? "modal" : "modeless") +
                       (w.tmrSchedule.Running() ? " timer on" : " timer off"));
    };
    const std::pair<const char*, MenuItem*> busy[] = {{"Reload Config", &m.menuReloadConfig},
                                                      {"Preferences", &m.menuPreference},
                                                      {"Add Plugins", &m.menuAddPlugins},
                                                      {"Add Custom", &m.menuAddCustom}};
    bool timerDuringRun = true;
    host.OnDoEvents = [&](int pass) {
        for (const auto& b : busy)
            if (pass == 1)
                b.second->OnClick();  // the commands themselves: their items are disabled meanwhile
        timerDuringRun = timerDuringRun && w.tmrSchedule.Running();
    };
    w.cmdShow.Click();
    ASSERT_EQ(host.Boxes().size(), 5u);
    for (size_t i = 0; i < 4; ++i) {
        EXPECT_EQ(host.Boxes()[i].text,
                  std::string("Please stop current processing, then click ") + busy[i].first + " menu item.");
        EXPECT_EQ(host.Boxes()[i].caption, busy[i].first);
        EXPECT_EQ(host.Boxes()[i].icon, MsgIcon::Exclamation);
    }
    EXPECT_FALSE(timerDuringRun) << "a refusal does not restart the timer";
    EXPECT_TRUE(seen.empty());

    // Idle, each command stops the schedule timer and starts it again (which restarts its period).
    struct TimerLog : ControlPeer {
        explicit TimerLog(Timer& t, std::string& out) : timer(t), log(out) {}
        void Update(Change, int32_t) override { log += timer.Running() ? "on " : "off "; }
        Timer& timer;
        std::string& log;
    };
    for (int i = 1; i < 4; ++i) {
        std::string log;
        w.tmrSchedule.AttachPeer(std::make_unique<TimerLog>(w.tmrSchedule, log));
        busy[i].second->Click();
        w.tmrSchedule.DetachPeer();
        EXPECT_EQ(log, "off on ") << busy[i].first;
    }
    EXPECT_EQ(seen, (std::vector<std::string>{"modal timer off"}));
}

TEST_F(MenuHolderTest, TrayIconOpensTheTrayMenuWithFreshMarksAndDoubleClickHidesOrBringsBackTheWindow) {
    settings = AppSettings{};
    settings->EnableFileLogging = settings->RunOnStartupWindows = settings->TurnOffFormsAutoComplete = true;
    settings->MonitorStartPage = true;
    settings->ScheduleType = "interval";
    MainWindow& w = OpenStandard();
    EXPECT_EQ(Marks(w.Menu()), "1111111100") << "the marks start from the stored settings";
    ASSERT_TRUE(host.TrayIconShown());
    TrayIcon& icon = *host.CurrentTrayIcon();
    app->settings = AppSettings{};  // saved elsewhere meanwhile (Run Options)
    app->settings.EnableFileLogging = true;
    app->settings.ScheduleType = "daily";
    std::string marks;
    host.OnPopupMenu = [&](Form&, MenuItem& menu) {
        marks = Marks(w.Menu());
        menu.Find("menuSTClearNow")->Click();
    };
    icon.RightClick();
    EXPECT_EQ(host.PopupMenus(), (std::vector<std::string>{"menuSysTray"}));
    EXPECT_EQ(marks, "1100000011");
    EXPECT_EQ(LastBox().text.rfind("Privacy Items:", 0), 0u) << "Clear Now clears without asking";
    EXPECT_FALSE(TreeHas("temp/a.tmp"));

    icon.DoubleClick();
    EXPECT_EQ(w.GetWindowState(), WindowState::Minimized);
    w.Hide();  // as a window started in the tray is
    icon.DoubleClick();
    EXPECT_EQ(w.GetWindowState(), WindowState::Normal);
    EXPECT_TRUE(w.Visible());
}

TEST_F(MenuHolderTest, ReloadAsksFirstViewTodayLogOpensTodaysFileAndHelpAboutWindowsAndExitAreWired) {
    MainWindow& w = OpenStandard();
    MenuHolder& m = w.Menu();
    w.cmdShow.Click();
    host.ClearBoxes();
    host.QueueAnswer(MsgAnswer::Cancel);
    m.menuReloadConfig.Click();
    EXPECT_EQ(LastBox().text + "|" + LastBox().caption, "The configuration will be reloaded, continue?|Reload Config");
    EXPECT_EQ(LastBox().buttons, MsgButtons::OkCancel);
    EXPECT_EQ(w.lvwPItem.Item(1).Icon(), "winshow") << "Cancel changes nothing";
    host.QueueAnswer(MsgAnswer::Ok);
    m.menuReloadConfig.Click();
    EXPECT_EQ(w.lvwPItem.Item(1).Icon() + "|" + w.lvwPItem.Item(1).SubItems(1), "win|");

    host.ClearBoxes();
    m.menuViewTodayLog.Click();
    EXPECT_EQ(LastBox().text, "Today Log File doesn't exist. Check Enable File Logging can turn on the logging.");
    std::string today = JoinPath(JoinPath(Prog(), "logs"), "L20240517.log");
    std::filesystem::create_directories(std::filesystem::path(Prog()) / "logs");
    testing::WriteBytes(today, "x");
    m.menuViewTodayLog.Click();
    EXPECT_EQ(shell.started, (std::vector<std::string>{"notepad.exe " + today}));
    EXPECT_EQ(host.Boxes().size(), 1u);

    std::vector<std::string> opened;
    w.ShowAbout = [&](MainWindow&) { opened.push_back("about"); };
    w.ShowItemsSettings = [&](MainWindow&) { opened.push_back("items"); };
    w.ShowRunOptions = [&](MainWindow&, ShowMode mode) {
        opened.push_back(mode == ShowMode::Modal ? "modal" : "options");
    };
    for (MenuItem* i :
         {&m.menuAbout, &m.menuSTAbout, &m.menuContents, &m.menuFAQ, &m.menuSTRunOptions, &m.menuSTItemSettings})
        i->Click();
    EXPECT_EQ(opened, (std::vector<std::string>{"about", "about", "options", "items"}));
    EXPECT_EQ(shell.opened, (std::vector<std::string>(2, JoinPath(Prog(), "SweepkitHelp.chm"))));
    ASSERT_NE(host.WindowHandle(w), 0u);
    EXPECT_EQ(shell.openedOver, (std::vector<uintptr_t>(2, host.WindowHandle(w)))) << "over the main window";
    m.menuSTExit.Click();
    EXPECT_TRUE(host.Ended());
    EXPECT_FALSE(w.Loaded());
}

TEST_F(MenuHolderTest, UnderAModalWindowTheTrayIconOnlyBringsThatWindowForward) {
    MainWindow& w = OpenStandard();
    TrayIcon& icon = w.Menu().trayIcon;
    host.OnPopupMenu = [&](Form&, MenuItem& menu) { menu.Find("menuSTClearNow")->Click(); };
    Form about(host, "frmAbout");
    for (int i = 0; i < 4; ++i) {
        SCOPED_TRACE(i);
        int fronted = host.ModalFrontings();
        auto clickIcon = [&] { i % 2 ? icon.DoubleClick() : icon.RightClick(); };
        host.OnModal = [&](Form&) { clickIcon(); };
        host.OnMessageBox = [&](const MessageBoxRequest&) { clickIcon(); };
        i < 2 ? about.Show(ShowMode::Modal, &w) : w.cmdClear.Click();  // a form, or the Clear question (No)
        EXPECT_EQ(host.ModalFrontings(), fronted + 1);
        EXPECT_TRUE(host.PopupMenus().empty()) << "no menu opens under a modal window";
        EXPECT_NE(w.GetWindowState(), WindowState::Minimized);
    }
    EXPECT_TRUE(TreeHas("temp/a.tmp")) << "so no Clear Now runs where its Stop cannot be reached";
}

}  // namespace
}  // namespace lumo
