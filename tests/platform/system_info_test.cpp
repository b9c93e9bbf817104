// SystemInfo: the family rule and, under Windows, what the real system reports about its user
// and drives.
#include <gtest/gtest.h>

#include <algorithm>

#include "platform/portable/portable_system_info.h"
#ifdef _WIN32
#include "platform/win32/win32_system_info.h"
#endif

namespace lumo {
namespace {

TEST(SystemInfo, FamilyFromTheSignedVersionNumber) {
    // Windows 98 (0xC0000A04), Me (0xC0005A04), NT 4, XP, 7 as GetVersion reports them.
    for (auto [version, nt] : {std::pair{0xC0000A04u, false}, std::pair{0xC0005A04u, false},
                               std::pair{0x80000000u, false}, std::pair{0u, false}, std::pair{0x05650004u, true},
                               std::pair{0x0A280105u, true}, std::pair{0x1DB10106u, true}})
        EXPECT_EQ(IsNtFamily(static_cast<int32_t>(version)), nt) << std::hex << version;
}

#ifdef _WIN32
TEST(Win32SystemInfo, UserAndDrivesOfTheRunningSystem) {
    Win32SystemInfo system;
    EXPECT_TRUE(IsNtFamily(system.Version()));
    auto sid = system.UserSid();
    ASSERT_TRUE(sid);
    EXPECT_EQ(sid->authority, (std::array<uint8_t, 6>{0, 0, 0, 0, 0, 5}));
    ASSERT_GE(sid->subAuthorities.size(), 2u);
    EXPECT_EQ(sid->subAuthorities[0], 21u);
    auto name = system.UserName();
    ASSERT_TRUE(name);
    EXPECT_FALSE(name->empty());
    EXPECT_EQ(name->find('\0'), std::string::npos);
    auto drives = system.Drives();
    auto c = std::find_if(drives.begin(), drives.end(), [](const DriveInfo& d) { return d.path == "C:"; });
    ASSERT_NE(c, drives.end());
    EXPECT_EQ(c->type, DriveType::Fixed);
    EXPECT_EQ(c->fileSystem, "NTFS");
    for (const DriveInfo& d : drives) {
        EXPECT_EQ(d.path.size(), 2u) << d.path;
        EXPECT_TRUE(d.type == DriveType::Fixed || d.fileSystem.empty()) << d.path << " " << d.fileSystem;
    }
}
#endif

}  // namespace
}  // namespace lumo
