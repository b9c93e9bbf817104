// The duties of the main window's timer: the start-page monitor, the clear-run schedule and the
// removal of old daily logs. Time comes from the platform's Clock, so tests set it.
#pragma once

#include <cstdint>
#include <exception>
#include <functional>
#include <optional>
#include <string>
#include <string_view>

#include "base/date_time.h"

namespace lumo {

class Application;
class SettingsStore;
class UiHost;

class Schedule {
public:
    // `startClearRun` runs a clear run without the question (the main window's DoClear(false));
    // `store` gives the settings store whose places the monitor uses (null: the standard ones).
    Schedule(Application& app, UiHost& host, std::function<void()> startClearRun,
             std::function<SettingsStore*()> store = {});

    // One tick: the monitor when it is on, then the schedule, then the old logs. Each duty runs
    // whatever the one before it did; a duty's failure is shown once, not at every tick.
    void tmrSchedule_Timer();
    void MonitorStartPage();
    void CheckSchedule();
    void DeleteOldLogs();

    // Whether a clear run is due now, by the schedule settings and the last scheduled run.
    // (A clock set back in interval mode is handled by CheckSchedule, which starts the interval
    // afresh.)
    static bool RunDue(std::string_view scheduleType, int16_t interval, int16_t clockHour, DateTime last, DateTime now);
    // Whether `fileName` is a daily log ("L" and eight digits, ".log", in any letter case) that
    // is older than the days to keep at `today`.
    static bool OldLogName(std::string_view fileName, DateTime today, int16_t keepLogDays);
    // The five-line question of the monitor.
    static std::string MonitorQuestion(std::string_view approvedPage, std::string_view approvedTitle,
                                       std::string_view currentPage, std::string_view currentTitle);

    // Whether the browser's values are those the user approved: exact, except that a title of
    // blanks stands for none (the Yes answer deletes the browser's value for it).
    static bool SameAsApproved(std::string_view approvedPage, std::string_view approvedTitle,
                               std::string_view currentPage, std::string_view currentTitle);

private:
    // The four values a monitor question was answered for.
    struct Answered {
        std::string approvedPage, approvedTitle, currentPage, currentTitle;
        bool operator==(const Answered&) const = default;
    };
    // Runs one duty; a failure is shown unless it is the one this duty showed last.
    void RunDuty(std::optional<std::string>& lastShown, const std::function<void()>& duty);

    Application& app_;
    UiHost& host_;
    std::function<void()> startClearRun_;
    std::function<SettingsStore*()> store_;
    bool tickRunning_ = false;
    std::optional<Answered> answered_;
    std::optional<std::string> monitorFailure_, scheduleFailure_, logsFailure_;
};

}  // namespace lumo
