// RegValue: one registry value as it was read — where it lives, its name, type and decoded data.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>
#include <variant>
#include <vector>

namespace lumo {

class RegistryApi;

// Root keys as the platform numbers them.
enum RootKeyValue : int32_t {
    rkClassesRoot = static_cast<int32_t>(0x80000000u),
    rkCurrentUser = static_cast<int32_t>(0x80000001u),
    rkLocalMachine = static_cast<int32_t>(0x80000002u),
    rkUsers = static_cast<int32_t>(0x80000003u),
    rkPerformanceData = static_cast<int32_t>(0x80000004u),
    rkCurrentConfig = static_cast<int32_t>(0x80000005u),
    rkDynData = static_cast<int32_t>(0x80000006u),
};

// Value types as the platform numbers them; 0 is a value that was not found.
enum RegValueType : int32_t {
    rvtNone = 0,
    rvtString = 1,
    rvtExpandString = 2,
    rvtBinary = 3,
    rvtDWord = 4,
    rvtMultiString = 7,
};

// Decoded data: text (types 1 and 2, UTF-8), an unsigned 32-bit number (type 4), or the bytes up
// to the first zero byte (other types; empty when the first byte is zero).
using RegData = std::variant<std::string, uint32_t, std::vector<uint8_t>>;

class RegValue {
public:
    explicit RegValue(RegistryApi& api) : api_(&api) {}

    int32_t RootKey = 0;
    std::string KeyPath;
    std::string ValueName;
    int32_t ValueType = rvtNone;
    RegData ValueData;

    // The initialiser: stores the five fields. 0, or -1 on failure.
    int32_t Init(int32_t rktRootKey, std::string_view sKeyPath = {}, std::string_view sValueName = {},
                 int32_t rvtValueType = rvtNone, RegData vValueData = {});

    // Display text of the data: strings unchanged, binary as "0a ff 01", numbers as
    // "0x00000100 (256)", anything else (expandable strings included) "".
    std::string ValueDataString() const;
    // Deletes this value from the registry; a value already gone counts as deleted.
    bool Delete();

    RegistryApi& Api() const { return *api_; }

private:
    RegistryApi* api_;
};

}  // namespace lumo
