// The configuration over the real Windows services (run under Wine): the special folders of the
// prefix, and the shipped configuration against the prefix's registry.
#ifdef _WIN32
#include <gtest/gtest.h>

#include <cstdlib>
#include <filesystem>
#include <string>

#include "base/text.h"
#include "config/privacy_configs.h"
#include "config/system_folders.h"
#include "platform/win32/win32_registry.h"
#include "platform/win32/win32_shell.h"
#include "registry/reg_key.h"
#include "shipped_config.h"

namespace lumo {
namespace {

std::string Env(const char* name) {
    const char* v = std::getenv(name);
    return v ? std::string(v) : std::string();
}

bool IsFolder(const std::string& path) { return std::filesystem::is_directory(std::filesystem::u8path(path)); }

TEST(Win32SpecialFolders, AreThoseOfThePrefix) {
    Win32Shell shell;
    Win32Registry registry;
    SpecialFolders f;
    InitSpecialFolders(f, &shell, &registry);
    struct Expect {
        const char* what;
        const std::string& folder;
        std::string expected;
    };
    for (const Expect& e : {Expect{"WindowsDir", f.WindowsDir, Env("WINDIR")},
                            Expect{"SystemDir", f.SystemDir, Env("WINDIR") + "\\system32"},
                            Expect{"TemporaryDir", f.TemporaryDir, Env("TEMP")},
                            Expect{"UserProfileDir", f.UserProfileDir, Env("USERPROFILE")},
                            Expect{"AppDataDir", f.AppDataDir, Env("LOCALAPPDATA")},
                            Expect{"ProgramFilesDir", f.ProgramFilesDir, Env("ProgramFiles")}}) {
        ASSERT_FALSE(e.expected.empty()) << e.what;
        EXPECT_TRUE(EqualsIgnoreCase(e.folder, e.expected)) << e.what << ": " << e.folder << " / " << e.expected;
        EXPECT_TRUE(IsFolder(e.folder)) << e.what << ": " << e.folder;
        EXPECT_NE(e.folder.back(), '\\') << e.what;
    }
}

TEST(Win32Shell, ReportsWhatItCannotOpenOrStart) {
    Win32Shell shell;
    EXPECT_FALSE(shell.OpenDocument("C:\\no such folder\\no such file.lumo-test"));
    EXPECT_FALSE(shell.StartCommand("\"C:\\no such folder\\no-such-program.exe\" /x"));
}

// The shipped configuration on the prefix's registry: the cache folder of Internet Explorer comes
// from the prefix's own Shell Folders key, and most items resolve on a fresh prefix.
TEST(Win32ShippedConfig, ResolvesRegistryPlaceholdersFromThePrefix) {
    Win32Shell shell;
    Win32Registry registry;
    SpecialFolders folders;
    InitSpecialFolders(folders, &shell, &registry);
    PrivacyConfigs set;
    set.LoadConfig(testing::ShippedConfigPath(), {&folders, &registry});
    ASSERT_GE(set.Count(), 5);
    auto cache = RegKey(registry).GetRegValue("Cache", rkCurrentUser,
                                              "Software\\Microsoft\\Windows\\CurrentVersion\\Explorer\\Shell Folders");
    ASSERT_TRUE(cache) << "the prefix has the Shell Folders key";
    const PrivacyItem& ieCache = set.item(2).Items.item(4);
    ASSERT_FALSE(ieCache.Irregular);
    EXPECT_EQ(ieCache.SeekSetting(1), cache->ValueDataString());
    int irregular = 0, items = 0;
    for (const PrivacyConfig& pc : set)
        for (const PrivacyItem& pi : pc.Items)
            irregular += pi.Irregular, ++items;
    EXPECT_GT(items - irregular, 60);
}

}  // namespace
}  // namespace lumo
#endif
