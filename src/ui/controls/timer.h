// A timer: ticks every Interval milliseconds while it is enabled and the interval is not 0.
#pragma once

#include "ui/controls/control.h"

namespace lumo {

class Timer : public Control {
public:
    explicit Timer(ControlSite site) : Control(std::move(site), ControlKind::Timer) {
        SetVisible(false);
        SetTabStop(false);
    }

    int32_t Interval() const { return interval_; }
    void SetInterval(int32_t milliseconds) {
        interval_ = milliseconds < 0 ? 0 : milliseconds;
        Notify(Change::Value);
    }
    // Whether it ticks: enabled and a non-zero interval.
    bool Running() const { return Enabled() && interval_ > 0; }

    std::function<void()> OnTimer;
    // One tick, as the backend's clock (or a test) delivers it; a stopped timer does not tick.
    void Tick() {
        if (Running())
            Fire(OnTimer, "Timer");
    }

private:
    int32_t interval_ = 0;
};

}  // namespace lumo
