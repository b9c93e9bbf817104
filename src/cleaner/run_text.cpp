// The report texts of a run, shared by the main window and the console front end.
#include "cleaner/run_text.h"

#include "platform/clock.h"

namespace lumo {

std::string ItemFinishLine(bool findMode, std::string_view software, std::string_view title, int32_t count) {
    std::string line = findMode ? "Find " : "Clear ";
    line.append(software).append(" ").append(title).append(": ").append(std::to_string(count)).append(" tracks.");
    return line;
}

std::string ConfigFinishLine(bool findMode, std::string_view software, int32_t count) {
    std::string line = findMode ? "===Find " : "===Clear ";
    line.append(software).append(": ").append(std::to_string(count));
    line.append(" tracks. Click \"View Log\" to see detail.");
    return line;
}

std::string NoticeLine(std::string_view notice) { return "    " + std::string(notice); }

std::string KiloBytesText(Clock& clock, int64_t bytes) {
    return clock.Number(static_cast<double>(bytes) / 1000.0) + " K";
}

std::string RunSummaryText(Clock& clock, int32_t count, int64_t bytes) {
    return "Privacy Items:" + std::to_string(count) + "\tDisk Space:" + KiloBytesText(clock, bytes);
}

}  // namespace lumo
