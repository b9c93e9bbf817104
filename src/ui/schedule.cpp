// The timer duties of the main window: start-page monitor, schedule, old-log removal.
#include "ui/schedule.h"

#include <cctype>
#include <vector>

#include "base/text.h"
#include "log/privacy_log.h"
#include "platform/clock.h"
#include "platform/file_system.h"
#include "registry/reg_key.h"
#include "settings/application.h"
#include "settings/settings_store.h"
#include "ui/failure_text.h"
#include "ui/ui_host.h"

namespace lumo {

namespace {

// The text of a browser value; a missing key or value reads as empty.
std::string BrowserText(RegKey& key, const SettingsLocations& where, std::string_view valueName) {
    std::optional<RegValue> value = key.GetRegValue(valueName, where.userRoot, where.browserKey);
    return value ? value->ValueDataString() : std::string();
}

// Clears the flag when the tick ends, however it ends.
struct TickGuard {
    bool& busy;
    explicit TickGuard(bool& b) : busy(b) { busy = true; }
    ~TickGuard() { busy = false; }
};

}  // namespace

Schedule::Schedule(Application& app, UiHost& host, std::function<void()> startClearRun,
                   std::function<SettingsStore*()> store)
    : app_(app), host_(host), startClearRun_(std::move(startClearRun)), store_(std::move(store)) {}

void Schedule::tmrSchedule_Timer() {
    // The monitor's question is a modal box whose message loop goes on delivering ticks; without
    // this a second question would open over the first every period until one is answered.
    if (tickRunning_)
        return;
    TickGuard guard(tickRunning_);
    if (app_.settings.MonitorStartPage)
        RunDuty(monitorFailure_, [this] { MonitorStartPage(); });
    RunDuty(scheduleFailure_, [this] { CheckSchedule(); });
    RunDuty(logsFailure_, [this] { DeleteOldLogs(); });
}

void Schedule::RunDuty(std::optional<std::string>& lastShown, const std::function<void()>& duty) {
    try {
        duty();
        lastShown.reset();
    } catch (...) {
        // A failure that stays (a key the user may not change) would otherwise come back every tick.
        std::exception_ptr error = std::current_exception();
        std::string text = FailureText(error);
        if (lastShown != text) {
            lastShown = text;
            host_.ShowFailure(error);
        }
    }
}

bool Schedule::SameAsApproved(std::string_view approvedPage, std::string_view approvedTitle,
                              std::string_view currentPage, std::string_view currentTitle) {
    if (currentPage != approvedPage)
        return false;
    return currentTitle == approvedTitle || (TrimSpaces(approvedTitle).empty() && TrimSpaces(currentTitle).empty());
}

std::string Schedule::MonitorQuestion(std::string_view approvedPage, std::string_view approvedTitle,
                                      std::string_view currentPage, std::string_view currentTitle) {
    const std::string q = "\"";
    std::string text = "Internet Explorer Start Page and Window Title have been changed!\r\n";
    text += "Original Values: Start Page is " + q + std::string(approvedPage) + q + ", Window Title is " + q +
            std::string(approvedTitle) + q + "\r\n";
    text += "Current Values: Start Page is " + q + std::string(currentPage) + q + ", Window Title is " + q +
            std::string(currentTitle) + q + "\r\n";
    text += "\r\n";
    text += q + "Yes" + q + " to recover to the original values, " + q + "No" + q + " to update to the current values.";
    return text;
}

void Schedule::MonitorStartPage() {
    if (!app_.platform.registry)
        return;
    SettingsStore* store = store_ ? store_() : nullptr;
    const SettingsLocations where = store ? store->Locations() : SettingsLocations::Standard();
    RegKey key(*app_.platform.registry);
    std::string currentPage = BrowserText(key, where, "Start Page");
    std::string currentTitle = BrowserText(key, where, "Window Title");
    AppSettings& s = app_.settings;
    if (SameAsApproved(s.StartPage, s.WindowTitle, currentPage, currentTitle)) {
        // Put right: a later change to the same values is a new change and asked about.
        answered_.reset();
        return;
    }
    // The user has answered for exactly these values already: whatever came of it, the same
    // question is not asked again.
    Answered now{s.StartPage, s.WindowTitle, currentPage, currentTitle};
    if (answered_ == now)
        return;
    answered_ = now;

    MsgAnswer answer = host_.MsgBox(MonitorQuestion(s.StartPage, s.WindowTitle, currentPage, currentTitle),
                                    MsgButtons::YesNo, MsgIcon::Exclamation, MsgDefault::Button1, "Monitor Message");
    if (answer == MsgAnswer::Yes) {
        try {
            key.SetRegValue("Start Page", rvtString, s.StartPage, where.userRoot, where.browserKey);
            if (TrimSpaces(s.WindowTitle).empty())
                key.DeleteRegValue("Window Title", where.userRoot, where.browserKey);
            else
                key.SetRegValue("Window Title", rvtString, s.WindowTitle, where.userRoot, where.browserKey);
        } catch (...) {
            throw UserFailure("The browser's start page and window title could not be put back.",
                              FailureReason(std::current_exception()),
                              "Your account may not have the right to change the browser's settings. You are not "
                              "asked again about these values; set the start page in the browser itself.");
        }
    } else {
        s.StartPage = currentPage;
        s.WindowTitle = currentTitle;
        try {
            key.SetRegKey(where.vendor, where.settingsRoot, where.settingsParent);
            key.SetRegKey(where.product, where.settingsRoot, where.settingsParent + "\\" + where.vendor);
            RegKey settings(*app_.platform.registry, where.settingsRoot, where.SettingsKey());
            settings.SetRegValue("Start Page", rvtString, s.StartPage);
            settings.SetRegValue("Window Title", rvtString, s.WindowTitle);
        } catch (...) {
            throw UserFailure(
                "The new start page and window title are watched until Sweepkit Lumo closes, but "
                "they could not be stored for the next start.",
                FailureReason(std::current_exception()),
                "Your account may not have the right to change the program's settings key.");
        }
    }
}

bool Schedule::RunDue(std::string_view scheduleType, int16_t interval, int16_t clockHour, DateTime last, DateTime now) {
    if (scheduleType == "interval")
        return interval <= now.WholeMinutes() - last.WholeMinutes();
    if (scheduleType == "daily") {
        DateTime mark = now.Date().AddSeconds(int64_t{clockHour} * 3600);
        return now >= mark && last < mark && now < mark.AddMinutes(10);
    }
    return false;
}

void Schedule::CheckSchedule() {
    const AppSettings& s = app_.settings;
    DateTime now = app_.platform.clock->Now();
    // A clock set back (by hand, or at the end of daylight saving) would leave the elapsed time
    // negative for as long as it was set back: the interval starts afresh from now instead.
    if (s.ScheduleType == "interval" && now.WholeMinutes() < app_.LastScheduledRun.WholeMinutes()) {
        app_.LastScheduledRun = now;
        return;
    }
    if (!RunDue(s.ScheduleType, s.ScheduleInterval, s.ScheduleClock, app_.LastScheduledRun, now))
        return;
    startClearRun_();
    // After the run, that is after its summary was closed.
    app_.LastScheduledRun = app_.platform.clock->Now();
}

bool Schedule::OldLogName(std::string_view fileName, DateTime today, int16_t keepLogDays) {
    std::string name = LowerCase(fileName);
    if (name.size() != 13 || name[0] != 'l' || name.compare(9, 4, ".log") != 0)
        return false;
    for (size_t i = 1; i < 9; ++i)
        if (!std::isdigit(static_cast<unsigned char>(name[i])))
            return false;
    std::string cutOff = LowerCase(PrivacyLog::FileNameFor(today.AddDays(-int64_t{keepLogDays})));
    return name <= cutOff;
}

void Schedule::DeleteOldLogs() {
    FileSystem* files = app_.platform.files;
    if (!files)
        return;
    std::string folder = app_.LogsFolder();
    if (!files->FolderExists(folder))
        return;
    std::vector<FolderEntry> entries;
    if (!files->ListFolder(folder, entries))
        return;
    DateTime today = app_.platform.clock->Now();
    for (const FolderEntry& entry : entries) {
        if (entry.isFolder || !OldLogName(entry.name, today, app_.settings.KeepLogDays))
            continue;
        // A log that cannot be deleted now is tried again at the next tick.
        files->RemoveFile(JoinPath(folder, entry.name));
    }
}

}  // namespace lumo
