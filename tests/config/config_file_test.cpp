#include <gtest/gtest.h>

#include <filesystem>
#include <functional>
#include <optional>
#include <set>
#include <string>
#include <vector>

#include "config/config_error.h"
#include "base/text.h"
#include "config/privacy_configs.h"
#include "platform/portable/memory_registry.h"
#include "registry/reg_key.h"
#include "config_description.h"
#include "support/enciphered_lines.h"

namespace lumo {
namespace {

using testing::DescribeConfig;
using testing::Enciphered;
using testing::PlainLines;
using testing::ReadBytes;
using testing::ScratchFolder;
using testing::WriteBytes;
using Lines = std::vector<std::string>;

// The folders and registry placeholders resolve against: one Windows folder and one registry value.
struct Machine {
    SpecialFolders folders;
    MemoryRegistry registry;
    Machine() {
        folders.WindowsDir = "C:\\WINDOWS";
        RegKey(registry).SetRegValue("Cache", rvtString, std::string("C:\\Cache"), rkCurrentUser, "Software\\Shell");
    }
    PlaceholderContext Places() { return {&folders, &registry}; }
};

// Lines written one after another, each ended by "|".
Lines L(std::string_view text) {
    Lines lines = Split(text, "|");
    lines.pop_back();
    return lines;
}

// The line of two characters in four bytes is too short to count.
const Lines kTwoRecords =
    L("-- header comment||\xC3\xA9\xC3\xA9|[Config]|Software:Windows|Type:Root|Description:The system|Selected:1|"
      "Version:2.1|Recent<>1<>0<>RegValue><HKEY_CURRENT_USER<>Software\\Recent<>*|-- inner comment|"
      "Temp<>0<>1<>Folder><%windowsdir%\\Temp><C:\\keep.txt<>C:\\keep2.txt|"
      "[Config]|Software:Tool|Type:plugins|Selected:0|Odd<>1<>0<>Weird<>extra field><a<>b><C:\\held|"
      "Missing<>1<>0<>Folder><%HKEY_CURRENT_USER<>Software\\Nope<>V%\\x|"
      "Present<>1<>0<>Folder><%HKEY_CURRENT_USER<>Software\\Shell<>Cache%\\x|Empty<>1<>0<>Folder><|");

// The call raises the configuration error `number`, naming `file` and saying `says` (when given).
void ExpectConfigError(const std::function<void()>& call, int32_t number, const std::string& file,
                       const std::string& says) {
    try {
        call();
        ADD_FAILURE() << "no error raised";
    } catch (const ConfigError& e) {
        EXPECT_EQ(e.Number, number);
        EXPECT_NE(e.Description.find(file), std::string::npos) << e.Description;
        EXPECT_NE(e.Description.find(says), std::string::npos) << e.Description;
    }
}

TEST(LoadConfig, ReadsRecordsFieldsAndItemsAndKeepsTheirLines) {
    ScratchFolder dir;
    std::string file = dir.Path("PrivacyConfig.dat");
    WriteBytes(file, Enciphered(kTwoRecords));
    Machine machine;
    PrivacyConfigs set;
    set.LoadConfig(file, machine.Places());
    EXPECT_EQ(DescribeConfig(set),
              "[Windows|1|The system|1|2.1]\n"
              "  Windows|Recent|1|0|1|0|seek<HKEY_CURRENT_USER><Software\\Recent><*>\n"
              "  Windows|Temp|0|1|5|0|seek<C:\\WINDOWS\\Temp>|hold<C:\\keep.txt><C:\\keep2.txt>\n"
              "[Tool|0||0|]\n"  // type words are case-sensitive
              "  Tool|Odd|1|0|0|0|seek<a><b>\n"
              "  Tool|Missing|1|0|5|1|seek\n"  // a registry placeholder of a missing key: irregular
              "  Tool|Present|1|0|5|0|seek<C:\\Cache\\x>\n"
              "  Tool|Empty|1|0|5|0|seek\n");  // an empty seek string is not irregular
    EXPECT_TRUE(set.item(2).Items.item(1).HoldSettings.empty()) << "a third part counts only with the hold flag";
    // The header lines belong to the first record, ahead of its own lines.
    EXPECT_EQ(set.item(1).FileLines, Lines(kTwoRecords.begin(), kTwoRecords.begin() + 12));
    EXPECT_EQ(set.item(2).FileLines, Lines(kTwoRecords.begin() + 12, kTwoRecords.end()));
}

TEST(LoadConfig, AcceptsEveryLineBreakAndBlanksAroundTheDigitsAndFindsItsFileInTheCurrentFolder) {
    ScratchFolder dir;
    WriteBytes(dir.Path("PrivacyConfig.dat"), "  " + Crypt::EnCrypt("[Config]") + " \n" + Crypt::EnCrypt("Software:S") +
                                                  "\r" + Crypt::EnCrypt("A<>1<>0<>File><C:\\x"));
    std::filesystem::path old = std::filesystem::current_path();
    std::filesystem::current_path(dir.FsPath());
    PrivacyConfigs set;
    EXPECT_NO_THROW(set.LoadConfig());
    std::filesystem::current_path(old);
    EXPECT_EQ(DescribeConfig(set), "[S|0||0|]\n  S|A|1|0|4|0|seek<C:\\x>\n");
}

// A file that cannot be read: the failure's number, the file and the line it names, and what
// the set holds afterwards (it held one record, "kept", before).
TEST(LoadConfig, AFailureNamesItsNumberTheFileAndTheLine) {
    struct Case {
        const char* what;
        std::optional<std::string> bytes;  // none: no file
        int32_t number;
        int line;
        int recordsLeft;
    };
    const Case cases[] = {
        {"bad hex", Enciphered({"[Config]", "Software:S"}) + "8DZZ\r\n", 13, 3, 1},
        {"odd digits", Enciphered({"[Config]"}) + "8DB\r\n", 13, 2, 1},
        {"short header", Enciphered({"[Config]", "Software:S", "A<>1<>0><C:\\x"}), 9, 3, 1},
        {"no separator", Enciphered({"[Config]", "[Config]", "A<>1<>0<>File"}), 9, 3, 2},
        {"three characters are an item line", Enciphered({"[Config]", "a>b"}), 9, 2, 1},
        {"field first", Enciphered({"-- c", "Software:S", "[Config]"}), 91, 2, 0},
        {"item first", Enciphered({"A<>1<>0<>File><C:\\x"}), 91, 1, 0},
        {"missing file", std::nullopt, 53, 0, 1},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        ScratchFolder dir;
        std::string file = dir.Path("broken.dat");
        if (c.bytes)
            WriteBytes(file, *c.bytes);
        PrivacyConfigs set;
        set.Add(std::make_unique<PrivacyConfig>()).Software = "kept";
        ExpectConfigError([&] { set.LoadConfig(file); }, c.number, file,
                          c.line ? "line " + std::to_string(c.line) : std::string());
        ASSERT_EQ(set.Count(), c.recordsLeft);
        if (!c.bytes) {
            EXPECT_EQ(set.item(1).Software, "kept");
        }
    }
}

PrivacyItem& Item(PrivacyConfigs& set, int record, int item) { return set.item(record).Items.item(item); }

// Saving rewrites only selection, hold flags and hold settings of the lines the file had; each
// record below shows one side of it.
TEST(SaveConfig, RewritesSelectionAndHoldOfTheLinesTheFileHad) {
    ScratchFolder dir;
    std::string file = dir.Path("PrivacyConfig.dat");
    WriteBytes(file, Enciphered(L("-- top||[Config]|Software:S|Selected:0|Description:d|A<>1<>0<>File><x><C:\\keep|"
                                  "B<>0<>0<>Folder<>note><%windowsdir%\\Temp|"
                                  "[Config]|Software:Hold|A<>1<>0<>Folder><x|B<>1<>1<>Folder><y><old|"
                                  "C<>1<>1<>Folder><x><keep|"
                                  "[Config]|Software:Titles|A<>0<>0<>File><x|B<>0<>0<>File><z|A<>0<>0<>File><y|"
                                  "  [Config] | Software:Blanks| Selected:1 |  A<>0<>0<>File><x ><dropped| -- note |"
                                  "I<>1<>0<>File><%HKEY_CURRENT_USER<>Software\\Missing<>V%\\x<>*.tmp|"
                                  "[Config]|Software:NoSelectedLine|")));
    Machine machine;
    PrivacyConfigs set;
    set.LoadConfig(file, machine.Places());
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
    EXPECT_EQ(PlainLines(file),
              L("-- top||[Config]|Software:S|Selected:1|Description:d|A<>1<>0<>File><x|"
                "B<>1<>0<>Folder<>note><%windowsdir%\\Temp|"
                "[Config]|Software:Hold|A<>1<>1<>Folder><x><k1<>k2|B<>1<>1<>Folder><y|C<>1<>0<>Folder><x|"
                "[Config]|Software:Titles|A<>1<>0<>File><x|B<>0<>0<>File><z|A<>0<>1<>File><y|"
                "[Config]|Software:Blanks|Selected:1|A<>1<>0<>File><x|-- note|"
                "I<>0<>0<>File><%HKEY_CURRENT_USER<>Software\\Missing<>V%\\x<>*.tmp|-- added|"
                "[Config]|Software:NoSelectedLine|"));
}

// A save that fails leaves every file and folder as it was, the configuration's own included.
TEST(SaveConfig, AFailedSaveNamesTheFileAndLeavesNothingBehind) {
    struct Case {
        const char* what;
        const char* extraLine;  // added to the record's lines
        const char* file;
        int32_t number;
        const char* says;
    };
    const Case cases[] = {
        {"a title no item has", "B<>1<>0<>File><y", "S.dat", 91, "no item of the record titled \"B\""},
        {"more lines of a title than items", "A<>1<>0<>File><y", "S.dat", 91, "only 1 item(s)"},
        {"no separator", "A<>1<>0<>File", "S.dat", 9, "record 1 (\"S\"), line 4"},
        {"short header", "A<>1><x", "S.dat", 9, "\"S\""},
        {"a missing folder", "", "no such folder/S.dat", 75, "(No such file or directory)"},
        {"a folder in the file's place", "", "folder", 75, "cannot be replaced"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        ScratchFolder dir;
        std::string source = dir.Path("S.dat"), file = dir.Path(c.file);
        WriteBytes(source, Enciphered({"[Config]", "Software:S", "A<>1<>0<>File><x"}));
        std::filesystem::create_directory(dir.Path("folder"));
        PrivacyConfigs set;
        set.LoadConfig(source);
        set.item(1).Selected = true;
        if (*c.extraLine)
            set.item(1).FileLines.push_back(c.extraLine);
        auto tree = [&dir] {
            std::set<std::string> paths;
            for (const auto& e : std::filesystem::recursive_directory_iterator(dir.FsPath()))
                paths.insert(e.path().string() + (e.is_directory() ? "/" : ":" + ReadBytes(e.path().string())));
            return paths;
        };
        const std::set<std::string> before = tree();
        ExpectConfigError([&] { set.SaveConfig(file); }, c.number, file, c.says);
        EXPECT_EQ(tree(), before);
    }
}

// Any file that loads saves; the saved file loads to the same records and items; saving that
// again gives the same bytes. The files are the kinds a fuzzer found breaking it.
TEST(ConfigFile, EveryFileThatLoadsRoundTrips) {
    const std::vector<Lines> files = {
        kTwoRecords,
        L("[Config]|Software:S|A<>1<>0<>File><x|A<>0<>1<>File><y><h|A<>1<>1<>File><z|"),
        L("[Config]|Software:S| Item<>1<>0<>File><x|Item <>0<>0<>File><y|"),
        L("[Config]|Software:S|A<>1<>0<>File><x  ><dropped|B<>1<>1<>File><y ><h1<> <>h2 |"),
        L(" -- c|  |[Config]|Selected:1 |Software: S |A<>1<>0<>File><|"),
        L("[Config]|Software:S|A<>1<>0<>File><x><y><z|Caf\xC3\xA9 \xC3\xBF<>1<>0<>File><%windowsdir%|"),
    };
    Machine machine;
    for (const Lines& lines : files) {
        ScratchFolder dir;
        std::string file = dir.Path("PrivacyConfig.dat"), first = dir.Path("first.dat"),
                    second = dir.Path("second.dat");
        WriteBytes(file, Enciphered(lines));
        PrivacyConfigs set, again;
        set.LoadConfig(file, machine.Places());
        for (PrivacyConfig& pc : set)
            for (PrivacyItem& pi : pc.Items)
                pi.Selected = !pi.Selected;
        ASSERT_NO_THROW(set.SaveConfig(first)) << lines.back();
        ASSERT_NO_THROW(again.LoadConfig(first, machine.Places())) << lines.back();
        EXPECT_EQ(DescribeConfig(again), DescribeConfig(set));
        again.SaveConfig(second);
        EXPECT_EQ(ReadBytes(second), ReadBytes(first)) << lines.back();
    }
}

TEST(RefreshPluginsConfig, ReadsPlainLinesAndKeepsNoLines) {
    ScratchFolder dir;
    std::string plain = dir.Path("plugins.txt");
    WriteBytes(plain,
               "-- plain\r\n[Config]\r\nSoftware:Caf\xE9\r\nType:Plugins\r\nA<>1<>0<>Folder><%windowsdir%\\x\r\n");
    Machine machine;
    PrivacyConfigs set;
    set.RefreshPluginsConfig(plain, ".", machine.Places());
    // Plain files are in the ANSI code page.
    EXPECT_EQ(DescribeConfig(set), "[Caf\xC3\xA9|2||0|]\n  Caf\xC3\xA9|A|1|0|5|0|seek<C:\\WINDOWS\\x>\n");
    EXPECT_TRUE(set.item(1).FileLines.empty());
    std::string saved = dir.Path("saved.dat");
    set.SaveConfig(saved);
    EXPECT_EQ(ReadBytes(saved), "") << "records without lines write nothing";
}

}  // namespace
}  // namespace lumo
