// The portable Clock in the en-US forms: M/d/yyyy, h:mm:ss AM/PM, 1,234.50.
#include "platform/portable/portable_clock.h"

#include <cmath>
#include <cstdio>
#include <ctime>

namespace lumo {

DateTime PortableClock::Now() {
    if (fixed_)
        return *fixed_;
    std::time_t now = std::time(nullptr);
    std::tm local{};
#ifdef _WIN32
    localtime_s(&local, &now);
#else
    localtime_r(&now, &local);
#endif
    return DateTime::FromParts(local.tm_year + 1900, local.tm_mon + 1, local.tm_mday, local.tm_hour, local.tm_min,
                               local.tm_sec);
}

std::string PortableClock::ShortDate(DateTime t) {
    char text[32];
    std::snprintf(text, sizeof text, "%d/%d/%04d", t.Month(), t.Day(), t.Year());
    return text;
}

std::string PortableClock::LongTime(DateTime t) {
    int hour12 = t.Hour() % 12 == 0 ? 12 : t.Hour() % 12;
    char text[32];
    std::snprintf(text, sizeof text, "%d:%02d:%02d %s", hour12, t.Minute(), t.Second(), t.Hour() < 12 ? "AM" : "PM");
    return text;
}

std::string PortableClock::Number(double value) {
    double rounded = std::round(std::fabs(value) * 100.0) / 100.0;
    char digits[64];
    std::snprintf(digits, sizeof digits, "%.2f", rounded);
    std::string whole(digits, std::string(digits).find('.'));
    std::string grouped;
    for (size_t i = 0; i < whole.size(); ++i) {
        if (i > 0 && (whole.size() - i) % 3 == 0)
            grouped.push_back(',');
        grouped.push_back(whole[i]);
    }
    bool negative = value < 0 && rounded != 0.0;
    return (negative ? "-" : "") + grouped + (digits + whole.size());
}

}  // namespace lumo
