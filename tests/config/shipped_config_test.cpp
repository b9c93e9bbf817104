// The shipped configuration: what the windows bind to by position, and what the file must keep.
#include <gtest/gtest.h>

#include <filesystem>
#include <set>
#include <string>
#include <vector>

#include "base/text.h"
#include "cleaner/browser_parsers.h"
#include "config/crypt.h"
#include "config/privacy_configs.h"
#include "platform/portable/memory_registry.h"
#include "registry/reg_key.h"
#include "shipped_config.h"
#include "support/enciphered_lines.h"

namespace lumo {
namespace {

using testing::ReadBytes;
using testing::ScratchFolder;
using testing::ShippedConfigPath;
using testing::ShippedPlainPath;
using Lines = std::vector<std::string>;

constexpr const char* kShellFolders = "Software\\Microsoft\\Windows\\CurrentVersion\\Explorer\\Shell Folders";

// A registry whose Shell Folders key holds the values a Windows profile has.
class ShippedConfig : public ::testing::Test {
protected:
    ShippedConfig() {
        RegKey rk(registry);
        for (const char* name : {"AppData", "Cache", "Cookies", "History", "Recent", "Local AppData"})
            rk.SetRegValue(name, rvtString, std::string("C:\\Users\\me\\") + name, rkCurrentUser, kShellFolders);
        folders.WindowsDir = "C:\\WINDOWS";
        folders.TemporaryDir = "C:\\Users\\me\\Temp";
        folders.AppDataDir = "C:\\Users\\me\\Local";
        set.LoadConfig(ShippedConfigPath(), {&folders, &registry});
    }
    MemoryRegistry registry;
    SpecialFolders folders;
    PrivacyConfigs set;
};

struct Bound {
    const char* software;
    Lines titles;
};

TEST_F(ShippedConfig, StartsWithTheRootRecordsTheItemsSettingsWindowBinds) {
    const std::vector<Bound> bound = {
        {"Windows",
         {"Recent Documents History", "Recent Search History", "Recent Run History", "Open/Save Dialog Box History",
          "Window Temp Files", "Recycle Bin"}},
        {"Internet Explorer",
         {"Address Bar History", "Internet Browser History", "AutoComplete History",
          "Temporary Internet Files(Cache Files)", "Downloaded Program Files", "Cookies"}},
        {"Opera", {"Global History", "Cookies File", "Address Bar File", "Cache Files"}},
        {"Netscape", {"Address Bar", "History Files", "Cache Files", "Cookies"}},
        {"Mozilla", {"Address Bar", "History Files", "Cache Files", "Cookies"}},
    };
    ASSERT_GE(set.Count(), 5);
    for (size_t k = 0; k < bound.size(); ++k) {
        const PrivacyConfig& pc = set.item(static_cast<int32_t>(k + 1));
        EXPECT_EQ(pc.Software, bound[k].software);
        EXPECT_EQ(pc.SoftwareType, stRoot) << pc.Software;
        ASSERT_GE(pc.Items.Count(), static_cast<int32_t>(bound[k].titles.size())) << pc.Software;
        bool any = false;
        for (size_t i = 0; i < bound[k].titles.size(); ++i) {
            const PrivacyItem& pi = pc.Items.item(static_cast<int32_t>(i + 1));
            EXPECT_EQ(pi.Title, bound[k].titles[i]) << pc.Software << " item " << i + 1;
            any = any || pi.Selected;
        }
        // Saving the window's boxes sets the record's flag from its bound items.
        EXPECT_EQ(pc.Selected, any) << pc.Software;
    }
}

TEST_F(ShippedConfig, HoldsTenApplicationsAndOneUnselectedExampleAfterTheRoots) {
    std::vector<int32_t> types;
    int plugins = 0, customs = 0;
    for (const PrivacyConfig& pc : set) {
        types.push_back(pc.SoftwareType);
        EXPECT_GT(pc.Items.Count(), 0) << pc.Software;
        if (pc.SoftwareType == stPlugins)
            ++plugins;
        if (pc.SoftwareType == stCustoms) {
            ++customs;
            EXPECT_FALSE(pc.Selected) << pc.Software;
        }
    }
    EXPECT_GE(plugins, 10);
    EXPECT_EQ(customs, 1);
    EXPECT_TRUE(std::is_sorted(types.begin(), types.end())) << "Root, then Plugins, then Customs";
}

TEST_F(ShippedConfig, EveryItemIsWellFormedAndRegularWhereItsKeysExist) {
    const std::set<std::string> parsers = {
        "ParseRecycleBin",         "ParseIEAutoComplete",    "ParseMozillaAddressHistory",
        "ParseMozillaHistoryFile", "ParseMozillaCacheFiles", "ParseMozillaCookies"};
    std::set<std::string> names;
    for (const PrivacyConfig& pc : set) {
        EXPECT_TRUE(names.insert(UpperCase(pc.Software)).second) << "two records named " << pc.Software;
        std::set<std::string> titles;
        for (const PrivacyItem& pi : pc.Items) {
            std::string where = pc.Software + " / " + pi.Title;
            EXPECT_TRUE(titles.insert(pi.Title).second) << "the writer would confuse two items titled " << where;
            EXPECT_FALSE(pi.HoldFlag) << where;
            EXPECT_FALSE(pi.Irregular) << where;
            EXPECT_NE(pi.ItemType, pitNone) << where;
            ASSERT_FALSE(pi.SeekSettings.empty()) << where;
            if (pi.ItemType == pitCustomize) {
                EXPECT_TRUE(parsers.count(pi.SeekSetting(1)) || FindBrowserParser(pi.SeekSetting(1))) << where;
                if (StartsWith(pi.SeekSetting(1), "ParseMozilla")) {
                    EXPECT_EQ(pi.SeekSettings.size(), 2u) << where << " needs its profiles folder";
                }
                if (StartsWith(pi.SeekSetting(1), "ParseChromium") || StartsWith(pi.SeekSetting(1), "ParseFirefox")) {
                    EXPECT_TRUE(FindBrowserParser(pi.SeekSetting(1))) << where;
                    EXPECT_GE(pi.SeekSettings.size(), 2u) << where << " needs its browser's folder";
                }
            }
            if (pi.ItemType == pitRegValue || pi.ItemType == pitRegKey) {
                EXPECT_EQ(pi.SeekSetting(1), "HKEY_CURRENT_USER") << where;
            }
        }
    }
}

TEST_F(ShippedConfig, FolderAndFilePathsStartWithAPlaceholder) {
    // The first seek setting of every File, Folder and IniFileItem item, as written in the file.
    for (const PrivacyConfig& pc : set) {
        int32_t position = 0;
        for (const std::string& line : pc.FileLines) {
            if (line.size() < 3 || StartsWith(line, "--") || line == "[Config]" || line.find("><") == std::string::npos)
                continue;
            const PrivacyItem& pi = pc.Items.item(++position);
            if (pi.ItemType == pitFile || pi.ItemType == pitFolder || pi.ItemType == pitIniFileItem) {
                std::string seek = Split(line, "><")[1];
                EXPECT_TRUE(StartsWith(seek, "%")) << pc.Software << " / " << pi.Title << ": " << seek;
            }
        }
        EXPECT_EQ(position, pc.Items.Count()) << pc.Software;
    }
}

TEST_F(ShippedConfig, SavingItUnchangedWritesTheSameFile) {
    ScratchFolder dir;
    std::string copy = dir.Path("PrivacyConfig.dat");
    set.SaveConfig(copy);
    EXPECT_EQ(ReadBytes(copy), ReadBytes(ShippedConfigPath()));
}

TEST(ShippedConfigFile, DeciphersToThePlainSource) {
    std::string enciphered = ReadBytes(ShippedConfigPath());
    ASSERT_FALSE(enciphered.empty());
    EXPECT_EQ(Crypt::DeCryptLines(enciphered), ReadBytes(ShippedPlainPath()));
    EXPECT_NE(enciphered.find("\r\n"), std::string::npos) << "lines end as the program writes them";
}

}  // namespace
}  // namespace lumo
