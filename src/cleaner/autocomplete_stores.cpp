// The browser's AutoComplete stores: listing and clearing the form stores under Protected
// Storage, and deleting the saved form passwords.
//
// On the NT family the Protected Storage keys refuse listing and deletion as they stand. The
// storage root's own access list (list A) is written onto the user branch, the data key, the type
// key and the forms container, which lets the stores be listed and deleted. Every list changed
// is read first and put back at the end, innermost key first, so a scan or a clear run leaves
// Protected Storage as secure as it found it.
#include "cleaner/autocomplete_stores.h"

#include <exception>
#include <string>
#include <vector>

#include "base/registry_error.h"
#include "platform/registry_api.h"
#include "platform/system_info.h"
#include "registry/reg_key.h"
#include "registry/registry_access.h"
#include "registry/user_identity.h"

namespace lumo {

namespace {

constexpr int32_t kLocalMachine = static_cast<int32_t>(0x80000002u);
constexpr int32_t kCurrentUser = static_cast<int32_t>(0x80000001u);
constexpr std::string_view kFormsType = "e161255a-37c3-11d2-bcaa-00c04fd929db";
constexpr std::string_view kAccessDenyLine = "A autocomplete regkey can't be deleted(Access Deny).";

using Descriptor = std::vector<uint8_t>;

// A key's access list as opaque bytes; empty when it cannot be read.
Descriptor ReadAccessList(RegistryApi& api, int32_t root, const std::string& path) {
    registry_access::KeyHandle key(api);
    Descriptor block;
    if (api.OpenKey(RootHandle(root), path, rightReadControl, key.Out()) != regOk)
        return block;
    block.resize(1);
    uint32_t size = 1;
    int32_t rc = api.GetKeySecurity(key.get(), daclSecurityInformation, block.data(), size);
    if (rc == regInsufficientBuffer && size > 1) {
        block.resize(size);
        rc = api.GetKeySecurity(key.get(), daclSecurityInformation, block.data(), size);
    }
    if (rc != regOk)
        return {};
    block.resize(size);
    return block;
}

// Writes an access list onto a key. The code is not checked by the callers: a list that did not
// take leaves the following listing or deletion to find nothing or fail.
void WriteAccessList(RegistryApi& api, int32_t root, const std::string& path, const Descriptor& block) {
    if (block.empty())
        return;
    registry_access::KeyHandle key(api);
    if (api.OpenKey(RootHandle(root), path, rightWriteDac, key.Out()) == regOk)
        api.SetKeySecurity(key.get(), daclSecurityInformation, block);
}

// The keys of one user's Protected Storage branch on the way to the form stores.
struct StorageKeys {
    std::string userBranch, dataKey, typeKey, container;

    StorageKeys(const AutoCompleteLocations& where, const std::string& identity) {
        userBranch = where.storageRoot + "\\" + identity;
        dataKey = userBranch + "\\Data";
        typeKey = dataKey + "\\" + std::string(kFormsType);
        container = typeKey + "\\" + std::string(kFormsType);
    }
    std::vector<const std::string*> Chain() const { return {&userBranch, &dataKey, &typeKey, &container}; }
};

// The NT-family unlocking of one branch: reads every list it will change, writes list A, and
// restores them all when it ends, by any path.
class UnlockedBranch {
public:
    UnlockedBranch(RegistryApi& api, const AutoCompleteLocations& where, const StorageKeys& keys)
        : api_(api), keys_(keys) {
        listA_ = ReadAccessList(api_, kCurrentUser, where.storageRoot);
        for (const std::string* path : keys_.Chain())
            saved_.push_back(ReadAccessList(api_, kCurrentUser, *path));
        for (const std::string* path : keys_.Chain())
            WriteAccessList(api_, kCurrentUser, *path, listA_);
    }
    ~UnlockedBranch() {
        std::vector<const std::string*> chain = keys_.Chain();
        for (size_t i = chain.size(); i-- > 0;) {
            try {
                WriteAccessList(api_, kCurrentUser, *chain[i], saved_[i]);
            } catch (const std::exception&) {
            }
        }
    }
    UnlockedBranch(const UnlockedBranch&) = delete;
    UnlockedBranch& operator=(const UnlockedBranch&) = delete;

