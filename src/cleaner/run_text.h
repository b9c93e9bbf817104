// The texts a show or clear run reports: the text-log line after each item and after each
// software record, the kilobyte form of a byte total, and the summary. The main window and the
// console front end print the very same texts.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>

namespace lumo {

class Clock;

// "Find <software> <title>: N tracks." in find mode, "Clear ..." otherwise; N as given, -1 included.
std::string ItemFinishLine(bool findMode, std::string_view software, std::string_view title, int32_t count);
// "===Find <software>: N tracks. Click "View Log" to see detail.", or "===Clear ...".
std::string ConfigFinishLine(bool findMode, std::string_view software, int32_t count);
// A notice of an item's seek (a browser to close first, a damaged database), shown below the
// item's line.
std::string NoticeLine(std::string_view notice);
// Bytes divided by 1000 in the "##,##0.00" form of the clock's locale, then " K".
std::string KiloBytesText(Clock& clock, int64_t bytes);
// "Privacy Items:" count, a tab, "Disk Space:" kilobytes.
std::string RunSummaryText(Clock& clock, int32_t count, int64_t bytes);

}  // namespace lumo
