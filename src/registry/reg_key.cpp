// RegKey: listing, reading, writing and deleting registry keys and values through RegistryApi.
#include "registry/reg_key.h"

#include <charconv>
#include <exception>

#include "base/text.h"
#include "platform/registry_api.h"
#include "registry/registry_access.h"

namespace lumo {

using namespace registry_access;

namespace {

constexpr std::string_view kKeySource = "RegKey";
constexpr std::string_view kDeleteFailed = "Delete RegKey failed.";
constexpr std::string_view kDeleteRefused = "Delete RegKey failed!";

struct Target {
    int32_t root;
    std::string_view path;
};

// A child's path: parent path, "\", name; a key directly below a root has just its name.
std::string ChildPath(std::string_view parent, std::string_view name) {
    if (parent.empty())
        return std::string(name);
    std::string out;
    out.reserve(parent.size() + 1 + name.size());
    out.append(parent).append(1, '\\').append(name);
    return out;
}

// The text a value is written as: strings as they are, numbers in decimal, bytes as they are.
std::string TextOf(const RegData& data) {
    if (auto s = std::get_if<std::string>(&data))
        return *s;
    if (auto n = std::get_if<uint32_t>(&data))
        return std::to_string(*n);
    const auto& b = std::get<std::vector<uint8_t>>(data);
    return std::string(b.begin(), b.end());
}

// A value as a 32-bit number: numbers as they are, text holding a whole number in the signed or
// unsigned 32-bit range; anything else does not convert.
bool NumberOf(const RegData& data, uint32_t& out) {
    if (auto n = std::get_if<uint32_t>(&data)) {
        out = *n;
        return true;
    }
    auto s = std::get_if<std::string>(&data);
    if (!s)
        return false;
    std::string_view text = TrimBlanks(*s);
    int64_t v = 0;
    auto [end, ec] = std::from_chars(text.data(), text.data() + text.size(), v);
    if (ec != std::errc() || end != text.data() + text.size() || text.empty() || v < INT32_MIN || v > UINT32_MAX)
        return false;
    out = static_cast<uint32_t>(v);
    return true;
}

}  // namespace

RegKey::RegKey(RegistryApi& api) : api_(&api) {}

RegKey::RegKey(RegistryApi& api, int32_t rktRootKey, std::string_view sPath) : api_(&api) { Init(rktRootKey, sPath); }

RegKey::RegKey(RegKey&&) noexcept = default;
RegKey& RegKey::operator=(RegKey&&) noexcept = default;
RegKey::~RegKey() = default;

int32_t RegKey::Init(int32_t rktRootKey, std::string_view sPath) {
    try {
        RootKey = rktRootKey;
        Path = std::string(sPath);
        if (!sPath.empty() && Name.empty()) {
            size_t cut = sPath.rfind('\\');
            Name = std::string(cut == std::string_view::npos ? sPath : sPath.substr(cut + 1));
        }
        return 0;
    } catch (const std::exception&) {
        return -1;
    }
}

RegKeys& RegKey::SubKeys() {
    if (!subKeys_)
        EnumSubKeys();
    return *subKeys_;
}

RegValues& RegKey::SubValues() {
    if (!subValues_)
        EnumSubValues();
    return *subValues_;
}

RegKeys& RegKey::EnumSubKeys(int32_t rktRootKey, std::string_view sKeyPath) {
    bool own = sKeyPath.empty() || rktRootKey == -1;
    int32_t root = own ? RootKey : rktRootKey;
    std::string path(own ? std::string_view(Path) : sKeyPath);

    // One handle with the query right for the key's figures, one with the enumerate right for
    // the listing; a key that does not open lists nothing.
    KeyHandle info(*api_), list(*api_);
    RegKeyInfo figures;
    if (api_->OpenKey(RootHandle(root), path, keyQueryValue, info.Out()) == regOk)
        api_->QueryInfoKey(info.get(), figures);
    api_->OpenKey(RootHandle(root), path, keyEnumerateSubKeys, list.Out());

    auto keys = std::make_unique<RegKeys>();
    if (list.get() != 0) {
        uint32_t nameChars = (figures.maxSubKeyLen + 1) * 2;
        std::string name;
        name.reserve(nameChars);
        for (uint32_t index = 0; api_->EnumKey(list.get(), index, name, nameChars) == regOk; ++index) {
            RegKey child(*api_);
            child.Init(root, ChildPath(path, name));
            keys->Add(std::move(child));
        }
    }
    info.Close();
    list.Close();
    subKeys_ = std::move(keys);
    return *subKeys_;
}

RegValues& RegKey::EnumSubValues(int32_t rktRootKey, std::string_view sKeyPath) {
    bool own = sKeyPath.empty() || rktRootKey == -1;
    int32_t root = own ? RootKey : rktRootKey;
    std::string path(own ? std::string_view(Path) : sKeyPath);

    KeyHandle key(*api_);
    RegKeyInfo figures;
    auto values = std::make_unique<RegValues>();
    if (api_->OpenKey(RootHandle(root), path, keyQueryValue, key.Out()) == regOk &&
        api_->QueryInfoKey(key.get(), figures) == regOk) {
        uint32_t nameChars = (figures.maxValueNameLen + 1) * 2;
        // One zero-filled buffer for the whole listing, one byte longer than the longest data so
        // every value is followed by a zero byte; only the bytes a value filled are cleared again.
        std::vector<uint8_t> data(static_cast<size_t>(figures.maxValueLen) + 1, 0);
        std::string name;
        name.reserve(nameChars);
        for (uint32_t index = 0;; ++index) {
            uint32_t type = 0;
            uint32_t size = static_cast<uint32_t>(data.size());
            if (api_->EnumValue(key.get(), index, name, nameChars, type, data.data(), size) != regOk)
                break;
            RegValue value(*api_);
            value.Init(root, path, name, static_cast<int32_t>(type), ParseValueData(data, static_cast<int32_t>(type)));
            values->Add(std::move(value));
            std::fill(data.begin(), data.begin() + std::min<size_t>(size, data.size()), 0);
        }
    }
    key.Close();
    subValues_ = std::move(values);
    return *subValues_;
}

std::optional<RegValue> RegKey::GetRegValue(std::string_view sValueName, int32_t rktRootKey,
                                            std::string_view sKeyPath) {
    bool own = sKeyPath.empty() || rktRootKey == -1;
    int32_t root = own ? RootKey : rktRootKey;
    std::string_view path = own ? std::string_view(Path) : sKeyPath;
    KeyHandle key(*api_);
    try {
        RegKeyInfo figures;
        api_->OpenKey(RootHandle(root), path, keyQueryValue, key.Out());
        if (key.get() == 0 || api_->QueryInfoKey(key.get(), figures) != regOk)
            return std::nullopt;
        // A missing value leaves the type 0 and the buffer zero: a type-0 value with empty data.
        std::vector<uint8_t> data(static_cast<size_t>(figures.maxValueLen) + 1, 0);
        uint32_t type = 0;
        uint32_t size = static_cast<uint32_t>(data.size());
        if (api_->QueryValue(key.get(), sValueName, type, data.data(), size) != regOk)
            std::fill(data.begin(), data.end(), 0);
        RegValue value(*api_);
        value.Init(root, path, sValueName, static_cast<int32_t>(type),
                   ParseValueData(data, static_cast<int32_t>(type)));
        key.Close();
        return value;
    } catch (const std::exception&) {
        return std::nullopt;
    }
}

bool RegKey::DeleteRegKey(bool bDeep, int32_t rktRootKey, std::string_view sKeyPath) {
    bool own = sKeyPath.empty() || rktRootKey == -1;
    int32_t root = own ? RootKey : rktRootKey;
    std::string path(own ? std::string_view(Path) : sKeyPath);
    try {
        if (bDeep) {
            // The children are listed by a separate object: the caller may be walking this
            // object's own SubKeys while it deletes.
            RegKey lister(*api_);
            for (RegKey& child : lister.EnumSubKeys(root, path)) {
                if (!child.DeleteRegKey(bDeep, root, child.Path))
                    throw RegistryError(kErrorNumber, std::string(kKeySource), std::string(kDeleteRefused));
            }
        }
        if (int32_t rc = api_->DeleteKey(RootHandle(root), path); rc != regOk)
            throw RegistryError(kErrorNumber, std::string(kKeySource), std::string(kDeleteRefused), rc);
        return true;
    } catch (const RegistryError& e) {
        throw RegistryError(e.Number, e.Source, std::string(kDeleteFailed) + "\r\n" + e.Description, e.SystemError);
    } catch (const std::exception& e) {
        throw RegistryError(kErrorNumber, std::string(kKeySource), std::string(kDeleteFailed) + "\r\n" + e.what());
    }
}

bool RegKey::DeleteRegValue(std::string_view sValueName, int32_t rktRootKey, std::string_view sKeyPath) {
    bool own = sKeyPath.empty() || rktRootKey == -1;
    return registry_access::DeleteValue(*api_, own ? RootKey : rktRootKey, own ? std::string_view(Path) : sKeyPath,
                                        sValueName);
}

int32_t RegKey::SetRegKey(std::string_view sSubKeyName, int32_t rktRootKey, std::string_view sParentKeyPath) {
    bool own = sParentKeyPath.empty() || rktRootKey == -1;
    int32_t root = own ? RootKey : rktRootKey;
    std::string_view parentPath = own ? std::string_view(Path) : sParentKeyPath;
    KeyHandle parent(*api_), created(*api_);
    int32_t rc = api_->OpenKey(RootHandle(root), parentPath, keyCreateSubKey, parent.Out());
    if (rc == regOk) {
        rc = api_->CreateKey(parent.get(), sSubKeyName, keyRead, created.Out());
        if (rc == regOk) {
            created.Close();
            parent.Close();
            return 1;
        }
        // The code reported is that of the last registry call, the parent's close.
        rc = parent.Close();
    }
    parent.Close();
    throw RegistryError(kErrorNumber, std::string(kKeySource), "rc = " + std::to_string(rc) + "\r\n", rc);
}

int32_t RegKey::SetRegValue(std::string_view sValueName, int32_t rvtValueType, const RegData& vData, int32_t rktRootKey,
                            std::string_view sKeyPath) {
    bool own = sKeyPath.empty() || rktRootKey == -1;
    int32_t root = own ? RootKey : rktRootKey;
    std::string_view path = own ? std::string_view(Path) : sKeyPath;
    const std::string source(kValueSource);
    KeyHandle key(*api_);
    if (int32_t created = api_->CreateKey(RootHandle(root), path, keySetValue, key.Out()); created != regOk) {
        key.Close();
        throw RegistryError(kErrorNumber, source, "\r\n * " + std::string(kCreateValueFailed), created);
    }
    int32_t rc;
    if (rvtValueType == rvtString) {
        std::string bytes = TextOf(vData);
        bytes.push_back('\0');
        rc = api_->SetValue(key.get(), sValueName, rvtString, reinterpret_cast<const uint8_t*>(bytes.data()),
                            static_cast<uint32_t>(bytes.size()));
    } else if (rvtValueType == rvtDWord) {
        uint32_t n = 0;
        if (!NumberOf(vData, n)) {
            key.Close();
            throw RegistryError(kErrorNumber, source, "\r\n * Type mismatch");
        }
        uint8_t bytes[4] = {static_cast<uint8_t>(n), static_cast<uint8_t>(n >> 8), static_cast<uint8_t>(n >> 16),
                            static_cast<uint8_t>(n >> 24)};
        rc = api_->SetValue(key.get(), sValueName, rvtDWord, bytes, 4);
    } else {
        key.Close();
        throw RegistryError(kErrorNumber, source, "\r\n * ");
    }
    key.Close();
    // A refused write is a failure, never a reported success.
    if (rc != regOk)
        throw RegistryError(kErrorNumber, source, "\r\n * Set RegValue failed! rc = " + std::to_string(rc), rc);
    return 0;
}

int32_t RegKey::TransRootKey(std::string_view sRootKey) {
    static constexpr std::pair<std::string_view, int32_t> kRoots[] = {
        {"HKEY_CLASSES_ROOT", rkClassesRoot},
        {"HKEY_CURRENT_USER", rkCurrentUser},
        {"HKEY_LOCAL_MACHINE", rkLocalMachine},
        {"HKEY_USERS", rkUsers},
        {"HKEY_PERFORMANCE_DATA", rkPerformanceData},
        {"HKEY_CURRENT_CONFIG", rkCurrentConfig},
        {"HKEY_DYN_DATA", rkDynData},
    };
    for (const auto& [name, value] : kRoots)
        if (sRootKey == name)
            return value;
    return 0;
}

}  // namespace lumo
