// The menu holder headless: the twin toggles, what each one applies and stores, the busy
// refusals, the schedule timer around the commands, and the tray icon.
#include <gtest/gtest.h>

#include "base/text.h"
#include "main_window_fixture.h"
#include "settings/settings_store.h"

namespace lumo {
namespace {

using namespace lumo::testing;
using MenuHolderTest = MainWindowTest;

// The marks as '0'/'1', first set from `set` when given: logging, start-up, AutoComplete, monitor,
// interval, daily (tray twins after their main items).
std::string Marks(MenuHolder& m, const char* set = nullptr) {
    std::string s;
    for (MenuItem* item : {&m.menuFileLogging, &m.menuSTFileLogging, &m.menuRunOnStartup, &m.menuTurnOffAutoComplete,
                           &m.menuEnableMonitor, &m.menuSTMonitor, &m.menuScheduleInterval, &m.menuSTScheduleInterval,
                           &m.menuScheduleDaily, &m.menuSTScheduleDaily}) {
        if (set)
            item->SetChecked(set[s.size()] == '1');
        s += item->Checked() ? '1' : '0';
    }
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
    SettingsStore store(registry, "C:\\Lumo\\SweepkitLumo.exe");
    w.SetStore(&store);
    struct Case {
        const char *click, *before, *after;
        const char* applied;  // from default settings: the marks of the other toggles must not leak in
    };
    for (const Case& c : {
             Case{"menuSTScheduleDaily", "1111111100", "1111110011", "daily"},
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
         }) {
        SCOPED_TRACE(std::string(c.click) + " from " + c.before);
        app->settings = AppSettings{};
        store.SaveSystemSettings(app->settings);
        Marks(m, c.before);
        m.FindMenu(c.click)->Click();
        EXPECT_EQ(Marks(m), c.after);
        AppSettings stored;
        store.LoadSystemSettings(stored);
        EXPECT_EQ(Applied(app->settings) + "|" + Applied(stored), std::string(c.applied) + "|" + c.applied);
    }
    EXPECT_TRUE(host.Boxes().empty()) << host.Boxes()[0].text;
    // A write the registry refuses is said once; the setting holds for the session.
    registry.FailNext(MemoryRegistry::Op::SetValue, 5);
    m.menuSTMonitor.SetChecked(false);
    m.menuSTMonitor.Click();
    EXPECT_TRUE(app->settings.MonitorStartPage);
    ASSERT_EQ(host.Boxes().size(), 1u);
    EXPECT_TRUE(
        StartsWith(LastBox().text, "The setting is used until Sweepkit Lumo closes, but it could not be stored"));
}

// What the timer did while a command ran, as a peer sees it.
struct TimerLog : ControlPeer {
    TimerLog(Timer& t, std::string& out) : timer(t), log(out) {}
    void Update(Change, int32_t) override { log += timer.Running() ? "on " : "off "; }
    Timer& timer;
    std::string& log;
};

// During a run the busy commands are refused and leave the timer off; idle, each stops the
// schedule timer while it runs and starts it again (which restarts its period).
TEST_F(MenuHolderTest, BusyCommandsAreRefusedDuringARunAndTheOthersStopTheTimerWhileTheyRun) {
    MainWindow& w = OpenStandard();
    MenuHolder& m = w.Menu();
    std::string log;
    w.ShowRunOptions = [&](MainWindow&, ShowMode mode) { log += mode == ShowMode::Modal ? "modal " : "modeless "; };
    w.tmrSchedule.AttachPeer(std::make_unique<TimerLog>(w.tmrSchedule, log));
    const std::pair<const char*, MenuItem*> busy[] = {{"Reload Config", &m.menuReloadConfig},
                                                      {"Preferences", &m.menuPreference},
                                                      {"Add Plugins", &m.menuAddPlugins},
                                                      {"Add Custom", &m.menuAddCustom}};
    host.OnDoEvents = [&](int pass) {
        for (const auto& b : busy)
            if (pass == 1)
                b.second->OnClick();  // the commands themselves: their items are disabled meanwhile
        log += w.tmrSchedule.Running() ? "restarted " : "";
    };
    w.cmdShow.Click();
    EXPECT_EQ(log, "off on ") << "only the run's own";
    ASSERT_EQ(host.Boxes().size(), 5u);
    for (size_t i = 0; i < 4; ++i) {
        const auto& box = host.Boxes()[i];
        EXPECT_EQ(box.text + "|" + box.caption, std::string("Please stop current processing, then click ") +
                                                    busy[i].first + " menu item.|" + busy[i].first);
        EXPECT_EQ(box.icon, MsgIcon::Exclamation);
    }
    for (int i = 1; i < 4; ++i) {
        log.clear();
        busy[i].second->Click();
        EXPECT_EQ(log, i == 1 ? "off modal on " : "off on ") << busy[i].first;
    }
    w.tmrSchedule.DetachPeer();
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
    EXPECT_EQ(host.PopupMenus(), Lines{"menuSysTray"});
    EXPECT_EQ(marks, "1100000011");
    EXPECT_TRUE(StartsWith(LastBox().text, "Privacy Items:")) << "Clear Now clears without asking";
    EXPECT_FALSE(TreeHas("temp/a.tmp"));
    icon.DoubleClick();
    EXPECT_EQ(w.GetWindowState(), WindowState::Minimized);
    w.Hide();  // as a window started in the tray is
    icon.DoubleClick();
    EXPECT_TRUE(w.GetWindowState() == WindowState::Normal && w.Visible());
}

}  // namespace
}  // namespace lumo
