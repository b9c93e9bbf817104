// Win32Registry: RegistryApi over advapi32's wide functions. Names and string data are converted
// between UTF-8 and UTF-16 here; everything else passes through with the platform's codes.
#pragma once

#include <cstdint>
#include <vector>

#include "platform/registry_api.h"

namespace lumo {

class Win32Registry : public RegistryApi {
public:
    int32_t OpenKey(RegHandle key, std::string_view subKey, uint32_t rights, RegHandle& result) override;
    int32_t QueryInfoKey(RegHandle key, RegKeyInfo& info) override;
    int32_t EnumKey(RegHandle key, uint32_t index, std::string& name, uint32_t nameChars) override;
    int32_t EnumValue(RegHandle key, uint32_t index, std::string& name, uint32_t nameChars, uint32_t& type,
                      uint8_t* data, uint32_t& dataSize) override;
    int32_t QueryValue(RegHandle key, std::string_view valueName, uint32_t& type, uint8_t* data,
                       uint32_t& dataSize) override;
    int32_t CreateKey(RegHandle key, std::string_view subKey, uint32_t rights, RegHandle& result) override;
    int32_t SetValue(RegHandle key, std::string_view valueName, uint32_t type, const uint8_t* data,
                     uint32_t dataSize) override;
    int32_t DeleteKey(RegHandle key, std::string_view subKey) override;
    int32_t DeleteValue(RegHandle key, std::string_view valueName) override;
    int32_t CloseKey(RegHandle key) override;
    int32_t GetKeySecurity(RegHandle key, uint32_t securityInformation, uint8_t* descriptor, uint32_t& size) override;
    int32_t SetKeySecurity(RegHandle key, uint32_t securityInformation,
                           const std::vector<uint8_t>& descriptor) override;

    // A self-relative security descriptor whose access list refuses `rights` to everyone and
    // allows everything else; empty if it cannot be built.
    static std::vector<uint8_t> DescriptorDenying(uint32_t rights);

private:
    // Stored bytes of the value being read, before conversion; grows to the largest value seen.
    std::vector<uint8_t> buffer_ = std::vector<uint8_t>(4096);
};

}  // namespace lumo
