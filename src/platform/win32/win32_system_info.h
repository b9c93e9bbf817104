// The SystemInfo of the Windows program: kernel32 and advapi32.
#pragma once

#include "platform/system_info.h"

namespace lumo {

class Win32SystemInfo : public SystemInfo {
public:
    int32_t Version() override;
    std::optional<SidParts> UserSid() override;
    std::optional<std::string> UserName() override;
    std::vector<DriveInfo> Drives() override;
    bool DeletesOneAtATime() override;
};

}  // namespace lumo
