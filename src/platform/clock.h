// Clock: the local date and time, and the system's text forms of dates, times and amounts.
#pragma once

#include <string>

#include "base/date_time.h"

namespace lumo {

class Clock {
public:
    virtual ~Clock() = default;
    // Local date and time, whole seconds.
    virtual DateTime Now() = 0;
    // The system's short date form ("12/25/2006" in en-US).
    virtual std::string ShortDate(DateTime t) = 0;
    // The system's long time form ("3:04:05 PM" in en-US).
    virtual std::string LongTime(DateTime t) = 0;
    // `value` as "##,##0.00": grouped thousands, at least one integer digit, two decimals.
    virtual std::string Number(double value) = 0;

    // Short date, a blank, long time: how the activity log stamps its lines.
    std::string DateTimeText(DateTime t) { return ShortDate(t) + " " + LongTime(t); }
};

}  // namespace lumo
