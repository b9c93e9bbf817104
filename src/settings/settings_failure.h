// The failures the settings store passes over: each step that failed, and why. The store goes on
// with the next step after any of them; the caller may show them or ignore them.
#pragma once

#include <exception>
#include <string>
#include <utility>
#include <vector>

namespace lumo {

struct SettingsFailure {
    std::string step;  // what was being done, e.g. "write \"Schedule Type\""
    std::string description;  // the error's own text
};
using SettingsFailures = std::vector<SettingsFailure>;

// Runs one step; a failure is recorded and swallowed, so the next step runs. This is the one
// place where the settings store ignores errors.
template <class Step>
void RunSettingsStep(SettingsFailures& failures, std::string stepName, Step&& step) {
    try {
        step();
    } catch (const std::exception& e) {
        failures.push_back({std::move(stepName), e.what()});
    }
}

// One line per failure, "step: description", for a message to the user.
std::string DescribeFailures(const SettingsFailures& failures);

}  // namespace lumo
