// The start-up entry and the form AutoComplete switch, written through RegKey.
#include "settings/windows_integration.h"

#include "registry/reg_key.h"

namespace lumo {

std::string StartupCommand(std::string_view programPath) {
    if (programPath.find_first_of(" \t") == std::string_view::npos)
        return std::string(programPath);
    std::string quoted;
    quoted.reserve(programPath.size() + 2);
    quoted.append(1, '"').append(programPath).append(1, '"');
    return quoted;
}

void ApplyStartupEntry(RegKey& rk, const SettingsLocations& where, bool run, std::string_view programPath,
                       SettingsFailures& failures) {
    if (run) {
        RunSettingsStep(failures, "write the start-up entry", [&] {
            rk.SetRegValue(kStartupValueName, rvtString, StartupCommand(programPath), where.userRoot, where.runKey);
        });
        return;
    }
    RunSettingsStep(failures, "remove the start-up entry", [&] {
        try {
            rk.DeleteRegValue(kStartupValueName, where.userRoot, where.runKey);
        } catch (const RegistryError&) {
            // The deletion also raises when the Run key itself is missing; then there is nothing
            // to remove. Anything still there is a real failure.
            auto left = rk.GetRegValue(kStartupValueName, where.userRoot, where.runKey);
            if (left && left->ValueType != rvtNone)
                throw;
        }
    });
}

void ApplyFormsAutoComplete(RegKey& rk, const SettingsLocations& where, bool turnOff, SettingsFailures& failures) {
    const std::string data = turnOff ? "no" : "yes";
    for (std::string_view name : kFormSuggestValues) {
        RunSettingsStep(failures, "write \"" + std::string(name) + "\"",
                        [&] { rk.SetRegValue(name, rvtString, data, where.userRoot, where.browserKey); });
    }
}

}  // namespace lumo
