// The portable SystemInfo: only the user name comes from the environment.
#include "platform/portable/portable_system_info.h"

#include <cstdlib>

namespace lumo {

PortableSystemInfo::PortableSystemInfo() {
    if (const char* user = std::getenv("USER"); user && *user)
        userName = user;
}

}  // namespace lumo
