// RegKey: the program's only door to the registry. One object names one key (root and path) and
// also serves as a tool: most operations take an optional root and path of another key.
//
// Argument defaults of every operation with a root and a path: when the path is empty or the root
// is -1, the object's own RootKey and Path are used and both arguments are ignored.
#pragma once

#include <cstdint>
#include <memory>
#include <optional>
#include <string>
#include <string_view>

#include "base/collection.h"
#include "base/owning_collection.h"
#include "base/registry_error.h"
#include "registry/reg_value.h"

namespace lumo {

class RegistryApi;
class RegKeys;
class RegValues;

class RegKey {
public:
    explicit RegKey(RegistryApi& api);
    RegKey(RegistryApi& api, int32_t rktRootKey, std::string_view sPath);
    RegKey(RegKey&&) noexcept;
    RegKey& operator=(RegKey&&) noexcept;
    ~RegKey();

    int32_t RootKey = 0;
    std::string Name;  // last component of Path, set by the first Init with a path
    std::string Path;

    // The initialiser: sets RootKey and Path, and Name when it is still empty. 0, or -1 on failure.
    int32_t Init(int32_t rktRootKey, std::string_view sPath);

    // The direct subkeys / values, listed on first use.
    RegKeys& SubKeys();
    RegValues& SubValues();

    RegKeys& EnumSubKeys(int32_t rktRootKey = -1, std::string_view sKeyPath = {});
    RegValues& EnumSubValues(int32_t rktRootKey = -1, std::string_view sKeyPath = {});
    // None for a missing key; a type-0 value with empty data for a missing value.
    std::optional<RegValue> GetRegValue(std::string_view sValueName, int32_t rktRootKey = -1,
                                        std::string_view sKeyPath = {});
    bool DeleteRegKey(bool bDeep = false, int32_t rktRootKey = -1, std::string_view sKeyPath = {});
    bool DeleteRegValue(std::string_view sValueName, int32_t rktRootKey = -1, std::string_view sKeyPath = {});
    int32_t SetRegKey(std::string_view sSubKeyName, int32_t rktRootKey = -1, std::string_view sParentKeyPath = {});
    int32_t SetRegValue(std::string_view sValueName, int32_t rvtValueType, const RegData& vData,
                        int32_t rktRootKey = -1, std::string_view sKeyPath = {});
    static int32_t TransRootKey(std::string_view sRootKey);

    RegistryApi& Api() const { return *api_; }

private:
    RegistryApi* api_;
    std::unique_ptr<RegKeys> subKeys_;
    std::unique_ptr<RegValues> subValues_;
};

// Insertion-ordered collections of keys and values. Add takes the caller's object over (a move)
// only when it succeeds: a key already present throws CollectionError and leaves the caller's
// object as it was. Items keep their address while they are in the collection, so the reference
// Add returns stays good when more items are added.
// Throws before anything is moved when `key` is already in `items`.
template <class T>
void RefuseTaken(const OwningCollection<T>& items, std::string_view key) {
    if (!key.empty() && items.Contains(key))
        throw CollectionError("key \"" + std::string(key) + "\" is already in the collection");
}

class RegKeys {
public:
    using iterator = OwningCollection<RegKey>::iterator;
    RegKey& Add(RegKey&& rk, std::string_view sKey = {}) {
        RefuseTaken(items_, sKey);
        return items_.Add(std::make_unique<RegKey>(std::move(rk)), sKey);
    }
    RegKey& item(const IndexKey& vntIndexKey) { return items_.item(vntIndexKey); }
    int32_t Count() const { return items_.Count(); }
    void Remove(const IndexKey& vntIndexKey) { items_.Remove(vntIndexKey); }
    iterator begin() { return items_.begin(); }
    iterator end() { return items_.end(); }

private:
    OwningCollection<RegKey> items_;
};

class RegValues {
public:
    using iterator = OwningCollection<RegValue>::iterator;
    RegValue& Add(RegValue&& rv, std::string_view sKey = {}) {
        RefuseTaken(items_, sKey);
        return items_.Add(std::make_unique<RegValue>(std::move(rv)), sKey);
    }
    RegValue& item(const IndexKey& vntIndexKey) { return items_.item(vntIndexKey); }
    int32_t Count() const { return items_.Count(); }
    void Remove(const IndexKey& vntIndexKey) { items_.Remove(vntIndexKey); }
    iterator begin() { return items_.begin(); }
    iterator end() { return items_.end(); }

private:
    OwningCollection<RegValue> items_;
};

}  // namespace lumo
