// The current user's identity text, by platform family, and under Wine the real user's SID.
#include <gtest/gtest.h>

#include <algorithm>
#include <array>
#include <optional>
#include <string>
#include <vector>

#include "platform/portable/portable_system_info.h"
#include "registry/user_identity.h"
#ifdef _WIN32
#include "platform/win32/win32_system_info.h"
#endif

namespace lumo {
namespace {

SidParts Sid(std::array<uint8_t, 6> authority, std::vector<uint32_t> subs) {
    SidParts sid;
    sid.authority = authority;
    sid.subAuthorities = std::move(subs);
    return sid;
}

TEST(UserIdentity, TextByFamily) {
    struct Case {
        const char* name;
        int32_t version;
        std::optional<SidParts> sid;
        std::optional<std::string> user;
        std::string expected;
    };
    const Case cases[] = {
        {"NT user", 0x1DB10106, Sid({0, 0, 0, 0, 0, 5}, {21, 1, 2, 3, 1000}), "bob", "S-1-5-21-1-2-3-1000"},
        {"sub-authorities above 2^31 stay unsigned", 0x0105,
         Sid({0, 0, 0, 0, 0, 5}, {21, 2147483648u, 4294967295u, 3000000000u, 1001}), std::nullopt,
         "S-1-5-21-2147483648-4294967295-3000000000-1001"},
        {"only the authority's last byte counts", 0x0105, Sid({0, 0, 0, 0, 1, 16}, {12288}), std::nullopt,
         "S-1-16-12288"},
        {"NT without a readable SID", 0x0105, std::nullopt, "bob", ""},
        {"older family: the user name", static_cast<int32_t>(0xC0000A04u), std::nullopt, "alice", "alice"},
        {"version 0 is the older family", 0, Sid({0, 0, 0, 0, 0, 5}, {21}), "carol", "carol"},
        {"older family without a user name", static_cast<int32_t>(0x80000000u), std::nullopt, std::nullopt, ""},
    };
    for (const Case& c : cases) {
        PortableSystemInfo system;
        system.version = c.version;
        system.sid = c.sid;
        system.userName = c.user;
        EXPECT_EQ(GetUserSidString(system), c.expected) << c.name;
    }
}

#ifdef _WIN32
TEST(UserIdentity, TheProcessUsersSidUnderWindows) {
    Win32SystemInfo system;
    std::string sid = GetUserSidString(system);
    EXPECT_TRUE(sid.rfind("S-1-5-21-", 0) == 0) << sid;
    EXPECT_EQ(std::count(sid.begin(), sid.end(), '-'), 7) << sid;
}
#endif

}  // namespace
}  // namespace lumo
