// The Clock of the Windows program: local time and the user's locale forms from kernel32.
#pragma once

#include "platform/clock.h"

namespace lumo {

class Win32Clock : public Clock {
public:
    DateTime Now() override;
    std::string ShortDate(DateTime t) override;
    std::string LongTime(DateTime t) override;
    std::string Number(double value) override;
};

}  // namespace lumo
