// frmMenu: the two menu trees, their commands, the run-state mirror and the tray icon.
#include "ui/menu_holder.h"

#include "log/privacy_log.h"
#include "platform/clock.h"
#include "platform/file_system.h"
#include "platform/shell.h"
#include "settings/application.h"
#include "settings/settings_store.h"
#include "ui/main_window.h"
#include "ui/ui_host.h"

namespace lumo {

namespace {

const char kCaption[] = "Sweepkit Lumo";

}  // namespace

MenuHolder::MenuHolder(UiHost& host, MainWindow& main)
    : Form(host, "frmMenu"),
      menuFile(AddMenu("menuFile", "&File")),
      menuReloadConfig(menuFile.Add("menuReloadConfig", "&Reload Config")),
      menuLine1(menuFile.Add("menuLine1", "-")),
      menuExit(menuFile.Add("menuExit", "E&xit")),
      menuActions(AddMenu("menuActions", "&Actions")),
      menuShow(menuActions.Add("menuShow", "&Show")),
      menuClear(menuActions.Add("menuClear", "&Clear")),
      menuViewTodayLog(menuActions.Add("menuViewTodayLog", "View Today Log")),
      menuLine2(menuActions.Add("menuLine2", "-")),
      menuFileLogging(menuActions.Add("menuFileLogging", "&Enable File Logging")),
      menuRunOnStartup(menuActions.Add("menuRunOnStartup", "&Run at windows startup")),
      menuTurnOffAutoComplete(menuActions.Add("menuTurnOffAutoComplete", "Turn off Forms A&utoComplete")),
      menuEnableMonitor(menuActions.Add("menuEnableMonitor", "Enable &Monitor")),
      menuLine4(menuActions.Add("menuLine4", "-")),
      menuScheduleInterval(menuActions.Add("menuScheduleInterval", "Schedule in &Interval Mode")),
      menuScheduleDaily(menuActions.Add("menuScheduleDaily", "Schedule in &Daily Mode")),
      menuTools(AddMenu("menuTools", "&Tools")),
      menuPreference(menuTools.Add("menuPreference", "&Preferences...")),
      menuLine5(menuTools.Add("menuLine5", "-")),
      menuAddPlugins(menuTools.Add("menuAddPlugins", "Add P&lugins...")),
      menuAddCustom(menuTools.Add("menuAddCustom", "Add &Custom...")),
      menuHelp(AddMenu("menuHelp", "&Help")),
      menuContents(menuHelp.Add("menuContents", "&Contents...")),
      menuFAQ(menuHelp.Add("menuFAQ", "&FAQ")),
      menuLine3(menuHelp.Add("menuLine3", "-")),
      menuAbout(menuHelp.Add("menuAbout", "&About...")),
      menuSysTray(AddMenu("menuSysTray", "SysTray")),
      menuSTShowSweepkit(menuSysTray.Add("menuSTShowSweepkit", "Show/Hide Sweepkit")),
      menuLine6(menuSysTray.Add("menuLine6", "-")),
      menuSTClearNow(menuSysTray.Add("menuSTClearNow", "Clear Now")),
      menuLine7(menuSysTray.Add("menuLine7", "-")),
      menuSTFileLogging(menuSysTray.Add("menuSTFileLogging", "Enable File Logging")),
      menuSTMonitor(menuSysTray.Add("menuSTMonitor", "Enable Monitor")),
      menuSTScheduleInterval(menuSysTray.Add("menuSTScheduleInterval", "Schedule in Interval Mode")),
      menuSTScheduleDaily(menuSysTray.Add("menuSTScheduleDaily", "Schedule in Daily Mode")),
      menuLine8(menuSysTray.Add("menuLine8", "-")),
      menuSTRunOptions(menuSysTray.Add("menuSTRunOptions", "Run Options...")),
      menuSTItemSettings(menuSysTray.Add("menuSTItemSettings", "Item Settings...")),
      menuSTAbout(menuSysTray.Add("menuSTAbout", "About")),
      menuLine9(menuSysTray.Add("menuLine9", "-")),
      menuSTExit(menuSysTray.Add("menuSTExit", "Exit")),
      main_(main) {
    SetCaption("menu");
    trayIcon.ToolTip = kCaption;
    trayIcon.OnRightClick = [this] { Fire([this] { trayIcon_RightClick(); }, "trayIcon_RightClick"); };
    trayIcon.OnDoubleClick = [this] { Fire([this] { trayIcon_DblClick(); }, "trayIcon_DblClick"); };
    WireCommands();
    // The tray menu shows its marks, and ApplySettings reads them: they start as the truth.
    SetMarksFromSettings();

    OnLoad = [this] { Host().ShowTrayIcon(trayIcon, *this); };
    OnUnload = [this](bool&) { Host().HideTrayIcon(trayIcon); };
}

MenuHolder::~MenuHolder() = default;

void MenuHolder::WireCommands() {
    menuReloadConfig.OnClick = [this] { menuReloadConfig_Click(); };
    menuExit.OnClick = [this] { menuExit_Click(); };
    menuSTExit.OnClick = [this] { menuExit_Click(); };
    menuShow.OnClick = [this] { menuShow_Click(); };
    menuClear.OnClick = [this] { menuClear_Click(); };
    menuSTClearNow.OnClick = [this] { menuSTClearNow_Click(); };
    menuViewTodayLog.OnClick = [this] { menuViewTodayLog_Click(); };
    menuFileLogging.OnClick = [this] { menuFileLogging_Click(); };
    menuSTFileLogging.OnClick = [this] { menuSTFileLogging_Click(); };
    menuEnableMonitor.OnClick = [this] { menuEnableMonitor_Click(); };
    menuSTMonitor.OnClick = [this] { menuSTMonitor_Click(); };
    menuRunOnStartup.OnClick = [this] { menuRunOnStartup_Click(); };
    menuTurnOffAutoComplete.OnClick = [this] { menuTurnOffAutoComplete_Click(); };
    menuScheduleInterval.OnClick = [this] { menuScheduleInterval_Click(); };
    menuScheduleDaily.OnClick = [this] { menuScheduleDaily_Click(); };
    menuSTScheduleInterval.OnClick = [this] { menuSTScheduleInterval_Click(); };
    menuSTScheduleDaily.OnClick = [this] { menuSTScheduleDaily_Click(); };
    menuPreference.OnClick = [this] { menuPreference_Click(); };
    menuAddPlugins.OnClick = [this] { menuAddPlugins_Click(); };
    menuAddCustom.OnClick = [this] { menuAddCustom_Click(); };
    menuContents.OnClick = [this] { menuContents_Click(); };
    menuFAQ.OnClick = [this] { menuContents_Click(); };
    menuAbout.OnClick = [this] { menuAbout_Click(); };
    menuSTAbout.OnClick = [this] { menuAbout_Click(); };
    menuSTShowSweepkit.OnClick = [this] { menuSTShowSweepkit_Click(); };
    // As the main window's buttons: modeless, owned by the main window.
    menuSTRunOptions.OnClick = [this] { main_.cmdRunOptions_Click(); };
    menuSTItemSettings.OnClick = [this] { main_.cmdItemsSettings_Click(); };
}

// The icon stands outside every window: while a modal window of the program is up it acts as
// the disabled main window would, and only brings that window forward. Otherwise a command
// chosen there would run under the modal window (a second About over the first one, a clear
// run whose Stop cannot be reached).
void MenuHolder::trayIcon_RightClick() {
    if (Host().ModalUp()) {
        Host().BringModalToFront();
        return;
    }
    // The settings may have changed since the marks were set (Run Options, the monitor).
    SetMarksFromSettings();
    PopupMenu(menuSysTray);
}

void MenuHolder::trayIcon_DblClick() {
    if (Host().ModalUp()) {
        Host().BringModalToFront();
        return;
    }
    menuSTShowSweepkit_Click();
}

void MenuHolder::SetMarksFromSettings() {
    const AppSettings& s = main_.App().settings;
    menuFileLogging.SetChecked(s.EnableFileLogging);
    menuSTFileLogging.SetChecked(s.EnableFileLogging);
    menuRunOnStartup.SetChecked(s.RunOnStartupWindows);
    menuTurnOffAutoComplete.SetChecked(s.TurnOffFormsAutoComplete);
    menuEnableMonitor.SetChecked(s.MonitorStartPage);
    menuSTMonitor.SetChecked(s.MonitorStartPage);
    menuScheduleInterval.SetChecked(s.ScheduleType == "interval");
    menuSTScheduleInterval.SetChecked(s.ScheduleType == "interval");
    menuScheduleDaily.SetChecked(s.ScheduleType == "daily");
    menuSTScheduleDaily.SetChecked(s.ScheduleType == "daily");
}

void MenuHolder::RunStarted(bool clearing) {
    if (clearing) {
        menuClear.SetCaption(main_.cmdClear.Caption());
        menuShow.SetEnabled(main_.cmdShow.Enabled());
        menuSTClearNow.SetCaption(main_.cmdClear.Caption());
    } else {
        menuShow.SetCaption(main_.cmdShow.Caption());
        menuClear.SetEnabled(main_.cmdClear.Enabled());
    }
    for (MenuItem* item : {&menuFileLogging, &menuSTFileLogging, &menuSTClearNow, &menuReloadConfig, &menuPreference,
                           &menuAddPlugins, &menuAddCustom})
        item->SetEnabled(false);
}

void MenuHolder::RunEnded(bool clearing) {
    if (clearing) {
        menuClear.SetCaption("Clear");
        menuShow.SetEnabled(true);
        menuSTClearNow.SetCaption("Clear Now");
    } else {
        menuShow.SetCaption("Show");
        menuClear.SetEnabled(true);
    }
    for (MenuItem* item : {&menuFileLogging, &menuSTFileLogging, &menuSTClearNow, &menuReloadConfig, &menuPreference,
                           &menuAddPlugins, &menuAddCustom})
        item->SetEnabled(true);
}

bool MenuHolder::IdleOrRefuse(const std::string& title) {
    if (main_.l_bProcessEnd)
        return true;
    Host().MsgBox("Please stop current processing, then click " + title + " menu item.", MsgButtons::OkOnly,
                  MsgIcon::Exclamation, MsgDefault::Button1, title);
    return false;
}

void MenuHolder::Apply(bool runOnStartup, bool autoComplete, bool monitor, bool scheduleType, bool fileLogging) {
    SettingsStore* store = main_.Store();
    if (!store)
        return;
    // The store passes over the steps that fail and the setting holds for this session; what
    // could not be stored is said, once.
    SettingsFailures failures =
        store->ApplySettings(main_.App().settings, *this,
                             SettingsToApply{runOnStartup, autoComplete, monitor, scheduleType, fileLogging});
    if (!failures.empty())
        Host().MsgBox(
            "The setting is used until Sweepkit Lumo closes, but it could not be stored for the next "
            "start.\r\n\r\n" +
                DescribeFailures(failures) +
                "\r\n\r\nYour account may not have the right to change the program's settings key.",
            MsgButtons::OkOnly, MsgIcon::Exclamation, MsgDefault::Button1, kCaption);
}

void MenuHolder::menuReloadConfig_Click() {
    if (!IdleOrRefuse("Reload Config"))
        return;
    if (Host().MsgBox("The configuration will be reloaded, continue?", MsgButtons::OkCancel, MsgIcon::Question,
                      MsgDefault::Button1, "Reload Config") == MsgAnswer::Ok)
        main_.LoadPItem();
}

void MenuHolder::menuExit_Click() { main_.Unload(UnloadMode::Code); }
void MenuHolder::menuShow_Click() { main_.cmdShow_Click(); }
void MenuHolder::menuClear_Click() { main_.DoClear(false); }
void MenuHolder::menuSTClearNow_Click() { main_.ScheduleClear(); }

std::string MenuHolder::TodayLogPath() const {
    Application& app = main_.App();
    return JoinPath(app.LogsFolder(), PrivacyLog::FileNameFor(app.platform.clock->Now()));
}

void MenuHolder::menuViewTodayLog_Click() {
    Application& app = main_.App();
    std::string path = TodayLogPath();
    if (app.platform.files && app.platform.files->FileExists(path)) {
        if (app.platform.shell)
            app.platform.shell->StartCommand("notepad.exe " + path);
        return;
    }
    Host().MsgBox("Today Log File doesn't exist. Check Enable File Logging can turn on the logging.",
                  MsgButtons::OkOnly, MsgIcon::Exclamation, MsgDefault::Button1, kCaption);
}

void MenuHolder::menuFileLogging_Click() {
    menuFileLogging.SetChecked(!menuFileLogging.Checked());
    menuSTFileLogging.SetChecked(menuFileLogging.Checked());
    Apply(false, false, false, false, true);
}

void MenuHolder::menuSTFileLogging_Click() {
    menuSTFileLogging.SetChecked(!menuSTFileLogging.Checked());
    menuFileLogging.SetChecked(menuSTFileLogging.Checked());
    Apply(false, false, false, false, true);
}

void MenuHolder::menuEnableMonitor_Click() {
    menuEnableMonitor.SetChecked(!menuEnableMonitor.Checked());
    Apply(false, false, true, false, false);
}

void MenuHolder::menuSTMonitor_Click() {
    menuSTMonitor.SetChecked(!menuSTMonitor.Checked());
    menuEnableMonitor.SetChecked(menuSTMonitor.Checked());
    Apply(false, false, true, false, false);
}

void MenuHolder::menuRunOnStartup_Click() {
    menuRunOnStartup.SetChecked(!menuRunOnStartup.Checked());
    Apply(true, false, false, false, false);
}

void MenuHolder::menuTurnOffAutoComplete_Click() {
    menuTurnOffAutoComplete.SetChecked(!menuTurnOffAutoComplete.Checked());
    Apply(false, true, false, false, false);
}

void MenuHolder::menuScheduleInterval_Click() {
    menuScheduleInterval.SetChecked(!menuScheduleInterval.Checked());
    if (menuScheduleInterval.Checked())
        menuScheduleDaily.SetChecked(false);
    Apply(false, false, false, true, false);
}

void MenuHolder::menuScheduleDaily_Click() {
    menuScheduleDaily.SetChecked(!menuScheduleDaily.Checked());
    if (menuScheduleDaily.Checked())
        menuScheduleInterval.SetChecked(false);
    Apply(false, false, false, true, false);
}

void MenuHolder::menuSTScheduleInterval_Click() {
    menuSTScheduleInterval.SetChecked(!menuSTScheduleInterval.Checked());
    menuScheduleInterval.SetChecked(menuSTScheduleInterval.Checked());
    if (menuSTScheduleInterval.Checked())
        menuSTScheduleDaily.SetChecked(false);
    menuScheduleDaily.SetChecked(menuSTScheduleDaily.Checked());
    Apply(false, false, false, true, false);
}

void MenuHolder::menuSTScheduleDaily_Click() {
    menuSTScheduleDaily.SetChecked(!menuSTScheduleDaily.Checked());
    menuScheduleDaily.SetChecked(menuSTScheduleDaily.Checked());
    if (menuSTScheduleDaily.Checked())
        menuSTScheduleInterval.SetChecked(false);
    menuScheduleInterval.SetChecked(menuSTScheduleInterval.Checked());
    Apply(false, false, false, true, false);
}

void MenuHolder::menuPreference_Click() {
    if (!IdleOrRefuse("Preferences"))
        return;
    main_.tmrSchedule.SetEnabled(false);
    if (main_.ShowRunOptions)
        main_.ShowRunOptions(main_, ShowMode::Modal);
    main_.tmrSchedule.SetEnabled(true);
}

void MenuHolder::menuAddPlugins_Click() {
    if (!IdleOrRefuse("Add Plugins"))
        return;
    main_.tmrSchedule.SetEnabled(false);
    main_.tmrSchedule.SetEnabled(true);
}

void MenuHolder::menuAddCustom_Click() {
    if (!IdleOrRefuse("Add Custom"))
        return;
    main_.tmrSchedule.SetEnabled(false);
    main_.tmrSchedule.SetEnabled(true);
}

void MenuHolder::menuContents_Click() {
    // Over the main window, as its Help button: the holder is never on screen.
    if (main_.App().platform.shell)
        main_.App().platform.shell->OpenDocument(main_.HelpFilePath(), Host().WindowHandle(main_));
}

void MenuHolder::menuAbout_Click() {
    if (main_.ShowAbout)
        main_.ShowAbout(main_);
}

void MenuHolder::menuSTShowSweepkit_Click() {
    if (main_.GetWindowState() != WindowState::Minimized) {
        main_.SetWindowState(WindowState::Minimized);
        return;
    }
    main_.SetWindowState(static_cast<WindowState>(main_.LastWindowState));
    main_.Show();
}

}  // namespace lumo
