// The application settings as the program holds them while it runs, with their defaults.
#pragma once

#include <cstdint>
#include <string>

namespace lumo {

struct AppSettings {
    bool RunOnStartupWindows = false;  // "Run On Startup Windows"
    bool TurnOffFormsAutoComplete = false;  // "Turn Off Forms AutoComplete"
    bool MonitorStartPage = false;  // "Monitor Start Page"
    std::string StartPage;  // "Start Page"
    std::string WindowTitle;  // "Window Title"
    std::string ScheduleType = "none";  // "Schedule Type": "none", "interval" or "daily"
    int16_t ScheduleInterval = 6;  // "Schedule Interval", minutes
    int16_t ScheduleClock = 12;  // "Schedule Clock", hour of day
    int16_t SecurityFillTimes = 1;  // "Security Fill Times", overwrite passes
    bool EnableFileLogging = false;  // "Enable File Logging"
    int16_t KeepLogDays = 1;  // "Keep Log Days"
    int32_t DisplayMaxRows = 1000;  // "Display Max Rows"
    int16_t RemovalWorkers = 0;  // "Removal Workers": threads deleting files, 0 as suits the computer, 1 none
};

}  // namespace lumo
