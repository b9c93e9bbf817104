// Local date and time as the program keeps it: whole seconds on a plain calendar, no time zone.
#pragma once

#include <compare>
#include <cstdint>

namespace lumo {

class DateTime {
public:
    DateTime() = default;
    static DateTime FromParts(int year, int month, int day, int hour = 0, int minute = 0, int second = 0);
    // Seconds since 1970-01-01 00:00:00 on the same calendar.
    static DateTime FromSeconds(int64_t seconds) {
        DateTime t;
        t.seconds_ = seconds;
        return t;
    }

    int64_t Seconds() const { return seconds_; }
    int Year() const;
    int Month() const;
    int Day() const;
    int Hour() const { return static_cast<int>(SecondsOfDay() / 3600); }
    int Minute() const { return static_cast<int>(SecondsOfDay() / 60 % 60); }
    int Second() const { return static_cast<int>(SecondsOfDay() % 60); }

    DateTime Date() const { return FromSeconds(seconds_ - SecondsOfDay()); }
    DateTime AddDays(int64_t days) const { return FromSeconds(seconds_ + days * 86400); }
    DateTime AddMinutes(int64_t minutes) const { return FromSeconds(seconds_ + minutes * 60); }
    DateTime AddSeconds(int64_t seconds) const { return FromSeconds(seconds_ + seconds); }
    // Whole minutes since the epoch, the time cut down to its minute.
    int64_t WholeMinutes() const { return FloorDiv(seconds_, 60); }

    auto operator<=>(const DateTime&) const = default;

private:
    static int64_t FloorDiv(int64_t a, int64_t b) { return a / b - ((a % b != 0) && ((a < 0) != (b < 0))); }
    int64_t SecondsOfDay() const { return seconds_ - FloorDiv(seconds_, 86400) * 86400; }
    void Civil(int& y, int& m, int& d) const;

    int64_t seconds_ = 0;
};

}  // namespace lumo
