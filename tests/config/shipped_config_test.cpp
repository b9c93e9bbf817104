// The shipped configuration: what the windows bind to by position, and what the file must keep.
#include <gtest/gtest.h>

#include <algorithm>
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
using testing::ShippedConfigPath;

// Loaded against a registry whose Shell Folders key holds the values a Windows profile has.
class ShippedConfig : public ::testing::Test {
protected:
    ShippedConfig() {
        for (const char* name : {"AppData", "Cache", "Cookies", "History", "Recent", "Local AppData"})
            RegKey(registry).SetRegValue(name, rvtString, std::string("C:\\Users\\me\\") + name, rkCurrentUser,
                                         "Software\\Microsoft\\Windows\\CurrentVersion\\Explorer\\Shell Folders");
        set.LoadConfig(ShippedConfigPath(), {&folders, &registry});
    }
    MemoryRegistry registry;
    SpecialFolders folders{"C:\\WINDOWS", "", "C:\\Users\\me\\Temp", "", "C:\\Users\\me\\Local", ""};
    PrivacyConfigs set;
};

// The items settings window binds its boxes to the first items of the first five records, and
// sets each record's flag from its bound items. Saving the file unchanged writes it again.
TEST_F(ShippedConfig, StartsWithTheBoundRootRecordsAndSavesUnchangedAsItWas) {
    const std::vector<std::string> bound = {
        "Windows: Recent Documents History|Recent Search History|Recent Run History|Open/Save Dialog Box History|"
        "Window Temp Files|Recycle Bin",
        "Internet Explorer: Address Bar History|Internet Browser History|AutoComplete History|"
        "Temporary Internet Files(Cache Files)|Downloaded Program Files|Cookies",
        "Opera: Global History|Cookies File|Address Bar File|Cache Files",
        "Netscape: Address Bar|History Files|Cache Files|Cookies",
        "Mozilla: Address Bar|History Files|Cache Files|Cookies"};
    ASSERT_GE(set.Count(), 5);
    for (int32_t k = 1; k <= 5; ++k) {
        const PrivacyConfig& pc = set.item(k);
        std::vector<std::string> titles;
        bool any = false;
        for (int32_t i = 1; i <= std::min<int32_t>(pc.Items.Count(), Split(bound[k - 1], "|").size()); ++i)
            titles.push_back(pc.Items.item(i).Title), any = any || pc.Items.item(i).Selected;
        EXPECT_EQ(pc.Software + ": " + Join(titles, "|"), bound[k - 1]);
        EXPECT_TRUE(pc.SoftwareType == stRoot && pc.Selected == any) << pc.Software;
    }
    std::string enciphered = ReadBytes(ShippedConfigPath());
    EXPECT_EQ(Crypt::DeCryptLines(enciphered), ReadBytes(testing::ShippedPlainPath()));
    EXPECT_NE(enciphered.find("\r\n"), std::string::npos) << "lines end as the program writes them";
    testing::ScratchFolder dir;
    set.SaveConfig(dir.Path("PrivacyConfig.dat"));
    EXPECT_EQ(ReadBytes(dir.Path("PrivacyConfig.dat")), enciphered);
}

// Root, then at least ten applications, then one unselected example; every item well formed,
// regular where its keys exist, with a unique title, and its paths starting with a placeholder.
TEST_F(ShippedConfig, EveryRecordAndItemIsWellFormed) {
    const std::set<std::string> parsers = {
        "ParseRecycleBin",         "ParseIEAutoComplete",    "ParseMozillaAddressHistory",
        "ParseMozillaHistoryFile", "ParseMozillaCacheFiles", "ParseMozillaCookies"};
    std::set<std::string> names;
    std::vector<int32_t> types;
    for (const PrivacyConfig& pc : set) {
        EXPECT_TRUE(names.insert(UpperCase(pc.Software)).second) << "two records named " << pc.Software;
        types.push_back(pc.SoftwareType);
        EXPECT_TRUE(pc.Items.Count() > 0 && (pc.SoftwareType != stCustoms || !pc.Selected)) << pc.Software;
        std::set<std::string> titles;
        int32_t position = 0;
        for (const std::string& line : pc.FileLines) {
            if (StartsWith(line, "--") || line.find("><") == std::string::npos)
                continue;
            const PrivacyItem& pi = pc.Items.item(++position);
            std::string where = pc.Software + " / " + pi.Title, seek = Split(line, "><")[1], parser = pi.SeekSetting(1);
            EXPECT_TRUE(titles.insert(pi.Title).second) << "the writer would confuse two items titled " << where;
            EXPECT_FALSE(pi.HoldFlag || pi.Irregular || pi.ItemType == pitNone || pi.SeekSettings.empty()) << where;
            const int32_t type = pi.ItemType;
            EXPECT_TRUE((type != pitFile && type != pitFolder && type != pitIniFileItem) || StartsWith(seek, "%"))
                << where << ": " << seek;
            EXPECT_TRUE((type != pitRegValue && type != pitRegKey) || parser == "HKEY_CURRENT_USER") << where;
            // The Mozilla parsers need their profiles folder, a browser's parser its folder.
            EXPECT_TRUE(type != pitCustomize ||
                        (parsers.count(parser) ? !StartsWith(parser, "ParseMozilla") || pi.SeekSettings.size() == 2
                                               : FindBrowserParser(parser) && pi.SeekSettings.size() >= 2))
                << where;
        }
        EXPECT_EQ(position, pc.Items.Count()) << pc.Software;
    }
    EXPECT_GE(std::count(types.begin(), types.end(), stPlugins), 10);
    EXPECT_EQ(std::count(types.begin(), types.end(), stCustoms), 1);
    EXPECT_TRUE(std::is_sorted(types.begin(), types.end())) << "Root, then Plugins, then Customs";
}

}  // namespace
}  // namespace lumo
