// Whether a Show or Clear run is walking the configuration set, and the news when that changes.
// The windows that write into the set (Items Settings, Run Options) follow it: a run's set is
// never changed under it, so their OK and Apply wait for its end.
#pragma once

#include "base/event.h"

namespace lumo {

class RunState {
public:
    bool Running() const { return running_; }
    // Raised with the new state when a run starts or ends.
    Event<bool> Changed;

    void Set(bool running) {
        if (running_ == running)
            return;
        running_ = running;
        Changed(running);
    }

private:
    bool running_ = false;
};

// The line a window shows next to its disabled OK and Apply while a run goes on.
inline constexpr const char* kRunGoingNotice = "OK and Apply are off while a Show or Clear run is going.";

}  // namespace lumo
