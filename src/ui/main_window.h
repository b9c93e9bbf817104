// frmPrivacyLumo, the main window: the list of the items selected for cleaning, the Show and
// Clear runs with their live progress, the running text log, the status bar, the buttons that
// open the other windows, and the schedule timer. Written against the control model, so the
// headless tests run the same code the program runs.
#pragma once

#include <chrono>
#include <cstdint>
#include <exception>
#include <functional>
#include <memory>
#include <span>
#include <string>
#include <string_view>
#include <unordered_map>

#include "base/event.h"
#include "ui/controls/button.h"
#include "ui/controls/form.h"
#include "ui/controls/image_list.h"
#include "ui/controls/list_box.h"
#include "ui/controls/list_view.h"
#include "ui/controls/status_bar.h"
#include "ui/controls/timer.h"
#include "ui/controls/tree_view.h"
#include "ui/run_state.h"

namespace lumo {

class Application;
class MenuHolder;
class PrivacyConfig;
class PrivacyItem;
class PrivacyLog;
class Schedule;
class SettingsStore;
struct PrivacyValue;

class MainWindow : public Form {
public:
    // The schedule timer's period: well below the ten minutes of the daily window.
    static constexpr int32_t kTickMilliseconds = 30000;
    // The outer size the window keeps, in twips.
    static constexpr int32_t kOuterWidth = 7695;
    static constexpr int32_t kOuterHeight = 7365;
    // How often, at most, a run lets the message loop run and shows its progress: a few dozen
    // times a second, so that Stop is taken at once and the counters move, while the time goes to
    // the run and not to repainting the status bar once per trace.
    static constexpr std::chrono::milliseconds kProgressPeriod{33};
    // Where showing the progress is slow (each new panel text repaints the status bar at once,
    // and a loaded display server makes that slow), it waits this many times its own last cost,
    // so it never takes more than about a fifth of a run; the message loop keeps its period.
    static constexpr int kProgressCostShare = 5;
    using ProgressClock = std::function<std::chrono::steady_clock::time_point()>;

    MainWindow(UiHost& host, Application& app);
    ~MainWindow() override;
    // The window's controls, as the constructor makes them.
    static std::span<const ControlRow> ControlTable();

    Application& App() const { return app_; }

    ListView& lvwPItem;
    ListBox& lstLog;
    StatusBar& sbrStatus;
    Button& cmdShow;
    Button& cmdClear;
    Button& cmdRunOptions;
    Button& cmdItemsSettings;
    Button& cmdViewLog;
    Button& cmdHelp;
    Button& cmdAbout;
    Button& cmdExit;
    Timer& tmrSchedule;
    ImageList& imlPrivacy;

    // The state the tray command restores the window to; nothing assigns it, so it stays normal.
    int16_t LastWindowState = 0;
    // True while no run is active.
    bool l_bProcessEnd = true;
    // The same news for the windows that must not change the set while a run walks it.
    RunState& Runs() { return runs_; }

    // The windows opened from here that live in their own files; the program wires them at
    // start-up. Unset, their buttons do nothing.
    std::function<void(MainWindow&)> ShowItemsSettings;  // modeless, owned by this window
    std::function<void(MainWindow&, ShowMode)> ShowRunOptions;  // owned by this window
    std::function<void(MainWindow&)> ShowAbout;  // modal, owned by this window

    // The settings store the menu toggles and the start-page monitor write through; null (tests
    // that need none) writes nothing.
    SettingsStore* Store() const { return store_; }
    void SetStore(SettingsStore* store) { store_ = store; }

    // The settings were saved elsewhere (Run Options): what shows them here follows.
    void SettingsChanged();

    // The clock that paces a run's progress; tests set their own.
    void SetProgressClock(ProgressClock clock) { progressClock_ = std::move(clock); }

    // The hidden menu holder, created on first use.
    MenuHolder& Menu();
    bool HasMenu() const { return static_cast<bool>(menu_); }
    // The activity log, created on first use in the application's logs folder (Application::LogsFolder).
    PrivacyLog& ActivityLog();
    // The timer duties.
    Schedule& Duties() { return *schedule_; }

    // What escaped Form_Load (a configuration that could not be loaded); null when it loaded.
    std::exception_ptr LoadFailure() const { return loadFailure_; }

    // --- building the window and its list (main_window.cpp)
    void Form_Load();
    void ReloadConfig();
    void LoadPItem();
    // Gives a node the last backslash-separated part of its tag as text, then its children.
    static void ResetNodeText(Node* nodeParent);
    void Form_Resize();
    void Form_QueryUnload(bool& cancel, UnloadMode mode);
    void cmdExit_Click();
    void cmdHelp_Click();
    void cmdAbout_Click();
    void cmdItemsSettings_Click();
    void cmdRunOptions_Click();
    void cmdViewLog_Click();
    std::string HelpFilePath() const;

    // --- runs (main_window_runs.cpp)
    void cmdShow_Click();
    void cmdClear_Click() { DoClear(true); }
    void DoClear(bool bAsk);
    void ScheduleClear() { DoClear(false); }
    void RunPrivacy(bool bRefreshValue, bool bOmitSelected, bool bClearValue);
    void DisplayValue(PrivacyItem& pi, const PrivacyValue& pv);
    void DisplayItemFinish(PrivacyItem& pi, int32_t lTotalCount);
    void DisplayConfigFinish(PrivacyConfig& pc, int32_t lTotalCount);
    // The row whose text is the record name, a blank and the title (the record name alone for
    // an empty title); null when none.
    ListItem* FindPItem(std::string_view sSoftware, std::string_view sItemTitle);
    void SetPItemIcon(ListItem* row);
    // A byte count as the window shows it: thousands of bytes, "##,##0.00", " K".
    std::string KiloBytes(int64_t bytes) const;

    int32_t TraceCounter() const { return traceCounter_; }
    int64_t DiskTotal() const { return diskTotal_; }
    const std::string& IconSuffix() const { return iconSuffix_; }
    bool FindMode() const { return findMode_; }

    // --- the timer's tick (schedule.cpp does the work)
    void tmrSchedule_Timer();

private:
    void BuildControls();
    // The file logging switch as it stands now.
    bool FileLogging() const;
    // Opens the activity log for a run; when that fails the run goes on without it and the
    // text log says which file could not be opened.
    void StartRunLog();
    void EndRunLog();
    void SetRunButtons(bool running, bool clearing);
    // Panels and the item's row.
    void ShowProgress(PrivacyItem& pi, const PrivacyValue& pv);

    Application& app_;
    SettingsStore* store_ = nullptr;
    std::unique_ptr<MenuHolder> menu_;
    std::unique_ptr<PrivacyLog> activityLog_;
    std::unique_ptr<Schedule> schedule_;
    std::exception_ptr loadFailure_;
    RunState runs_;
    ProgressClock progressClock_ = [] { return std::chrono::steady_clock::now(); };
    // When the run in progress lets the message loop run next, and shows its progress next.
    std::chrono::steady_clock::time_point nextPass_;
    std::chrono::steady_clock::time_point nextProgress_;

    int32_t traceCounter_ = 0;
    int64_t diskTotal_ = 0;
    std::string iconSuffix_;
    bool findMode_ = true;
    // Whether the activity log opened for the run in progress.
    bool runLogOpen_ = false;

    Subscription pcsAppendValue_;
    Subscription pcsParseItemFinish_;
    Subscription pcsParseConfigFinish_;
    Subscription pcsParseFinish_;

    // Row by text, first row of each text: a run looks its row up once per trace.
    std::unordered_map<std::string, ListItem*> rowByText_;
};

}  // namespace lumo
