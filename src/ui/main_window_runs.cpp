// The main window's side of a Show or Clear run: the run button that turns into "Stop", the
// live progress in the list, the status bar and the text log, the totals, the question before
// clearing and the offer to open the activity log.
#include <algorithm>
#include <exception>

#include "cleaner/run_text.h"
#include "config/privacy_configs.h"
#include "log/privacy_log.h"
#include "platform/clock.h"
#include "platform/file_system.h"
#include "platform/shell.h"
#include "settings/application.h"
#include "ui/main_window.h"
#include "ui/menu_holder.h"
#include "ui/ui_host.h"

namespace lumo {

namespace {

const char kCaption[] = "Sweepkit Lumo";

std::string CountText(int32_t lTotalCount) {
    return lTotalCount == -1 ? std::string() : std::to_string(lTotalCount) + " items";
}

}  // namespace

std::string MainWindow::KiloBytes(int64_t bytes) const { return KiloBytesText(*app_.platform.clock, bytes); }

bool MainWindow::FileLogging() const { return app_.settings.EnableFileLogging; }

void MainWindow::StartRunLog() {
    runLogOpen_ = false;
    PrivacyLog& log = ActivityLog();
    try {
        log.StartLogging();
        runLogOpen_ = true;
    } catch (const std::exception&) {
        lstLog.AddItem("Cannot open the log file " +
                       JoinPath(app_.LogsFolder(), PrivacyLog::FileNameFor(app_.platform.clock->Now())) +
                       "; this run is not logged.");
    }
}

void MainWindow::EndRunLog() {
    // The log a run opened is closed at its end even when logging was switched off meanwhile;
    // left open, it would go on taking the traces of later runs that are not to be logged.
    if (runLogOpen_)
        ActivityLog().EndLogging();
    runLogOpen_ = false;
}

void MainWindow::SetRunButtons(bool running, bool clearing) {
    Button& runButton = clearing ? cmdClear : cmdShow;
    Button& otherButton = clearing ? cmdShow : cmdClear;
    runButton.SetCaption(running ? "Stop" : (clearing ? "Clear" : "Show"));
    otherButton.SetEnabled(!running);
    if (running)
        Menu().RunStarted(clearing);
    else
        Menu().RunEnded(clearing);
    tmrSchedule.SetEnabled(!running);
    app_.StopRequested = false;
    l_bProcessEnd = !running;
    runs_.Set(running);
}

void MainWindow::cmdShow_Click() {
    if (cmdShow.Caption() == "Stop") {
        app_.StopRequested = true;
        return;
    }
    SetRunButtons(true, false);
    if (FileLogging())
        StartRunLog();
    try {
        RunPrivacy(true, false, false);
    } catch (...) {
        // The window comes back to idle whatever the run did; the failure goes on to the
        // handler's boundary.
        EndRunLog();
        SetRunButtons(false, false);
        throw;
    }
    EndRunLog();
    SetRunButtons(false, false);
}

void MainWindow::DoClear(bool bAsk) {
    if (cmdClear.Caption() == "Stop") {
        app_.StopRequested = true;
        return;
    }
    if (bAsk && Host().MsgBox("Are you sure to clear all selected privacy items?", MsgButtons::YesNo,
                              MsgIcon::Exclamation, MsgDefault::Button2, kCaption, this) != MsgAnswer::Yes)
        return;
    SetRunButtons(true, true);
    if (FileLogging())
        StartRunLog();
    try {
        RunPrivacy(true, false, true);
    } catch (...) {
        EndRunLog();
        SetRunButtons(false, true);
        throw;
    }
    // Only a log that was opened is offered: without one there is no file to show.
    if (runLogOpen_) {
        EndRunLog();
        std::string logFile = ActivityLog().LogFileName;
        if (bAsk &&
            Host().MsgBox("Log file is " + logFile + ", view it?", MsgButtons::YesNo, MsgIcon::Question,
                          MsgDefault::Button2, kCaption, this) == MsgAnswer::Yes &&
            app_.platform.shell)
            app_.platform.shell->StartCommand("notepad.exe " + logFile);
    }
    SetRunButtons(false, true);
}

void MainWindow::RunPrivacy(bool bRefreshValue, bool bOmitSelected, bool bClearValue) {
    findMode_ = !bClearValue;
    iconSuffix_ = bClearValue ? "delete" : (bRefreshValue ? "show" : "");
    traceCounter_ = 0;
    diskTotal_ = 0;
    // The first trace shows at once.
    nextPass_ = nextProgress_ = std::chrono::steady_clock::time_point::min();

    PrivacyConfigs& set = app_.ConfigSet();
    pcsAppendValue_ =
        set.AppendValue.Subscribe([this](PrivacyItem& pi, const PrivacyValuePtr& pv) { DisplayValue(pi, *pv); });
    pcsParseItemFinish_ = set.ParseItemFinish.Subscribe(
        [this](PrivacyItem& pi, int32_t lTotalCount) { DisplayItemFinish(pi, lTotalCount); });
    pcsParseConfigFinish_ = set.ParseConfigFinish.Subscribe(
        [this](PrivacyConfig& pc, int32_t lTotalCount) { DisplayConfigFinish(pc, lTotalCount); });
    pcsParseFinish_ = set.ParseFinish.Subscribe([](int32_t) {});

    if (bRefreshValue)
        set.EmptyPrivacyValue();
    SeekContext ctx = app_.MakeSeekContext();
    if (!runLogOpen_)
        ctx.log = nullptr;
    PrivacyValuesPtr found = set.GetPrivacyValue(ctx, bRefreshValue, bOmitSelected, bClearValue);

    // An empty list has no first row to select.
    if (lvwPItem.ItemCount() > 0) {
        ListItem& first = lvwPItem.Item(1);
        lvwPItem.SetSelectedItem(&first);
        first.EnsureVisible();
    }

    int32_t count = 0;
    int64_t total = 0;
    if (found) {
        count = found->Count();
        for (const PrivacyValuePtr& pv : *found)
            total += pv->Size;
    }
    sbrStatus.SetPanelText(1, "ALL");
    sbrStatus.SetPanelText(2, std::to_string(count));
    sbrStatus.SetPanelText(3, KiloBytes(total));
    if (bRefreshValue)
        Host().MsgBox(RunSummaryText(*app_.platform.clock, count, total), MsgButtons::OkOnly, MsgIcon::Information,
                      MsgDefault::Button1, kCaption, this);
}

void MainWindow::DisplayValue(PrivacyItem& pi, const PrivacyValue& pv) {
    ++traceCounter_;
    diskTotal_ += pv.Size;
    // At most once a period; the traces between are counted, and the end of the run shows the
    // totals exactly.
    std::chrono::steady_clock::time_point now = progressClock_();
    if (now < nextPass_)
        return;
    nextPass_ = now + kProgressPeriod;
    bool show = now >= nextProgress_;
    if (show)
        ShowProgress(pi, pv);
    // The moments in a run at which the window repaints and a click on "Stop" is taken.
    Host().DoEvents();
    if (show)
        nextProgress_ = now + std::max<std::chrono::steady_clock::duration>(kProgressPeriod, (progressClock_() - now) *
                                                                                                 kProgressCostShare);
}

void MainWindow::ShowProgress(PrivacyItem& pi, const PrivacyValue& pv) {
    sbrStatus.SetPanelText(1, pi.Software + "\\" + pi.Title);
    sbrStatus.SetPanelText(2, std::to_string(traceCounter_));
    sbrStatus.SetPanelText(3, KiloBytes(diskTotal_));
    sbrStatus.SetPanelText(4, pv.Value);
    if (ListItem* row = FindPItem(pi.Software, pi.Title); row && lvwPItem.SelectedItem() != row)
        lvwPItem.SetSelectedItem(row);
}

void MainWindow::DisplayItemFinish(PrivacyItem& pi, int32_t lTotalCount) {
    if (ListItem* row = FindPItem(pi.Software, pi.Title)) {
        SetPItemIcon(row);
        row->SetSubItem(1, CountText(lTotalCount));
    }
    sbrStatus.SetPanelText(4, {});
    lstLog.AddItem(ItemFinishLine(findMode_, pi.Software, pi.Title, lTotalCount));
    if (const PrivacyValuesPtr& found = pi.Values())
        for (const std::string& notice : found->Notices())
            lstLog.AddItem(NoticeLine(notice));
}

void MainWindow::DisplayConfigFinish(PrivacyConfig& pc, int32_t lTotalCount) {
    if (ListItem* row = FindPItem(pc.Software, {}); row && pc.SoftwareType != stRoot) {
        SetPItemIcon(row);
        row->SetSubItem(1, CountText(lTotalCount));
    }
    lstLog.AddItem(ConfigFinishLine(findMode_, pc.Software, lTotalCount));
    lstLog.AddItem({});
}

ListItem* MainWindow::FindPItem(std::string_view sSoftware, std::string_view sItemTitle) {
    std::string text(sSoftware);
    if (!sItemTitle.empty()) {
        text += ' ';
        text += sItemTitle;
    }
    // Rows are made only by LoadPItem, which indexes the first row of each text.
    auto it = rowByText_.find(text);
    return it == rowByText_.end() ? nullptr : it->second;
}

void MainWindow::SetPItemIcon(ListItem* row) {
    if (iconSuffix_.empty() || !row)
        return;
    std::string key = row->Icon().substr(0, 3) + iconSuffix_;
    row->SetIcon(key);
    row->SetSmallIcon(key);
}

}  // namespace lumo
