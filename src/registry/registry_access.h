// What RegKey and RegValue share below their public interface: a key handle that closes itself,
// value decoding and value deletion.
#pragma once

#include <cstdint>
#include <string_view>
#include <vector>

#include "platform/registry_api.h"
#include "registry/reg_value.h"

namespace lumo::registry_access {

// The source and descriptions of the value operations' failures.
inline constexpr std::string_view kValueSource = "用户自定义部件RegKey";
inline constexpr std::string_view kQueryValueFailed = "查询注册表值失败！";
inline constexpr std::string_view kCreateValueFailed = "创建注册表值失败！";
inline constexpr int32_t kErrorNumber = 100;

// A handle opened by an operation, closed when the operation leaves by any path. The predefined
// roots are never closed.
class KeyHandle {
public:
    explicit KeyHandle(RegistryApi& api) : api_(api) {}
    ~KeyHandle() { Close(); }
    KeyHandle(const KeyHandle&) = delete;
    KeyHandle& operator=(const KeyHandle&) = delete;

    RegHandle& Out() { return handle_; }
    RegHandle get() const { return handle_; }
    // The code of the close call; 0 when there was nothing to close.
    int32_t Close() {
        RegHandle h = handle_;
        handle_ = 0;
        if (h == 0 || IsPredefinedRoot(h))
            return 0;
        return api_.CloseKey(h);
    }

private:
    RegistryApi& api_;
    RegHandle handle_ = 0;
};

// Decodes the bytes of a zero-padded value buffer by type (the declared length is not used).
RegData ParseValueData(const std::vector<uint8_t>& buffer, int32_t type);

// Deletes one value: true when it is gone (also when it was missing); raises a RegistryError when
// the key cannot be opened for writing or the deletion is refused.
bool DeleteValue(RegistryApi& api, int32_t rootKey, std::string_view keyPath, std::string_view valueName);

}  // namespace lumo::registry_access
