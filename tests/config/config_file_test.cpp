// The configuration file: what a load accepts and refuses, what a save writes.
#include <gtest/gtest.h>

#include <filesystem>
#include <functional>
#include <optional>
#include <string>
#include <vector>

#include "base/text.h"
#include "config/config_error.h"
#include "config/crypt.h"
#include "config/privacy_configs.h"
#include "config_description.h"
#include "platform/portable/memory_registry.h"
#include "registry/reg_key.h"
#include "support/enciphered_lines.h"

namespace lumo {
namespace {

using testing::DescribeConfig;
using testing::Enciphered;
using testing::WriteBytes;
using Lines = std::vector<std::string>;

// A configuration file in a scratch folder, loaded against one Windows folder and one registry value.
struct ConfigFile : ::testing::Test {
    testing::ScratchFolder dir;
    std::string file = dir.Path("PrivacyConfig.dat");
    SpecialFolders folders{"C:\\WINDOWS", "", "", "", "", ""};
    MemoryRegistry registry;
    PrivacyConfigs set;
    void Load(const Lines& lines) {
        RegKey(registry).SetRegValue("Cache", rvtString, std::string("C:\\Cache"), rkCurrentUser, "Software\\Shell");
        WriteBytes(file, Enciphered(lines));
        set.LoadConfig(file, {&folders, &registry});
    }
};

// Lines written one after another, each ended by "|".
Lines L(std::string_view text) {
    Lines lines = Split(text, "|");
    lines.pop_back();
    return lines;
}

// The call raises the configuration error `number`, naming `file` and saying `says`.
void ExpectConfigError(const std::function<void()>& call, int32_t number, const std::string& file,
                       const std::string& says) {
    try {
        call();
        ADD_FAILURE() << "no error raised";
    } catch (const ConfigError& e) {
        EXPECT_EQ(e.Number, number);
        EXPECT_TRUE(e.Description.find(file) != e.Description.npos && e.Description.find(says) != e.Description.npos)
            << e.Description;
    }
}

// Any line break, blanks around the digits, the file of the current folder; plain files are in
// the ANSI code page and keep no lines, so they save nothing.
TEST_F(ConfigFile, LoadAcceptsEveryLineBreakAndPlainFiles) {
    WriteBytes(file, "  " + Crypt::EnCrypt("[Config]") + " \n" + Crypt::EnCrypt("Software:S") + "\r" +
                         Crypt::EnCrypt("A<>1<>0<>File><C:\\x"));
    std::filesystem::path old = std::filesystem::current_path();
    std::filesystem::current_path(dir.FsPath());
    EXPECT_NO_THROW(set.LoadConfig());
    std::filesystem::current_path(old);
    EXPECT_EQ(DescribeConfig(set), "[S|0||0|]\n  S|A|1|0|4|0|seek<C:\\x>\n");
    WriteBytes(file,
               "-- plain\r\n[Config]\r\nSoftware:Caf\xE9\r\nType:Plugins\r\nA<>1<>0<>Folder><%windowsdir%\\x\r\n");
    set.RefreshPluginsConfig(file, ".", {&folders, &registry});
    EXPECT_EQ(DescribeConfig(set), "[Caf\xC3\xA9|2||0|]\n  Caf\xC3\xA9|A|1|0|5|0|seek<C:\\WINDOWS\\x>\n");
    set.SaveConfig(file);
    EXPECT_EQ(testing::ReadBytes(file), "");
}

// A file that cannot be read: the failure's number, the file and the line it names, and what
// the set holds afterwards (it held one record, "kept", before).
TEST_F(ConfigFile, ALoadFailureNamesItsNumberTheFileAndTheLine) {
    struct Case {
        std::optional<std::string> bytes;  // none: no file
        int32_t number;
        int line, recordsLeft;
    };
    const Case cases[] = {
        {Enciphered({"[Config]", "Software:S"}) + "8DZZ\r\n", 13, 3, 1},  // not hexadecimal
        {Enciphered({"[Config]"}) + "8DB\r\n", 13, 2, 1},  // odd digits
        {Enciphered({"[Config]", "Software:S", "A<>1<>0><C:\\x"}), 9, 3, 1},  // short header
        {Enciphered({"[Config]", "[Config]", "A<>1<>0<>File"}), 9, 3, 2},  // no separator
        {Enciphered({"[Config]", "a>b"}), 9, 2, 1},  // three characters are an item
        {Enciphered({"-- c", "Software:S", "[Config]"}), 91, 2, 0},  // a field first
        {Enciphered({"A<>1<>0<>File><C:\\x"}), 91, 1, 0},  // an item first
        {std::nullopt, 53, 0, 1},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(&c - cases);
        std::filesystem::remove(file);
        if (c.bytes)
            WriteBytes(file, *c.bytes);
        set.RemoveAll();
        set.Add(std::make_unique<PrivacyConfig>()).Software = "kept";
        ExpectConfigError([&] { set.LoadConfig(file); }, c.number, file,
                          c.line ? "line " + std::to_string(c.line) : "");
        ASSERT_EQ(set.Count(), c.recordsLeft);
        EXPECT_TRUE(c.bytes || set.item(1).Software == "kept");
    }
}

PrivacyItem& Item(PrivacyConfigs& set, int record, int item) { return set.item(record).Items.item(item); }

// Saving rewrites only selection, hold flags and hold settings of the lines the file had; each
// record below shows one side of it.
TEST_F(ConfigFile, SaveRewritesSelectionAndHoldOfTheLinesTheFileHad) {
    Load(
        L("-- top||[Config]|Software:S|Selected:0|Description:d|A<>1<>0<>File><x><C:\\keep|"
          "B<>0<>0<>Folder<>note><%windowsdir%\\Temp|"
          "[Config]|Software:Hold|A<>1<>0<>Folder><x|B<>1<>1<>Folder><y><old|C<>1<>1<>Folder><x><keep|"
          "[Config]|Software:Titles|A<>0<>0<>File><x|B<>0<>0<>File><z|A<>0<>0<>File><y|"
          "  [Config] | Software:Blanks| Selected:1 |  A<>0<>0<>File><x ><dropped| -- note |"
          "I<>1<>0<>File><%HKEY_CURRENT_USER<>Software\\Missing<>V%\\x<>*.tmp|[Config]|Software:NoSelectedLine|"));
    set.item(1).Selected = set.item(5).Selected = true;
    set.item(1).Software = set.item(1).Description = Item(set, 1, 1).SeekSettings.at(0) = "not saved";
    Item(set, 1, 2).Selected = true;
    Item(set, 2, 1).HoldFlag = true;
    Item(set, 2, 1).HoldSettings = {"k1", "k2"};
    Item(set, 2, 2).HoldSettings.clear();
    Item(set, 2, 3).HoldFlag = false;
    Item(set, 3, 1).Selected = Item(set, 3, 3).HoldFlag = true;  // each line of a title has its own item
    Item(set, 4, 1).Selected = true;
    Item(set, 4, 2).Selected = false;  // an irregular item keeps its seek string
    set.item(4).FileLines.push_back("  -- added  ");
    // A read-only file and a temporary file a failed save left are replaced.
    WriteBytes(file + ".tmp", "stale");
    std::filesystem::permissions(file, std::filesystem::perms::owner_write, std::filesystem::perm_options::remove);
    set.SaveConfig(file);
    EXPECT_FALSE(std::filesystem::exists(file + ".tmp"));
    EXPECT_EQ(testing::PlainLines(file),
              L("-- top||[Config]|Software:S|Selected:1|Description:d|A<>1<>0<>File><x|"
                "B<>1<>0<>Folder<>note><%windowsdir%\\Temp|"
                "[Config]|Software:Hold|A<>1<>1<>Folder><x><k1<>k2|B<>1<>1<>Folder><y|C<>1<>0<>Folder><x|"
                "[Config]|Software:Titles|A<>1<>0<>File><x|B<>0<>0<>File><z|A<>0<>1<>File><y|"
                "[Config]|Software:Blanks|Selected:1|A<>1<>0<>File><x|-- note|"
                "I<>0<>0<>File><%HKEY_CURRENT_USER<>Software\\Missing<>V%\\x<>*.tmp|-- added|"
                "[Config]|Software:NoSelectedLine|"));
}

// Files people have hold these digits: the key, and its wrap after 30 bytes, never change; text
// goes through the ANSI code page, and what is no pair of digits fails with Type mismatch.
TEST(Crypt, EnciphersToTheDigitsExistingFilesHold) {
    for (const auto& [plain, digits] :
         {std::pair<std::string, std::string>{"[Config]", "8DB8C8BC7FB768AB"},
          {"Software:Windows", "85E4BFC290AF73B344B95BCBFECD1303"},
          {std::string(31, '\xFF'), "3275594E194E014E0A62F15D9A5E9B8FEC5878760CFF505B114EC55B01FF32"}}) {
        EXPECT_EQ(Crypt::EnCryptBytes(plain), digits);
        EXPECT_EQ(Crypt::DeCryptBytes(digits), plain);
    }
    EXPECT_EQ(Crypt::EnCrypt("caf\xC3\xA9 \xE2\x82\xAC"), Crypt::EnCryptBytes("caf\xE9 \x80"));
    ExpectConfigError([] { Crypt::DeCrypt("8DG8"); }, 13, "", "G8");
}

}  // namespace
}  // namespace lumo
