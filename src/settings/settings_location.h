// Where the settings store and the Windows switches live in the registry. The program uses the
// standard places; tests move the whole set below a key of their own.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>

namespace lumo {

struct SettingsLocations {
    // The settings key is prepared as two steps, vendor then product, below `settingsParent`.
    int32_t settingsRoot;
    std::string settingsParent;
    std::string vendor;
    std::string product;
    // The start-up entry and the browser values, both below `userRoot`.
    int32_t userRoot;
    std::string runKey;
    std::string browserKey;

    std::string SettingsKey() const { return settingsParent + "\\" + vendor + "\\" + product; }

    // HKEY_LOCAL_MACHINE\Software\Tallowin\Sweepkit Lumo, and the current user's Run and
    // Internet Explorer Main keys.
    static SettingsLocations Standard();
    // The same layout below `root`\`path`: "HKLM\..." and "HKCU\..." become subkeys of it.
    static SettingsLocations Below(int32_t root, std::string_view path);
};

// The name of the start-up entry under the Run key.
inline constexpr std::string_view kStartupValueName = "Sweepkit Lumo";

}  // namespace lumo
