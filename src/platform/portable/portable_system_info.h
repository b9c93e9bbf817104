// The SystemInfo of non-Windows builds and tests: values a test sets. By default an NT-family
// system whose user has no readable SID, named after $USER, with no drives.
#pragma once

#include "platform/system_info.h"

namespace lumo {

class PortableSystemInfo : public SystemInfo {
public:
    PortableSystemInfo();

    int32_t version = 0x0A280105;  // an NT-family value (bit 31 clear)
    std::optional<SidParts> sid;
    std::optional<std::string> userName;
    std::vector<DriveInfo> drives;
    bool deletesOneAtATime = false;

    int32_t Version() override { return version; }
    std::optional<SidParts> UserSid() override { return sid; }
    std::optional<std::string> UserName() override { return userName; }
    std::vector<DriveInfo> Drives() override { return drives; }
    bool DeletesOneAtATime() override { return deletesOneAtATime; }
};

}  // namespace lumo
