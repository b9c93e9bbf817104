// The walks' failure handling in one place: each step of a walk runs guarded, so a step that fails
// is skipped and the walk goes on with the next.
#pragma once

#include <exception>

namespace lumo {

// Runs one step; a failure skips it. Returns false when the step failed.
template <class Fn>
bool StepGuard(Fn&& step) {
    try {
        step();
        return true;
    } catch (const std::exception&) {
        return false;
    }
}

}  // namespace lumo
