// The ProfileApi of the Windows program: kernel32's ANSI profile functions.
#pragma once

#include "platform/profile_api.h"

namespace lumo {

class Win32ProfileApi : public ProfileApi {
public:
    uint32_t GetSection(std::string_view section, char* buffer, uint32_t size, std::string_view fileName) override;
    bool WriteString(std::string_view section, std::string_view key, std::string_view value,
                     std::string_view fileName) override;
};

}  // namespace lumo
