// The current user's identity text, by platform family, and under Wine the real user's SID.
#include <gtest/gtest.h>

#include <algorithm>
#include <optional>
#include <string>
#include <tuple>

#include "platform/portable/portable_system_info.h"
#include "registry/user_identity.h"
#ifdef _WIN32
#include "platform/win32/win32_system_info.h"
#endif

namespace lumo {
namespace {

// The SID's authority ends in the row's two bytes; a row without sub-authorities has no SID.
TEST(UserIdentity, TextByFamily) {
    using U = std::vector<uint32_t>;
    const std::tuple<int32_t, uint8_t, uint8_t, U, std::optional<std::string>, std::string> cases[] = {
        {0x1DB10106, 0, 5, {21, 1, 2, 3, 1000}, "bob", "S-1-5-21-1-2-3-1000"},
        {0x0105, 0, 5, {21, 2147483648u, 4294967295u, 1001}, std::nullopt, "S-1-5-21-2147483648-4294967295-1001"},
        {0x0105, 1, 16, {12288}, std::nullopt, "S-1-16-12288"},  // only the authority's last byte counts
        {0x0105, 0, 5, {}, "bob", ""},
        {static_cast<int32_t>(0xC0000A04u), 0, 5, {}, "alice", "alice"},  // the older family: the user name
        {0, 0, 5, {21}, "carol", "carol"},
        {static_cast<int32_t>(0x80000000u), 0, 5, {}, std::nullopt, ""},
    };
    for (const auto& [version, high, low, subs, user, expected] : cases) {
        PortableSystemInfo system;
        system.version = version;
        if (!subs.empty())
            system.sid = SidParts{.authority = {0, 0, 0, 0, high, low}, .subAuthorities = subs};
        system.userName = user;
        EXPECT_EQ(GetUserSidString(system), expected) << std::hex << version;
    }
}

#ifdef _WIN32
TEST(UserIdentity, TheProcessUsersSidUnderWindows) {
    Win32SystemInfo system;
    std::string sid = GetUserSidString(system);
    EXPECT_TRUE(sid.rfind("S-1-5-21-", 0) == 0 && std::count(sid.begin(), sid.end(), '-') == 7) << sid;
}
#endif

}  // namespace
}  // namespace lumo
