// The user's identity text from the platform's SystemInfo.
#include "registry/user_identity.h"

#include "platform/system_info.h"

namespace lumo {

std::string SidText(const SidParts& sid) {
    // Only the last byte of the authority is used: the authorities in use are all below 256.
    std::string text = "S-1-" + std::to_string(sid.authority[5]);
    for (uint32_t sub : sid.subAuthorities)
        text.append("-").append(std::to_string(sub));
    return text;
}

std::string GetUserSidString(SystemInfo& system) {
    if (IsNtFamily(system.Version())) {
        std::optional<SidParts> sid = system.UserSid();
        return sid ? SidText(*sid) : std::string();
    }
    return system.UserName().value_or(std::string());
}

}  // namespace lumo
