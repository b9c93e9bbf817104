// The settings store: the thirteen settings as string values of the user's registry key (a value
// missing there is read from the machine's key), read once at start-up, written back to the
// user's key all at once (Run Options) or one at a time (menu toggles). Every step
// that fails is passed over and the next one runs; the failures come back to the caller, who may
// tell the user or ignore them. Nothing here raises.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>

#include "settings/app_settings.h"
#include "settings/menu_check_marks.h"
#include "settings/settings_failure.h"
#include "settings/settings_location.h"

namespace lumo {

class RegistryApi;
class RegKey;

// Which settings ApplySettings takes over from the menu; a menu toggle sets exactly one.
struct SettingsToApply {
    bool runOnStartup = false;
    bool formsAutoComplete = false;
    bool monitorStartPage = false;
    bool schedule = false;
    bool fileLogging = false;
};

class SettingsStore {
public:
    // `programPath` is the full path of the running program, for the start-up entry.
    SettingsStore(RegistryApi& api, std::string programPath, SettingsLocations where = SettingsLocations::Standard());

    // Reads the thirteen settings into `settings`, each from the user's key, else from the machine's.
    // A value missing in both reads as the empty text (the setting's default); a value that
    // cannot be read at all leaves the setting as it was.
    SettingsFailures LoadSystemSettings(AppSettings& settings);
    // The same reads without creating the key first: writes nothing to the registry.
    SettingsFailures ReadSystemSettings(AppSettings& settings);
    // Writes the thirteen settings, then the start-up entry and the form AutoComplete switch.
    SettingsFailures SaveSystemSettings(const AppSettings& settings);
    // For each flag set: takes the setting from the menu's check marks, writes it, and applies its
    // Windows side where it has one. "Schedule Interval" and "Schedule Clock" are never touched.
    SettingsFailures ApplySettings(AppSettings& settings, const MenuCheckMarks& marks, const SettingsToApply& flags);

    const SettingsLocations& Locations() const { return where_; }

private:
    // Creates the vendor and product keys of the user's settings (each step may fail) and points
    // `rk` at that key.
    void PrepareKey(RegKey& rk, SettingsFailures& failures);
    void ReadRows(RegKey& rk, AppSettings& settings, SettingsFailures& failures);

    RegistryApi& api_;
    std::string programPath_;
    SettingsLocations where_;
};

// The read rules, one per kind of setting.
// Boolean: true exactly when the text, lower-cased, is "true".
bool ReadBooleanSetting(std::string_view text);
// "daily" or "interval" (any letter case) as themselves, anything else "none".
std::string ReadScheduleType(std::string_view text);
// The numeric rule: the empty text or a text that is not a number gives `defaultValue`; a number
// whose text with "0" put in front is not a plain unsigned number (a sign, inner blanks) or that
// falls outside [lowest, highest] after rounding (halves to even) leaves `current`.
int64_t ReadNumericSetting(std::string_view text, int64_t current, int64_t defaultValue, int64_t lowest,
                           int64_t highest);

}  // namespace lumo
