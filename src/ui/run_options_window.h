// frmRunOptions, "Run Options": the controls that edit the application's settings, the mapping
// between them and the settings, and Apply, which saves the settings, writes the hold settings of
// the Root records back and saves the configuration file.
#pragma once

#include <functional>
#include <memory>
#include <optional>
#include <span>
#include <string>
#include <variant>
#include <vector>

#include "config/privacy_configs.h"
#include "registry/reg_value.h"
#include "settings/app_settings.h"
#include "settings/application.h"
#include "settings/settings_store.h"
#include "ui/controls/button.h"
#include "ui/controls/check_box.h"
#include "ui/controls/form.h"
#include "ui/controls/frame.h"
#include "ui/controls/label.h"
#include "ui/controls/list_box.h"
#include "ui/controls/text_box.h"
#include "ui/run_state.h"

namespace lumo {

class MainWindow;

// A number shown as the entry of a drop-down list: entry i stands for `first` + i.
struct ListEntrySetting {
    int16_t AppSettings::*setting;
    int16_t first;
    bool operator==(const ListEntrySetting&) const = default;
};

// A control of Run Options that shows and stores one setting: a check box a switch, a text box a
// text, a drop-down list a number.
struct SettingBinding {
    const char* control;
    std::variant<bool AppSettings::*, std::string AppSettings::*, ListEntrySetting> setting;
};

class RunOptionsWindow : public Form {
public:
    // The settings are `app`'s; `store` saves them and knows where the browser's values live.
    RunOptionsWindow(UiHost& host, Application& app, SettingsStore& store);
    // The window's controls, as the constructor makes them.
    static std::span<const ControlRow> ControlTable();
    // The controls that show one setting each, by name; ShowSettings and StoreSettings walk them.
    static std::span<const SettingBinding> Bindings();

    Button& geneCmdDefault;
    Button& cmdApply;
    Button& cmdCancel;
    Button& cmdOk;
    Frame& geneFraSettings;
    CheckBox& advaChkEnableFileLogging;
    ComboBox& advaCmbScheduleInterval;
    ComboBox& advaCmbKeepLogDays;
    CheckBox& advaChkScheduleClock;
    CheckBox& advaChkScheduleInterval;
    ComboBox& advaCmbScheduleClock;
    CheckBox& geneChkTurnOffAutoComplete;
    CheckBox& geneChkRunOnStartup;
    Frame& Frame1;
    Button& geneCmdApplyToIE;
    TextBox& geneTxtWindowTitle;
    TextBox& geneTxtHomePage;
    Button& geneCmdUseBlank;
    CheckBox& geneChkIEMonitor;
    Label& Label7;
    Label& Label8;
    Label& Label3;
    Label& Label13;
    Label& Label5;
    Label& Label2;
    Label& Label1;
    // Says, while a run goes on, why OK and Apply are off.
    Label& lblRunGoing;

    // Told after every save of the settings (the tray's check marks follow them).
    std::function<void()> OnSettingsSaved;
    // OK and Apply follow `runs`: off, with the notice, while a run walks the configuration set
    // whose hold settings they write back.
    void FollowRuns(RunState& runs);

    // The private copies of the live set's Root records, made at opening.
    const PrivacyConfigs& Roots() const { return roots_; }

    void Form_Load();
    void cmdApply_Click();
    void cmdOk_Click();
    void cmdCancel_Click();
    void geneCmdDefault_Click();
    void geneCmdUseBlank_Click();
    void geneCmdApplyToIE_Click();

    // The controls as `settings` would show them: the bindings, then the schedule.
    void ShowSettings(const AppSettings& settings);
    // The controls' values stored into `settings`, by the bindings and the schedule rule.
    void StoreSettings(AppSettings& settings) const;

private:
    // A value of the Windows side as it stood: none when it did not exist.
    struct SavedValue {
        std::string what;  // as the user knows it
        int32_t root;
        std::string key;
        std::string name;
        std::optional<RegValue> value;
    };

    // Stores, saves the settings and the configuration file. False when the settings store
    // reported a failed step (the user has been told then); a failed configuration save throws.
    bool Apply();
    // Tells the user, in one box, what could not be changed and what to do about it.
    void Refuse(const std::string& what, const SettingsFailures& failures, const std::string& advice);
    // The start-up entry and the form AutoComplete values as they stand now.
    std::vector<SavedValue> ReadWindowsSide() const;
    // After a save that failed part-way: the settings, in memory and in the registry, and the
    // Windows side as they were when the window opened or last saved everything.
    void PutBack();

    void SetRunGoing(bool running);

    Application& app_;
    SettingsStore& store_;
    PrivacyConfigs roots_;
    AppSettings saved_;
    std::vector<SavedValue> savedWindowsSide_;
    // The steps the last Apply could not do; empty after one that saved everything.
    SettingsFailures failedSteps_;
    Subscription runsChanged_;
};

// Opens the window owned by `owner`. A window still open is brought forward as it is; a closed
// one is made afresh. A modal opening returns when the window has closed.
RunOptionsWindow& ShowRunOptions(std::unique_ptr<RunOptionsWindow>& slot, Form& owner, Application& app,
                                 SettingsStore& store, ShowMode mode = ShowMode::Modeless);
// The same, owned by the main window: OK and Apply wait for its runs, and what it shows of the
// settings follows every save.
RunOptionsWindow& ShowRunOptions(std::unique_ptr<RunOptionsWindow>& slot, MainWindow& owner, SettingsStore& store,
                                 ShowMode mode);

// Makes the main window's "Run Options" button (modeless) and the Preferences command (modal)
// open this window, saving through `store`, which must outlive the main window. Returns where
// the window is kept.
std::shared_ptr<std::unique_ptr<RunOptionsWindow>> ConnectRunOptions(MainWindow& main, SettingsStore& store);

}  // namespace lumo
