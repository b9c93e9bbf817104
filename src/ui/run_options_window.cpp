// The Run Options window: its layout, the mapping between its controls and the settings, and
// the buttons that store, save, reset and apply them.
#include "ui/run_options_window.h"

#include <algorithm>
#include <array>
#include <utility>
#include <variant>

#include "base/text.h"
#include "registry/reg_key.h"
#include "settings/windows_integration.h"
#include "ui/main_window.h"
#include "ui/ui_host.h"

namespace lumo {
namespace {

constexpr const char* kCaption = "Run Options";
// The minutes the interval list offers, entry by entry.
constexpr std::array<int16_t, 6> kIntervals = {15, 30, 60, 120, 240, 480};
constexpr const char* kIntervalTexts[] = {"15 Minutes", "30 Minutes", "1 Hour", "2 Hours", "4 Hours", "8 Hours"};

// Any interval the list does not offer (the default 6 among them) shows as its last entry.
int32_t IntervalEntry(int16_t minutes) {
    for (size_t i = 0; i < kIntervals.size(); ++i)
        if (kIntervals[i] == minutes)
            return static_cast<int32_t>(i);
    return static_cast<int32_t>(kIntervals.size()) - 1;
}

CheckValue CheckedWhen(bool on) { return on ? CheckValue::Checked : CheckValue::Unchecked; }

template <class... F>
struct Overloaded : F... {
    using F::operator()...;
};
// Spelled out for compilers without aggregate deduction (clang before 17).
template <class... F>
Overloaded(F...) -> Overloaded<F...>;

// What a user can do when Windows refuses a change to the registry.
constexpr const char* kRightsAdvice =
    "Windows did not let Sweepkit Lumo change them in the registry: your user account may not have the right "
    "to. Ask your administrator for that right, then try again.";

namespace table {
using enum ControlKind;

// Kind, name, caption, place, tab order, frame, looks. The keyboard goes top to bottom as the
// window reads, the window's buttons last.
constexpr ControlRow kControls[] = {
    {Button, "geneCmdDefault", "Default", 5520, 6720, 975, 375, 16},
    {Button, "cmdApply", "Apply", 3480, 6720, 975, 375, 15},
    {Button, "cmdCancel", "Cancel", 2400, 6720, 975, 375, 14, nullptr, rsCancel},
    {Button, "cmdOk", "OK", 1320, 6720, 975, 375, 13, nullptr, rsDefault},
    {Frame, "geneFraSettings", nullptr, 360, 210, 6105, 6390},
    {CheckBox, "advaChkEnableFileLogging", "Enable file logging", 375, 2145, 1620, 255, 6, "geneFraSettings"},
    {ComboBox, "advaCmbScheduleInterval", nullptr, 2805, 1290, 1455, 315, 3, "geneFraSettings", rsDropdownList},
    {ComboBox, "advaCmbKeepLogDays", nullptr, 3540, 2115, 660, 315, 7, "geneFraSettings", rsDropdownList},
    {CheckBox, "advaChkScheduleClock", "Run clear process every day at", 375, 1710, 2985, 255, 4, "geneFraSettings"},
    {CheckBox, "advaChkScheduleInterval", "Run clear process every", 375, 1320, 2400, 255, 2, "geneFraSettings"},
    {ComboBox, "advaCmbScheduleClock", nullptr, 3390, 1680, 975, 315, 5, "geneFraSettings", rsDropdownList},
    {CheckBox, "geneChkTurnOffAutoComplete", "Turn off Forms Auto Complete switch", 375, 705, 5415, 255, 1,
     "geneFraSettings"},
    {CheckBox, "geneChkRunOnStartup", "Run Sweepkit when windows startup", 375, 150, 5415, 255, 0, "geneFraSettings"},
    {Frame, "Frame1", "Internet Explorer Protection", 285, 3315, 5505, 2910, kCreationOrder, "geneFraSettings"},
    {Button, "geneCmdApplyToIE", "Apply to IE", 3705, 2430, 1500, 375, 12, "Frame1"},
    {TextBox, "geneTxtWindowTitle", nullptr, 330, 2040, 4860, 315, 10, "Frame1"},
    {TextBox, "geneTxtHomePage", nullptr, 330, 1425, 4875, 315, 9, "Frame1"},
    {Button, "geneCmdUseBlank", "Use Blank", 2520, 2430, 1095, 375, 11, "Frame1"},
    {CheckBox, "geneChkIEMonitor", "Monitor any change for Browser's Start Page or Window Title", 330, 900, 4935, 255,
     8, "Frame1"},
    {Label, "Label7", "Start page (Home Page):", 330, 1170, 2415, 240, kCreationOrder, "Frame1"},
    {Label, "Label8", "Window Title:", 330, 1800, 2415, 225, kCreationOrder, "Frame1"},
    {Label, "Label3",
     "Some websites may change your browser's start page and window title for ad, this protection will monitor "
     "the changing and prompt message.",
     330, 270, 4935, 615, kCreationOrder, "Frame1"},
    {Label, "Label13", "day(s)", 4245, 2175, 735, 255, kCreationOrder, "geneFraSettings"},
    {Label, "Label5", "and keep log file(s)", 2010, 2175, 1515, 255, kCreationOrder, "geneFraSettings"},
    {Label, "Label2",
     "Log file record the show/clear detail info. Because the log file is so large, recommend  not keep them for "
     "a long time. Another way, you can copy it to other path.",
     645, 2520, 5160, 735, kCreationOrder, "geneFraSettings"},
    {Label, "Label1", "Turn off AutoComplete for User names and Passwords on forms. ", 630, 975, 5415, 255,
     kCreationOrder, "geneFraSettings"},
    // A line below the buttons for the notice of a run going on.
    {Label, "lblRunGoing", kRunGoingNotice, 360, 7215, 6105, 285, kCreationOrder, nullptr, rsHidden},
};

}  // namespace table

// The controls that show one setting each. The schedule's type and interval are told apart below.
constexpr SettingBinding kBindings[] = {
    {"geneChkRunOnStartup", &AppSettings::RunOnStartupWindows},
    {"geneChkTurnOffAutoComplete", &AppSettings::TurnOffFormsAutoComplete},
    {"geneChkIEMonitor", &AppSettings::MonitorStartPage},
    {"geneTxtHomePage", &AppSettings::StartPage},
    {"geneTxtWindowTitle", &AppSettings::WindowTitle},
    {"advaCmbScheduleClock", ListEntrySetting{&AppSettings::ScheduleClock, 0}},
    {"advaChkEnableFileLogging", &AppSettings::EnableFileLogging},
    {"advaCmbKeepLogDays", ListEntrySetting{&AppSettings::KeepLogDays, 1}},
};

}  // namespace

std::span<const ControlRow> RunOptionsWindow::ControlTable() { return table::kControls; }
std::span<const SettingBinding> RunOptionsWindow::Bindings() { return kBindings; }

RunOptionsWindow::RunOptionsWindow(UiHost& host, Application& app, SettingsStore& store)
    : Form(host, "frmRunOptions", table::kControls),
      geneCmdDefault(Named<Button>("geneCmdDefault")),
      cmdApply(Named<Button>("cmdApply")),
      cmdCancel(Named<Button>("cmdCancel")),
      cmdOk(Named<Button>("cmdOk")),
      geneFraSettings(Named<Frame>("geneFraSettings")),
      advaChkEnableFileLogging(Named<CheckBox>("advaChkEnableFileLogging")),
      advaCmbScheduleInterval(Named<ComboBox>("advaCmbScheduleInterval")),
      advaCmbKeepLogDays(Named<ComboBox>("advaCmbKeepLogDays")),
      advaChkScheduleClock(Named<CheckBox>("advaChkScheduleClock")),
      advaChkScheduleInterval(Named<CheckBox>("advaChkScheduleInterval")),
      advaCmbScheduleClock(Named<ComboBox>("advaCmbScheduleClock")),
      geneChkTurnOffAutoComplete(Named<CheckBox>("geneChkTurnOffAutoComplete")),
      geneChkRunOnStartup(Named<CheckBox>("geneChkRunOnStartup")),
      Frame1(Named<Frame>("Frame1")),
      geneCmdApplyToIE(Named<Button>("geneCmdApplyToIE")),
      geneTxtWindowTitle(Named<TextBox>("geneTxtWindowTitle")),
      geneTxtHomePage(Named<TextBox>("geneTxtHomePage")),
      geneCmdUseBlank(Named<Button>("geneCmdUseBlank")),
      geneChkIEMonitor(Named<CheckBox>("geneChkIEMonitor")),
      Label7(Named<Label>("Label7")),
      Label8(Named<Label>("Label8")),
      Label3(Named<Label>("Label3")),
      Label13(Named<Label>("Label13")),
      Label5(Named<Label>("Label5")),
      Label2(Named<Label>("Label2")),
      Label1(Named<Label>("Label1")),
      lblRunGoing(Named<Label>("lblRunGoing")),
      app_(app),
      store_(store) {
    SetCaption(kCaption);
    SetBorder(BorderStyle::FixedDialog);
    SetMinMaxButtons(false, false);
    SetClientSize(6825, 7620);

    for (const char* text : kIntervalTexts)
        advaCmbScheduleInterval.AddItem(text);
    for (int day = 1; day <= 5; ++day)
        advaCmbKeepLogDays.AddItem(std::to_string(day));
    for (int hour = 0; hour < 24; ++hour)
        advaCmbScheduleClock.AddItem((hour < 10 ? "0" : "") + std::to_string(hour) + ":00");

    OnLoad = [this] { Form_Load(); };
    // Cancel and the close box alike leave things as they were before a save that failed.
    OnUnload = [this](bool&) {
        if (!failedSteps_.empty())
            PutBack();
    };
    cmdApply.OnClick = [this] { cmdApply_Click(); };
    cmdOk.OnClick = [this] { cmdOk_Click(); };
    cmdCancel.OnClick = [this] { cmdCancel_Click(); };
    geneCmdDefault.OnClick = [this] { geneCmdDefault_Click(); };
    geneCmdUseBlank.OnClick = [this] { geneCmdUseBlank_Click(); };
    geneCmdApplyToIE.OnClick = [this] { geneCmdApplyToIE_Click(); };
}

void RunOptionsWindow::ShowSettings(const AppSettings& s) {
    for (const SettingBinding& b : kBindings)
        std::visit(Overloaded{[&](bool AppSettings::*on) { Named<CheckBox>(b.control).SetValue(CheckedWhen(s.*on)); },
                              [&](std::string AppSettings::*text) { Named<TextBox>(b.control).SetText(s.*text); },
                              [&](ListEntrySetting number) {
                                  Named<ComboBox>(b.control).SetListIndex(s.*number.setting - number.first);
                              }},
                   b.setting);
    advaChkScheduleInterval.SetValue(CheckedWhen(s.ScheduleType == "interval"));
    advaChkScheduleClock.SetValue(CheckedWhen(s.ScheduleType == "daily"));
    advaCmbScheduleInterval.SetListIndex(IntervalEntry(s.ScheduleInterval));
}

void RunOptionsWindow::StoreSettings(AppSettings& s) const {
    for (const SettingBinding& b : kBindings)
        std::visit(Overloaded{[&](bool AppSettings::*on) { s.*on = Named<CheckBox>(b.control).Checked(); },
                              [&](std::string AppSettings::*text) { s.*text = Named<TextBox>(b.control).Text(); },
                              [&](ListEntrySetting number) {
                                  s.*number.setting =
                                      static_cast<int16_t>(Named<ComboBox>(b.control).ListIndex() + number.first);
                              }},
                   b.setting);
    // The interval box wins when both are checked; on screen the two are independent.
    if (advaChkScheduleInterval.Checked())
        s.ScheduleType = "interval";
    else if (advaChkScheduleClock.Checked())
        s.ScheduleType = "daily";
    else
        s.ScheduleType = "none";
    // An interval the list does not offer stays as it was until the user picks one.
    int32_t interval = advaCmbScheduleInterval.ListIndex();
    if (interval >= 0)
        s.ScheduleInterval = kIntervals[static_cast<size_t>(interval)];
}

void RunOptionsWindow::Form_Load() {
    saved_ = app_.settings;
    savedWindowsSide_ = ReadWindowsSide();
    ShowSettings(app_.settings);
    roots_.RemoveAll();
    for (const PrivacyConfig& pc : app_.ConfigSet())
        if (pc.SoftwareType == stRoot)
            roots_.Add(pc.Clone());
}

bool RunOptionsWindow::Apply() {
    StoreSettings(app_.settings);
    // The store tries every step; what failed is told once, and the configuration is still saved.
    SettingsFailures failures = store_.SaveSystemSettings(app_.settings);
    if (OnSettingsSaved)
        OnSettingsSaved();
    if (failures.empty()) {
        saved_ = app_.settings;
        savedWindowsSide_ = ReadWindowsSide();
    } else {
        Refuse("Some of your settings could not be saved.", failures,
               std::string(kRightsAdvice) + " Cancel puts back the settings you had before.");
    }
    failedSteps_ = failures;

    PrivacyConfigs& live = app_.ConfigSet();
    int32_t i = 0;
    for (const PrivacyConfig& copy : roots_) {
        ++i;
        int32_t j = 0;
        for (const PrivacyItem& copyItem : copy.Items) {
            ++j;
            if (copyItem.HoldFlag)
                live.item(i).Items.item(j).HoldSettings = copyItem.HoldSettings;
        }
    }
    live.SaveConfig(app_.ConfigFilePath);
    return failures.empty();
}

void RunOptionsWindow::Refuse(const std::string& what, const SettingsFailures& failures, const std::string& advice) {
    // The steps in the program's words; the registry's own texts are for the activity log.
    std::string text = what + "\r\n\r\nNot done:";
    for (const SettingsFailure& f : failures)
        text += "\r\n    " + f.step;
    text += "\r\n\r\n" + advice;
    Host().MsgBox(text, MsgButtons::OkOnly, MsgIcon::Exclamation, MsgDefault::Button1, kCaption, this);
}

std::vector<RunOptionsWindow::SavedValue> RunOptionsWindow::ReadWindowsSide() const {
    const SettingsLocations& where = store_.Locations();
    std::vector<SavedValue> values;
    values.push_back({"the start-up entry", where.userRoot, where.runKey, std::string(kStartupValueName), {}});
    for (std::string_view name : kFormSuggestValues)
        values.push_back({"\"" + std::string(name) + "\"", where.userRoot, where.browserKey, std::string(name), {}});
    RegKey key(*app_.platform.registry);
    for (SavedValue& v : values) {
        std::optional<RegValue> found = key.GetRegValue(v.name, v.root, v.key);
        if (found && found->ValueType != rvtNone)
            v.value = std::move(found);
    }
    return values;
}

void RunOptionsWindow::PutBack() {
    app_.settings = saved_;
    SettingsFailures failures = store_.SaveSystemSettings(saved_);
    // What the failed save could not change was not changed: failing again there is no news.
    std::erase_if(failures, [this](const SettingsFailure& f) {
        return std::any_of(failedSteps_.begin(), failedSteps_.end(),
                           [&](const SettingsFailure& g) { return f.step == g.step; });
    });
    // The save above wrote the Windows side from the settings; what was there before goes back
    // exactly, a value that did not exist included.
    RegKey key(*app_.platform.registry);
    for (const SavedValue& v : savedWindowsSide_) {
        RunSettingsStep(failures, "put back " + v.what, [&] {
            if (v.value)
                key.SetRegValue(v.name, v.value->ValueType, v.value->ValueData, v.root, v.key);
            else if (auto now = key.GetRegValue(v.name, v.root, v.key); now && now->ValueType != rvtNone)
                key.DeleteRegValue(v.name, v.root, v.key);
        });
    }
    failedSteps_.clear();
    if (OnSettingsSaved)
        OnSettingsSaved();
    if (!failures.empty())
        Refuse("The settings you had before could not all be put back.", failures, kRightsAdvice);
}

void RunOptionsWindow::cmdApply_Click() { Apply(); }

void RunOptionsWindow::cmdOk_Click() {
    if (Apply())
        Unload();
}

void RunOptionsWindow::cmdCancel_Click() { Unload(); }

void RunOptionsWindow::FollowRuns(RunState& runs) {
    runsChanged_ = runs.Changed.Subscribe([this](bool running) { SetRunGoing(running); });
    SetRunGoing(runs.Running());
}

void RunOptionsWindow::SetRunGoing(bool running) {
    cmdOk.SetEnabled(!running);
    cmdApply.SetEnabled(!running);
    lblRunGoing.SetVisible(running);
}

void RunOptionsWindow::geneCmdDefault_Click() { ShowSettings(AppSettings{}); }

void RunOptionsWindow::geneCmdUseBlank_Click() { geneTxtHomePage.SetText("about:blank"); }

void RunOptionsWindow::geneCmdApplyToIE_Click() {
    const SettingsLocations& where = store_.Locations();
    std::string startPage = geneTxtHomePage.Text();
    std::string windowTitle = geneTxtWindowTitle.Text();
    RegKey key(*app_.platform.registry);
    SettingsFailures failures;
    RunSettingsStep(failures, "write the browser's \"Start Page\"",
                    [&] { key.SetRegValue("Start Page", rvtString, startPage, where.userRoot, where.browserKey); });
    // The monitor takes a title of blanks for none, so the browser gets none.
    if (TrimSpaces(windowTitle).empty())
        RunSettingsStep(failures, "delete the browser's \"Window Title\"",
                        [&] { key.DeleteRegValue("Window Title", where.userRoot, where.browserKey); });
    else
        RunSettingsStep(failures, "write the browser's \"Window Title\"", [&] {
            key.SetRegValue("Window Title", rvtString, windowTitle, where.userRoot, where.browserKey);
        });
    if (!failures.empty()) {
        // The approved values stay as they were, or the monitor would take them for the browser's.
        Refuse("The browser's start page and window title could not be set.", failures, kRightsAdvice);
        return;
    }

    // What the user approves from now on, in memory and in the settings key, as the monitor's
    // "No" answer records it: the browser's values as they now are, so a deleted title is none.
    if (TrimSpaces(windowTitle).empty()) {
        windowTitle.clear();
        geneTxtWindowTitle.SetText(windowTitle);
    }
    app_.settings.StartPage = startPage;
    app_.settings.WindowTitle = windowTitle;
    // Approved here and now, whatever later happens to the other settings of the window.
    saved_.StartPage = startPage;
    saved_.WindowTitle = windowTitle;
    RunSettingsStep(failures, "create the settings key", [&] {
        key.SetRegKey(where.vendor, where.settingsRoot, where.settingsParent);
        key.SetRegKey(where.product, where.settingsRoot, where.settingsParent + "\\" + where.vendor);
    });
    for (const auto& [name, text] : {std::pair<const char*, const std::string&>{"Start Page", startPage},
                                     std::pair<const char*, const std::string&>{"Window Title", windowTitle}})
        RunSettingsStep(failures, std::string("write \"") + name + "\"", [&, name = name, &text = text] {
            key.SetRegValue(name, rvtString, text, where.settingsRoot, where.SettingsKey());
        });
    if (!failures.empty())
        Refuse("The approved start page and window title could not be saved.", failures, kRightsAdvice);
}

RunOptionsWindow& ShowRunOptions(std::unique_ptr<RunOptionsWindow>& slot, Form& owner, Application& app,
                                 SettingsStore& store, ShowMode mode) {
    if (slot && slot->Loaded()) {
        // Only a modeless window can be open while its owner takes clicks; it cannot turn modal.
        slot->Show(ShowMode::Modeless, &owner);
        return *slot;
    }
    slot = std::make_unique<RunOptionsWindow>(owner.Host(), app, store);
    slot->Show(mode, &owner);
    return *slot;
}

RunOptionsWindow& ShowRunOptions(std::unique_ptr<RunOptionsWindow>& slot, MainWindow& owner, SettingsStore& store,
                                 ShowMode mode) {
    if (slot && slot->Loaded())
        return ShowRunOptions(slot, static_cast<Form&>(owner), owner.App(), store, mode);
    slot = std::make_unique<RunOptionsWindow>(owner.Host(), owner.App(), store);
    slot->FollowRuns(owner.Runs());
    slot->OnSettingsSaved = [&owner] { owner.SettingsChanged(); };
    slot->Show(mode, &owner);
    return *slot;
}

std::shared_ptr<std::unique_ptr<RunOptionsWindow>> ConnectRunOptions(MainWindow& main, SettingsStore& store) {
    auto slot = std::make_shared<std::unique_ptr<RunOptionsWindow>>();
    main.ShowRunOptions = [slot, &store](MainWindow& m, ShowMode mode) { ShowRunOptions(*slot, m, store, mode); };
    return slot;
}

}  // namespace lumo
