// The Clock of non-Windows builds and tests: en-US text forms, and a time that a test can set.
#pragma once

#include <optional>

#include "platform/clock.h"

namespace lumo {

class PortableClock : public Clock {
public:
    PortableClock() = default;
    explicit PortableClock(DateTime fixed) : fixed_(fixed) {}

    // From now on Now() gives `t` (a test's clock); without it, the machine's local time.
    void Set(DateTime t) { fixed_ = t; }

    DateTime Now() override;
    std::string ShortDate(DateTime t) override;
    std::string LongTime(DateTime t) override;
    std::string Number(double value) override;

private:
    std::optional<DateTime> fixed_;
};

}  // namespace lumo
