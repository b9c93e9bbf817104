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

// The folders are the prefix's, and the shipped configuration's cache folder of Internet Explorer
// comes from the prefix's own Shell Folders key; most items resolve on a fresh prefix.
TEST(Win32Config, SpecialFoldersAndRegistryPlaceholdersAreThoseOfThePrefix) {
    Win32Shell shell;
    Win32Registry registry;
    SpecialFolders f;
    InitSpecialFolders(f, &shell, &registry);
    auto env = [](const char* name) { return std::string(std::getenv(name) ? std::getenv(name) : ""); };
    for (auto [folder, expected] : {std::pair{f.WindowsDir, env("WINDIR")},
                                    {f.SystemDir, env("WINDIR") + "\\system32"},
                                    {f.TemporaryDir, env("TEMP")},
                                    {f.UserProfileDir, env("USERPROFILE")},
                                    {f.AppDataDir, env("LOCALAPPDATA")},
                                    {f.ProgramFilesDir, env("ProgramFiles")}}) {
        EXPECT_TRUE(!expected.empty() && EqualsIgnoreCase(folder, expected)) << folder << " / " << expected;
        EXPECT_TRUE(std::filesystem::is_directory(std::filesystem::u8path(folder)) && folder.back() != '\\') << folder;
    }
    PrivacyConfigs set;
    set.LoadConfig(testing::ShippedConfigPath(), {&f, &registry});
    ASSERT_GE(set.Count(), 5);
    auto cache = RegKey(registry).GetRegValue("Cache", rkCurrentUser,
                                              "Software\\Microsoft\\Windows\\CurrentVersion\\Explorer\\Shell Folders");
    ASSERT_TRUE(cache) << "the prefix has the Shell Folders key";
    const PrivacyItem& ieCache = set.item(2).Items.item(4);
    EXPECT_TRUE(!ieCache.Irregular && ieCache.SeekSetting(1) == cache->ValueDataString()) << ieCache.SeekSetting(1);
    int regular = 0;
    for (const PrivacyConfig& pc : set)
        for (const PrivacyItem& pi : pc.Items)
            regular += !pi.Irregular;
    EXPECT_GT(regular, 60);
}

TEST(Win32Shell, ReportsWhatItCannotOpenOrStart) {
    Win32Shell shell;
    EXPECT_FALSE(shell.OpenDocument("C:\\no such folder\\no such file.lumo-test"));
    EXPECT_FALSE(shell.StartCommand("\"C:\\no such folder\\no-such-program.exe\" /x"));
}

}  // namespace
}  // namespace lumo
#endif
