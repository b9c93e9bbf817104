// Where the settings store and the Windows switches live in the registry. The program uses the
// standard places; tests move the whole set below a key of their own.
//
// The settings are the user's: a standard user cannot write HKEY_LOCAL_MACHINE, and the program
// asks for no elevation. The same key under HKEY_LOCAL_MACHINE is still read, value by value, for
// what the user's key lacks: defaults an administrator set for everyone, or what an older version
// of the program wrote there, which so becomes the user's starting point.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>

namespace lumo {

struct SettingsLocations {
    // The user's settings key, the only one written; prepared as two steps, vendor then product,
    // below `settingsParent`.
    int32_t settingsRoot;
    std::string settingsParent;
    std::string vendor;
    std::string product;
    // The machine's settings key (vendor and product below `machineParent`): read, never written.
    int32_t machineRoot;
    std::string machineParent;
    // The start-up entry and the browser values, both below `userRoot`.
    int32_t userRoot;
    std::string runKey;
    std::string browserKey;

    std::string SettingsKey() const { return settingsParent + "\\" + vendor + "\\" + product; }
    std::string MachineSettingsKey() const { return machineParent + "\\" + vendor + "\\" + product; }

    // HKEY_CURRENT_USER\Software\Tallowin\Sweepkit Lumo over the same key of
    // HKEY_LOCAL_MACHINE, and the current user's Run and Internet Explorer Main keys.
    static SettingsLocations Standard();
    // The same layout below `root`\`path`: "HKLM\..." and "HKCU\..." become subkeys of it.
    static SettingsLocations Below(int32_t root, std::string_view path);
};

// The name of the start-up entry under the Run key.
inline constexpr std::string_view kStartupValueName = "Sweepkit Lumo";

}  // namespace lumo
