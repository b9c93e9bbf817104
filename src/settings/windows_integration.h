// The two settings with a side outside the program: the start-up entry under the user's Run key,
// and the three Internet Explorer values that switch form AutoComplete on or off.
#pragma once

#include <string>
#include <string_view>

#include "settings/settings_failure.h"
#include "settings/settings_location.h"

namespace lumo {

class RegKey;

// The command the Run value holds: the program path, in double quotes when it contains a blank.
// Windows splits an unquoted command at the first blank that ends an existing file name, so
// "C:\Program Files\Sweepkit\Lumo.exe" could start "C:\Program.exe" instead.
std::string StartupCommand(std::string_view programPath);

// Writes the Run value when `run` is true, removes it otherwise (a value or Run key that is
// already missing is no failure).
void ApplyStartupEntry(RegKey& rk, const SettingsLocations& where, bool run, std::string_view programPath,
                       SettingsFailures& failures);

// The browser's values behind the form AutoComplete switch, under the browser key.
inline constexpr std::string_view kFormSuggestValues[] = {"FormSuggest Passwords", "FormSuggest PW Ask",
                                                          "Use FormSuggest"};

// Writes "no" (turn off) or "yes" to each of kFormSuggestValues, each as its own step.
void ApplyFormsAutoComplete(RegKey& rk, const SettingsLocations& where, bool turnOff, SettingsFailures& failures);

}  // namespace lumo
