// What RegKey and RegValue share below their public interface: a key handle that closes itself,
// value decoding and value deletion.
#pragma once

#include <cstdint>
#include <string_view>
#include <vector>

#include "base/unique_handle.h"
#include "platform/registry_api.h"
#include "registry/reg_value.h"

namespace lumo::registry_access {

// The source and descriptions of the value operations' failures.
inline constexpr std::string_view kValueSource = "用户自定义部件RegKey";
inline constexpr std::string_view kQueryValueFailed = "查询注册表值失败！";
inline constexpr std::string_view kCreateValueFailed = "创建注册表值失败！";
inline constexpr int32_t kErrorNumber = 100;

// A registry key handle from the RegistryApi, closed through the same interface. The predefined
// roots are never closed.
struct RegistryKeyTraits {
    using Handle = RegHandle;
    RegistryApi* api = nullptr;
    static Handle Invalid() { return 0; }
    // The code of the close call.
    int32_t Close(Handle h) const { return IsPredefinedRoot(h) ? 0 : api->CloseKey(h); }
};

// A handle opened by an operation, closed when the operation leaves by any path.
class KeyHandle : public UniqueHandle<RegistryKeyTraits> {
public:
    explicit KeyHandle(RegistryApi& api) : UniqueHandle(RegistryKeyTraits{&api}) {}

    // Where OpenKey and CreateKey put the handle; what was held before is closed first.
    RegHandle& Out() { return *out(); }
    // Closes now and answers the code of the close call; 0 when there was nothing to close.
    int32_t Close() {
        RegHandle h = release();
        return h == RegistryKeyTraits::Invalid() ? 0 : traits().Close(h);
    }
};

// Decodes the bytes of a zero-padded value buffer by type (the declared length is not used).
RegData ParseValueData(const std::vector<uint8_t>& buffer, int32_t type);

// Deletes one value: true when it is gone (also when it was missing); raises a RegistryError when
// the key cannot be opened for writing or the deletion is refused.
bool DeleteValue(RegistryApi& api, int32_t rootKey, std::string_view keyPath, std::string_view valueName);

}  // namespace lumo::registry_access
