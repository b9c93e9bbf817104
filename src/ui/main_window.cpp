// frmPrivacyLumo: its controls, loading the configuration into the list, closing, and the
// buttons that open other windows. The runs are in main_window_runs.cpp.
#include "ui/main_window.h"

#include "config/privacy_configs.h"
#include "log/privacy_log.h"
#include "platform/file_system.h"
#include "platform/shell.h"
#include "settings/application.h"
#include "ui/menu_holder.h"
#include "ui/program_icons.h"
#include "ui/schedule.h"
#include "ui/ui_host.h"

namespace lumo {

namespace {

const char kCaption[] = "Sweepkit Lumo";
// How many of winapp2.ini's skipped entries and lines the text log names; lumo lists them all.
constexpr size_t kWinapp2ReportLines = 10;

// The nine list icons: the kind of row, then what the last run did with it.
const char* const kIconKeys[] = {"win",       "winshow", "windelete", "mie",      "mieshow",
                                 "miedelete", "app",     "appshow",   "appdelete"};

namespace table {
using enum ControlKind;

// Kind, name, caption, place, tab order, frame, looks. The buttons stand in a column on the right.
constexpr ControlRow kControls[] = {
    {ListView, "lvwPItem", nullptr, 0, 120, 6135, 4575, 8},
    {ListBox, "lstLog", nullptr, 0, 4800, 6135, 1815, 9},
    {StatusBar, "sbrStatus", nullptr, 0, 6690, 7575, 270},
    {Button, "cmdShow", "Show", 6240, 120, 1185, 495, 0, nullptr, rsBold},
    {Button, "cmdClear", "Clear", 6240, 720, 1185, 495, 1, nullptr, rsBold},
    {Button, "cmdRunOptions", "Run Options", 6240, 1800, 1185, 495, 2},
    {Button, "cmdItemsSettings", "Items Settings", 6240, 2400, 1185, 495, 3},
    {Button, "cmdViewLog", "View Log", 6240, 3000, 1185, 495, 4},
    {Button, "cmdHelp", "Help", 6240, 4680, 1185, 495, 7},
    {Button, "cmdAbout", "About", 6240, 5280, 1185, 495, 6},
    {Button, "cmdExit", "Exit", 6240, 5880, 1185, 495, 5},
    {Timer, "tmrSchedule", nullptr, 0, 0, 0, 0},
    {ImageList, "imlPrivacy", nullptr, 0, 0, 0, 0},
};

}  // namespace table
}  // namespace

MainWindow::MainWindow(UiHost& host, Application& app)
    : Form(host, "frmPrivacyLumo", table::kControls),
      lvwPItem(Named<ListView>("lvwPItem")),
      lstLog(Named<ListBox>("lstLog")),
      sbrStatus(Named<StatusBar>("sbrStatus")),
      cmdShow(Named<Button>("cmdShow")),
      cmdClear(Named<Button>("cmdClear")),
      cmdRunOptions(Named<Button>("cmdRunOptions")),
      cmdItemsSettings(Named<Button>("cmdItemsSettings")),
      cmdViewLog(Named<Button>("cmdViewLog")),
      cmdHelp(Named<Button>("cmdHelp")),
      cmdAbout(Named<Button>("cmdAbout")),
      cmdExit(Named<Button>("cmdExit")),
      tmrSchedule(Named<Timer>("tmrSchedule")),
      imlPrivacy(Named<ImageList>("imlPrivacy")),
      app_(app),
      schedule_(std::make_unique<Schedule>(
          app, host, [this] { DoClear(false); }, [this] { return store_; })) {
    BuildControls();
}

MainWindow::~MainWindow() = default;

std::span<const ControlRow> MainWindow::ControlTable() { return table::kControls; }

void MainWindow::BuildControls() {
    SetCaption(kCaption);
    SetBorder(BorderStyle::Sizable);
    SetIcon(kProgramIcon);
    SetClientSize(7575, 6960);

    for (const char* key : kIconKeys)
        imlPrivacy.Add(key, ListIconResource(key));
    lvwPItem.SetIcons(&imlPrivacy);
    lvwPItem.SetSmallIcons(&imlPrivacy);

    // Stopped until the window is loaded; Form_Load starts it.
    tmrSchedule.SetInterval(kTickMilliseconds);
    tmrSchedule.SetEnabled(false);

    OnLoad = [this] {
        try {
            Form_Load();
        } catch (...) {
            // The start-up code reports it and ends the program.
            loadFailure_ = std::current_exception();
        }
    };
    OnResize = [this] { Form_Resize(); };
    OnQueryUnload = [this](bool& cancel, UnloadMode mode) { Form_QueryUnload(cancel, mode); };

    cmdShow.OnClick = [this] { cmdShow_Click(); };
    cmdClear.OnClick = [this] { cmdClear_Click(); };
    cmdRunOptions.OnClick = [this] { cmdRunOptions_Click(); };
    cmdItemsSettings.OnClick = [this] { cmdItemsSettings_Click(); };
    cmdViewLog.OnClick = [this] { cmdViewLog_Click(); };
    cmdHelp.OnClick = [this] { cmdHelp_Click(); };
    cmdAbout.OnClick = [this] { cmdAbout_Click(); };
    cmdExit.OnClick = [this] { cmdExit_Click(); };
    tmrSchedule.OnTimer = [this] { tmrSchedule_Timer(); };
}

MenuHolder& MainWindow::Menu() {
    if (!menu_) {
        menu_ = std::make_unique<MenuHolder>(Host(), *this);
        menu_->Load();
    }
    return *menu_;
}

PrivacyLog& MainWindow::ActivityLog() {
    if (!activityLog_) {
        activityLog_ = std::make_unique<PrivacyLog>(*app_.platform.files, *app_.platform.clock, app_.LogsFolder());
        app_.SetActivityLog(activityLog_.get());
    }
    return *activityLog_;
}

void MainWindow::Form_Load() {
    l_bProcessEnd = true;
    findMode_ = true;
    traceCounter_ = 0;
    diskTotal_ = 0;

    lvwPItem.ClearColumns();
    lvwPItem.AddColumn("Clear Item", 4000);
    lvwPItem.AddColumn("Status");
    lvwPItem.SetView(ListViewStyle::Report);
    lvwPItem.SetLabelEdit(LabelEditMode::Manual);

    ReloadConfig();

    sbrStatus.SetStyle(StatusBarStyle::Normal);
    sbrStatus.ClearPanels();
    for (int i = 0; i < 3; ++i)
        sbrStatus.AddPanel({}, PanelAutoSize::Contents);
    sbrStatus.AddPanel({}, PanelAutoSize::Spring);

    // The holder brings the notification-area icon; its marks come from the stored settings.
    Menu();
    tmrSchedule.SetEnabled(true);
    Show();
    Form_Resize();
}

void MainWindow::ReloadConfig() {
    app_.ConfigFilePath = app_.UserConfigFile();
    app_.ConfigSet().LoadConfig(app_.ConfigFileToLoad(), PlaceholderContext{&app_.folders, app_.platform.registry});
    app_.LoadWinapp2();
    for (const std::string& line : Winapp2ReportLines(app_.winapp2, kWinapp2ReportLines))
        lstLog.AddItem(line);
    LoadPItem();
}

void MainWindow::LoadPItem() {
    lvwPItem.ClearItems();
    rowByText_.clear();
    if (!app_.HasConfigSet())
        return;
    auto addRow = [this](std::string key, std::string text, const char* icon) {
        // Two records of one name, or two items of one title in a record, would share a key:
        // the later row goes in without one rather than failing the whole list.
        if (lvwPItem.HasItem(key))
            key.clear();
        ListItem& row = lvwPItem.AddItem(std::move(key), text, icon, icon);
        rowByText_.try_emplace(std::move(text), &row);
    };
    for (PrivacyConfig& pc : app_.ConfigSet()) {
        if (!pc.Selected)
            continue;
        if (pc.SoftwareType == stRoot) {
            const char* icon = pc.Software == "Windows" ? "win" : "mie";
            for (PrivacyItem& pi : pc.Items) {
                if (!pi.Selected)
                    continue;
                addRow(std::to_string(pc.SoftwareType) + "-" + pc.Software + "-" + pi.Title,
                       pc.Software + " " + pi.Title, icon);
            }
        } else if (pc.SoftwareType == stPlugins) {
            addRow(std::to_string(pc.SoftwareType) + "-" + pc.Software, pc.Software, "app");
        }
    }
}

void MainWindow::ResetNodeText(Node* nodeParent) {
    if (!nodeParent)
        return;
    const std::string& tag = nodeParent->Tag;
    size_t slash = tag.rfind('\\');
    nodeParent->SetText(slash == std::string::npos ? tag : tag.substr(slash + 1));
    for (Node* child : nodeParent->Children())
        ResetNodeText(child);
}

void MainWindow::Form_Resize() {
    // Form::SetSize leaves a minimised or maximised window alone: the system owns its size then.
    if (GetWindowState() == WindowState::Normal && (Width() != kOuterWidth || Height() != kOuterHeight))
        SetSize(kOuterWidth, kOuterHeight);
}

void MainWindow::Form_QueryUnload(bool& cancel, UnloadMode) {
    if (l_bProcessEnd) {
        if (menu_)
            menu_->Unload();
        Host().EndProgram(0);
        return;
    }
    Host().MsgBox("Please stop current processing, then exit the program.", MsgButtons::OkOnly, MsgIcon::Exclamation,
                  MsgDefault::Button1, kCaption, this);
    cancel = true;
}

void MainWindow::cmdExit_Click() {
    Host().MsgBox("Thanks for using \"Sweepkit Lumo\".", MsgButtons::OkOnly, MsgIcon::None, MsgDefault::Button1,
                  kCaption, this);
    Unload(UnloadMode::Code);
}

std::string MainWindow::HelpFilePath() const { return JoinPath(app_.ProgramFolder, "SweepkitHelp.chm"); }

void MainWindow::cmdHelp_Click() {
    // Whatever the shell answers is its own report, shown over this window.
    if (app_.platform.shell)
        app_.platform.shell->OpenDocument(HelpFilePath(), Host().WindowHandle(*this));
}

void MainWindow::SettingsChanged() {
    if (menu_)
        menu_->SetMarksFromSettings();
}

void MainWindow::cmdAbout_Click() {
    if (ShowAbout)
        ShowAbout(*this);
}

void MainWindow::cmdItemsSettings_Click() {
    if (ShowItemsSettings)
        ShowItemsSettings(*this);
}

void MainWindow::cmdRunOptions_Click() {
    if (ShowRunOptions)
        ShowRunOptions(*this, ShowMode::Modeless);
}

void MainWindow::cmdViewLog_Click() { Menu().menuViewTodayLog_Click(); }

void MainWindow::tmrSchedule_Timer() { schedule_->tmrSchedule_Timer(); }

}  // namespace lumo
