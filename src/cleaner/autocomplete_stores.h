// The browser's AutoComplete stores as traces: the form stores under Protected Storage, found or
// deleted, and the saved form passwords. Built on RegKey and the registry interface below it.
#pragma once

#include <string>

#include "cleaner/privacy_value.h"
#include "registry/reg_key.h"

namespace lumo {

class SystemInfo;

// Where the browser keeps its AutoComplete stores (all below HKEY_CURRENT_USER on the NT family):
// the Protected Storage root, whose branch per user holds the form stores, and the key of the
// saved form passwords. Tests point both at a branch of their own.
struct AutoCompleteLocations {
    std::string storageRoot = "Software\\Microsoft\\Protected Storage System Provider";
    std::string passwordKey = "Software\\Microsoft\\Internet Explorer\\IntelliForms";
};

// Protected Storage keys refuse listing as they stand, so on the NT family the storage root's
// access list is written onto the keys on the way first; every list changed is put back as it was
// found at the end. `tool` is the key the deletions go through. Results hold one trace per store;
// `log` gets their lines and, for a store that cannot be deleted, the Access Deny line.

// The stores found, nothing deleted; registry errors reach the caller.
PrivacyValuesPtr GetAutoCompleteForms(RegKey& tool, SystemInfo& system, TraceLog* log = nullptr,
                                      const AutoCompleteLocations& where = {});
// The stores deleted; a store that cannot be deleted stays in the result with vsUnknown.
PrivacyValuesPtr ClearAutoCompleteForms(RegKey& tool, SystemInfo& system, TraceLog* log = nullptr,
                                        const AutoCompleteLocations& where = {});
// Whether the saved form passwords' key was deleted (false when it does not exist).
bool ClearAutoCompletePasswords(RegKey& tool, const AutoCompleteLocations& where = {});

}  // namespace lumo
