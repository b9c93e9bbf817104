// Under Windows the identity text is the SID of the user the process runs as.
#include <gtest/gtest.h>

#include <algorithm>
#include <string>

#include "registry/user_identity.h"
#ifdef _WIN32
#include "platform/win32/win32_system_info.h"
#endif

namespace lumo {
namespace {

#ifdef _WIN32
TEST(UserIdentity, TheProcessUsersSidUnderWindows) {
    Win32SystemInfo system;
    std::string sid = GetUserSidString(system);
    EXPECT_TRUE(sid.rfind("S-1-5-21-", 0) == 0 && std::count(sid.begin(), sid.end(), '-') == 7) << sid;
}
#endif

}  // namespace
}  // namespace lumo
