// The ProfileApi of non-Windows builds and tests: reads and rewrites INI files the way the
// system's profile functions do, so both give the same bytes and counts.
#pragma once

#include "platform/profile_api.h"

namespace lumo {

class PortableProfileApi : public ProfileApi {
public:
    uint32_t GetSection(std::string_view section, char* buffer, uint32_t size, std::string_view fileName) override;
    bool WriteString(std::string_view section, std::string_view key, std::string_view value,
                     std::string_view fileName) override;
};

}  // namespace lumo
