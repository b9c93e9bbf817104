// frmMenu, the hidden holder of the program's two menu trees: the main menu (File, Actions,
// Tools, Help), which stays unseen, and the "SysTray" menu, which the notification-area icon
// shows on a right-click. The holder runs the commands behind the items, mirrors the run state
// of the main window, and its check marks are what the settings store applies.
#pragma once

#include <functional>
#include <string>

#include "settings/menu_check_marks.h"
#include "ui/controls/form.h"
#include "ui/controls/tray_icon.h"

namespace lumo {

class MainWindow;

class MenuHolder : public Form, public MenuCheckMarks {
public:
    MenuHolder(UiHost& host, MainWindow& main);
    ~MenuHolder() override;

    MainWindow& Main() const { return main_; }

    // Main menu.
    MenuItem& menuFile;
    MenuItem& menuReloadConfig;
    MenuItem& menuLine1;
    MenuItem& menuExit;
    MenuItem& menuActions;
    MenuItem& menuShow;
    MenuItem& menuClear;
    MenuItem& menuViewTodayLog;
    MenuItem& menuLine2;
    MenuItem& menuFileLogging;
    MenuItem& menuRunOnStartup;
    MenuItem& menuTurnOffAutoComplete;
    MenuItem& menuEnableMonitor;
    MenuItem& menuLine4;
    MenuItem& menuScheduleInterval;
    MenuItem& menuScheduleDaily;
    MenuItem& menuTools;
    MenuItem& menuPreference;
    MenuItem& menuLine5;
    MenuItem& menuAddPlugins;
    MenuItem& menuAddCustom;
    MenuItem& menuHelp;
    MenuItem& menuContents;
    MenuItem& menuFAQ;
    MenuItem& menuLine3;
    MenuItem& menuAbout;

    // Tray menu.
    MenuItem& menuSysTray;
    MenuItem& menuSTShowSweepkit;
    MenuItem& menuLine6;
    MenuItem& menuSTClearNow;
    MenuItem& menuLine7;
    MenuItem& menuSTFileLogging;
    MenuItem& menuSTMonitor;
    MenuItem& menuSTScheduleInterval;
    MenuItem& menuSTScheduleDaily;
    MenuItem& menuLine8;
    MenuItem& menuSTRunOptions;
    MenuItem& menuSTItemSettings;
    MenuItem& menuSTAbout;
    MenuItem& menuLine9;
    MenuItem& menuSTExit;

    // The notification-area icon, shown while the holder is loaded.
    TrayIcon trayIcon;

    // The marks the settings store takes the toggled settings from.
    bool RunOnStartupChecked() const override { return menuRunOnStartup.Checked(); }
    bool TurnOffFormsAutoCompleteChecked() const override { return menuTurnOffAutoComplete.Checked(); }
    bool MonitorStartPageChecked() const override { return menuEnableMonitor.Checked(); }
    bool ScheduleIntervalChecked() const override { return menuScheduleInterval.Checked(); }
    bool ScheduleDailyChecked() const override { return menuScheduleDaily.Checked(); }
    bool EnableFileLoggingChecked() const override { return menuFileLogging.Checked(); }

    // Sets every check mark from the settings as they are held now.
    void SetMarksFromSettings();

    // The run state of the main window, mirrored into the items.
    void RunStarted(bool clearing);
    void RunEnded(bool clearing);

    void menuReloadConfig_Click();
    void menuExit_Click();
    void menuShow_Click();
    void menuClear_Click();
    void menuSTClearNow_Click();
    void menuViewTodayLog_Click();
    void menuFileLogging_Click();
    void menuSTFileLogging_Click();
    void menuEnableMonitor_Click();
    void menuSTMonitor_Click();
    void menuRunOnStartup_Click();
    void menuTurnOffAutoComplete_Click();
    void menuScheduleInterval_Click();
    void menuScheduleDaily_Click();
    void menuSTScheduleInterval_Click();
    void menuSTScheduleDaily_Click();
    void menuPreference_Click();
    void menuAddPlugins_Click();
    void menuAddCustom_Click();
    void menuContents_Click();
    void menuAbout_Click();
    void menuSTShowSweepkit_Click();
    void trayIcon_RightClick();
    void trayIcon_DblClick();

    // The path of today's activity log.
    std::string TodayLogPath() const;

private:
    // False, after the refusal message, while a run is active.
    bool IdleOrRefuse(const std::string& title);
    // Has the settings store take the flagged settings over from the marks.
    void Apply(bool runOnStartup, bool autoComplete, bool monitor, bool scheduleType, bool fileLogging);
    void WireCommands();

    MainWindow& main_;
};

}  // namespace lumo
