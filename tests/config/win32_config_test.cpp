// The configuration over the real Windows services (run under Wine): the special folders of the
// prefix, and the shipped configuration against the prefix's registry.
#ifdef _WIN32
#include <gtest/gtest.h>

#include <cstdlib>
#include <filesystem>
#include <string>
#include <vector>

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

// Every registry placeholder of a seek string names a key; the item is irregular exactly when one
// of those keys is missing.
TEST(Win32ShippedConfig, ItemsAreRegularWhereTheKeysTheyNameExist) {
    Win32Shell shell;
    Win32Registry registry;
    SpecialFolders folders;
    InitSpecialFolders(folders, &shell, &registry);
    PrivacyConfigs set;
    set.LoadConfig(testing::ShippedConfigPath(), {&folders, &registry});
    ASSERT_GE(set.Count(), 5);

    RegKey probe(registry);
    ASSERT_TRUE(probe.GetRegValue("Cache", rkCurrentUser,
                                  "Software\\Microsoft\\Windows\\CurrentVersion\\Explorer\\Shell Folders"))
        << "the prefix has the Shell Folders key";
    int regular = 0, withRegistryPlaceholders = 0;
    for (PrivacyConfig& pc : set) {
        int32_t position = 0;
        for (const std::string& line : pc.FileLines) {
            if (line.size() < 3 || StartsWith(line, "--") || line == "[Config]" || line.find("><") == std::string::npos)
                continue;
            const PrivacyItem& pi = pc.Items.item(++position);
            std::string seek = Split(line, "><")[1];
            bool missing = false, any = false;
            std::vector<std::string> pieces = Split(seek, "%");
            for (size_t i = 1; i < pieces.size(); i += 2) {
                std::vector<std::string> parts = Split(pieces[i], "<>");
                if (parts.size() != 3)
                    continue;
                any = true;
                missing = missing || !probe.GetRegValue(parts[2], RegKey::TransRootKey(parts[0]), parts[1]);
            }
            withRegistryPlaceholders += any;
            EXPECT_EQ(pi.Irregular, missing) << pc.Software << " / " << pi.Title << ": " << seek;
            regular += !pi.Irregular;
            if (any && !missing) {
                EXPECT_EQ(pi.SeekSetting(1).find('%'), std::string::npos) << pc.Software << " / " << pi.Title;
            }
        }
    }
    EXPECT_GT(withRegistryPlaceholders, 20);
    EXPECT_GT(regular, 60);

    // The cache folder of Internet Explorer comes from the prefix's own Shell Folders key.
    const PrivacyItem& cache = set.item(2).Items.item(4);
    ASSERT_FALSE(cache.Irregular);
    EXPECT_EQ(cache.SeekSetting(1),
              probe
                  .GetRegValue("Cache", rkCurrentUser,
                               "Software\\Microsoft\\Windows\\CurrentVersion\\Explorer\\Shell Folders")
                  ->ValueDataString());
}

}  // namespace
}  // namespace lumo
#endif
