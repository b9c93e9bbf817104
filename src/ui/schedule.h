// The duties of the main window's timer: the start-page monitor, the clear-run schedule and the
// removal of old daily logs. Time comes from the platform's Clock, so tests set it.
#pragma once

#include <cstdint>
#include <functional>
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

    // One tick: the monitor when it is on, then the schedule, then the old logs.
    void tmrSchedule_Timer();
    void MonitorStartPage();
    void CheckSchedule();
    void DeleteOldLogs();

    // Whether a clear run is due now, by the schedule settings and the last scheduled run.
    static bool RunDue(std::string_view scheduleType, int16_t interval, int16_t clockHour, DateTime last,
                       DateTime now);
    // Whether `fileName` is a daily log ("L" and eight digits, ".log", in any letter case) that
    // is older than the days to keep at `today`.
    static bool OldLogName(std::string_view fileName, DateTime today, int16_t keepLogDays);
    // The five-line question of the monitor.
    static std::string MonitorQuestion(std::string_view approvedPage, std::string_view approvedTitle,
                                       std::string_view currentPage, std::string_view currentTitle);

private:
    Application& app_;
    UiHost& host_;
    std::function<void()> startClearRun_;
    std::function<SettingsStore*()> store_;
    bool tickRunning_ = false;
};

}  // namespace lumo