    const Descriptor& ListA() const { return listA_; }

private:
    RegistryApi& api_;
    const StorageKeys& keys_;
    Descriptor listA_;
    std::vector<Descriptor> saved_;
};

bool KeyExists(RegistryApi& api, int32_t root, const std::string& path) {
    registry_access::KeyHandle key(api);
    return api.OpenKey(RootHandle(root), path, keyQueryValue, key.Out()) == regOk ||
           api.OpenKey(RootHandle(root), path, rightReadControl, key.Out()) == regOk;
}

// Deletes one store deeply; a refusal leaves it in the result with vsUnknown and writes the
// Access Deny line.
void DeleteStore(RegKey& tool, RegKey& store, PrivacyValues& result, TraceLog* log) {
    PrivacyValuePtr pv = result.AddRegKey(store, vsDelete);
    bool deleted = false;
    try {
        deleted = tool.DeleteRegKey(true, store.RootKey, store.Path);
    } catch (const std::exception&) {
    }
    if (deleted)
        return;
    pv->ValueStatus = vsUnknown;
    if (log) {
        log->AppendString(kAccessDenyLine);
        log->AppendPrivacyValue(*pv);
    }
}

}  // namespace

PrivacyValuesPtr GetAutoCompleteForms(RegKey& tool, SystemInfo& system, TraceLog* log,
                                      const AutoCompleteLocations& where) {
    RegistryApi& api = tool.Api();
    auto result = std::make_shared<PrivacyValues>(log);
    StorageKeys keys(where, GetUserSidString(system));
    RegKey lister(api);
    if (!IsNtFamily(system.Version())) {
        for (int32_t root : {kLocalMachine, kCurrentUser})
            for (RegKey& store : lister.EnumSubKeys(root, keys.container))
                result->AddRegKey(store, vsFind);
        return result;
    }
    {
        UnlockedBranch unlocked(api, where, keys);
        lister.EnumSubKeys(kCurrentUser, keys.container);
    }
    for (RegKey& store : lister.SubKeys())
        result->AddRegKey(store, vsFind);
    return result;
}

PrivacyValuesPtr ClearAutoCompleteForms(RegKey& tool, SystemInfo& system, TraceLog* log,
                                        const AutoCompleteLocations& where) {
    RegistryApi& api = tool.Api();
    auto result = std::make_shared<PrivacyValues>(log);
    try {
        StorageKeys keys(where, GetUserSidString(system));
        RegKey lister(api);
        if (!IsNtFamily(system.Version())) {
            for (int32_t root : {kLocalMachine, kCurrentUser})
                for (RegKey& store : lister.EnumSubKeys(root, keys.container))
                    DeleteStore(tool, store, *result, log);
            return result;
        }
        UnlockedBranch unlocked(api, where, keys);
        for (RegKey& store : lister.EnumSubKeys(kCurrentUser, keys.container)) {
            Descriptor own = ReadAccessList(api, kCurrentUser, store.Path);
            WriteAccessList(api, kCurrentUser, store.Path, unlocked.ListA());
            DeleteStore(tool, store, *result, log);
            // A store that stays keeps its own list, as it was found.
            if (KeyExists(api, kCurrentUser, store.Path))
                WriteAccessList(api, kCurrentUser, store.Path, own);
        }
    } catch (const std::exception&) {
        if (log)
            log->AppendString(kAccessDenyLine);
    }
    return result;
}

bool ClearAutoCompletePasswords(RegKey& tool, const AutoCompleteLocations& where) {
    RegistryApi& api = tool.Api();
    registry_access::KeyHandle key(api);
    if (api.OpenKey(RootHandle(kCurrentUser), where.passwordKey, keyQueryValue, key.Out()) != regOk)
        return false;
    key.Close();
    return tool.DeleteRegKey(true, kCurrentUser, where.passwordKey);
}

}  // namespace lumo
