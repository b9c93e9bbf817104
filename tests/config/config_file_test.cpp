#include <gtest/gtest.h>

#include <filesystem>
#include <string>
#include <vector>

#include "config/config_error.h"
#include "config/privacy_configs.h"
#include "platform/portable/memory_registry.h"
#include "registry/reg_key.h"
#include "config_description.h"
#include "support/enciphered_lines.h"

namespace lumo {
namespace {

using testing::Enciphered;
using testing::PlainLines;
using testing::ReadBytes;
using testing::ScratchFolder;
using testing::WriteBytes;
using Lines = std::vector<std::string>;

const Lines kTwoRecords = {
    "-- header comment",
    "",
    "x",
    "[Config]",
    "Software:Windows",
    "Type:Root",
    "Description:The system",
    "Selected:1",
    "Version:2.1",
    "Recent<>1<>0<>RegValue><HKEY_CURRENT_USER<>Software\\Recent<>*",
    "-- inner comment",
    "Temp<>0<>1<>Folder><%windowsdir%\\Temp><C:\\keep.txt<>C:\\keep2.txt",
    "[Config]",
    "Software:Tool",
    "Type:plugins",
    "Selected:0",
    "Odd<>1<>0<>Weird<>extra field><a<>b><C:\\held",
};

TEST(LoadConfig, ReadsRecordsFieldsAndItemsAndKeepsTheirLines) {
    ScratchFolder dir;
    std::string file = dir.Path("PrivacyConfig.dat");
    WriteBytes(file, Enciphered(kTwoRecords));
    SpecialFolders folders;
    folders.WindowsDir = "C:\\WINDOWS";

    PrivacyConfigs set;
    set.LoadConfig(file, {&folders, nullptr});

    ASSERT_EQ(set.Count(), 2);
    PrivacyConfig& windows = set.item(1);
    EXPECT_EQ(windows.Software, "Windows");
    EXPECT_EQ(windows.SoftwareType, stRoot);
    EXPECT_EQ(windows.Description, "The system");
    EXPECT_TRUE(windows.Selected);
    EXPECT_EQ(windows.Version, "2.1");
    ASSERT_EQ(windows.Items.Count(), 2);
    const PrivacyItem& recent = windows.Items.item(1);
    EXPECT_EQ(recent.Software, "Windows");
    EXPECT_EQ(recent.Title, "Recent");
    EXPECT_TRUE(recent.Selected);
    EXPECT_FALSE(recent.HoldFlag);
    EXPECT_EQ(recent.ItemType, pitRegValue);
    EXPECT_EQ(recent.SeekSettings, (Lines{"HKEY_CURRENT_USER", "Software\\Recent", "*"}));
    const PrivacyItem& temp = windows.Items.item(2);
    EXPECT_FALSE(temp.Selected);
    EXPECT_TRUE(temp.HoldFlag);
    EXPECT_EQ(temp.SeekSettings, (Lines{"C:\\WINDOWS\\Temp"}));
    EXPECT_EQ(temp.HoldSettings, (Lines{"C:\\keep.txt", "C:\\keep2.txt"}));
    EXPECT_FALSE(temp.Irregular);
    // The header lines belong to the first record, ahead of its own lines.
    EXPECT_EQ(windows.FileLines, Lines(kTwoRecords.begin(), kTwoRecords.begin() + 12));

    PrivacyConfig& tool = set.item(2);
    EXPECT_EQ(tool.SoftwareType, stOther) << "type words are case-sensitive";
    EXPECT_FALSE(tool.Selected);
    EXPECT_EQ(tool.FileLines, Lines(kTwoRecords.begin() + 12, kTwoRecords.end()));
    const PrivacyItem& odd = tool.Items.item(1);
    EXPECT_EQ(odd.ItemType, pitNone);
    EXPECT_EQ(odd.SeekSettings, (Lines{"a", "b"}));
    EXPECT_TRUE(odd.HoldSettings.empty()) << "a third part counts only with the hold flag";
}

TEST(LoadConfig, AcceptsEveryLineBreakAndBlanksAroundTheDigits) {
    ScratchFolder dir;
    std::string file = dir.Path("c.dat");
    std::string bytes = "  " + Crypt::EnCrypt("[Config]") + " \n" + Crypt::EnCrypt("Software:S") + "\r" +
                        Crypt::EnCrypt("A<>1<>0<>File><C:\\x");
    WriteBytes(file, bytes);
    PrivacyConfigs set;
    set.LoadConfig(file);
    ASSERT_EQ(set.Count(), 1);
    EXPECT_EQ(set.item(1).Software, "S");
    EXPECT_EQ(set.item(1).Items.Count(), 1);
}

TEST(LoadConfig, WithoutAFileNameReadsPrivacyConfigDatInTheCurrentFolder) {
    ScratchFolder dir;
    WriteBytes(dir.Path("PrivacyConfig.dat"), Enciphered({"[Config]", "Software:Here"}));
    std::filesystem::path old = std::filesystem::current_path();
    std::filesystem::current_path(dir.FsPath());
    PrivacyConfigs set;
    EXPECT_NO_THROW(set.LoadConfig());
    std::filesystem::current_path(old);
    ASSERT_EQ(set.Count(), 1);
    EXPECT_EQ(set.item(1).Software, "Here");
}

// Malformed files: the failure's number, and the line its description names.
struct BadFile {
    const char* what;
    std::string bytes;
    int32_t number;
    int line;
    int recordsLeft;  // records the set holds after the failure
};

class LoadConfigFailure : public ::testing::TestWithParam<BadFile> {};

TEST_P(LoadConfigFailure, NamesTheNumberTheFileAndTheLine) {
    ScratchFolder dir;
    std::string file = dir.Path("broken.dat");
    WriteBytes(file, GetParam().bytes);
    PrivacyConfigs set;
    try {
        set.LoadConfig(file);
        FAIL() << "loaded";
    } catch (const ConfigError& e) {
        EXPECT_EQ(e.Number, GetParam().number);
        EXPECT_NE(e.Description.find(file), std::string::npos) << e.Description;
        EXPECT_NE(e.Description.find("line " + std::to_string(GetParam().line)), std::string::npos) << e.Description;
    }
    EXPECT_EQ(set.Count(), GetParam().recordsLeft);
}

INSTANTIATE_TEST_SUITE_P(
    Files, LoadConfigFailure,
    ::testing::Values(BadFile{"bad hex", Enciphered({"[Config]", "Software:S"}) + "8DZZ\r\n", 13, 3, 1},
                      BadFile{"odd digits", Enciphered({"[Config]"}) + "8DB\r\n", 13, 2, 1},
                      BadFile{"short header", Enciphered({"[Config]", "Software:S", "A<>1<>0><C:\\x"}), 9, 3, 1},
                      BadFile{"no separator", Enciphered({"[Config]", "[Config]", "A<>1<>0<>File"}), 9, 3, 2},
                      BadFile{"field first", Enciphered({"-- c", "Software:S", "[Config]"}), 91, 2, 0},
                      BadFile{"item first", Enciphered({"A<>1<>0<>File><C:\\x"}), 91, 1, 0}),
    [](const ::testing::TestParamInfo<BadFile>& info) {
        std::string name = info.param.what;
        for (char& c : name)
            if (c == ' ')
                c = '_';
        return name;
    });

TEST(LoadConfig, MissingFileFailsWithFileNotFoundAndKeepsTheSet) {
    ScratchFolder dir;
    PrivacyConfigs set;
    set.Add(std::make_unique<PrivacyConfig>()).Software = "kept";
    std::string file = dir.Path("none.dat");
    try {
        set.LoadConfig(file);
        FAIL() << "loaded";
    } catch (const ConfigError& e) {
        EXPECT_EQ(e.Number, 53);
        EXPECT_NE(e.Description.find(file), std::string::npos);
    }
    ASSERT_EQ(set.Count(), 1);
    EXPECT_EQ(set.item(1).Software, "kept");
}

TEST(ConfigFile, LoadingAndSavingUnchangedWritesTheSameBytes) {
    ScratchFolder dir;
    std::string file = dir.Path("PrivacyConfig.dat");
    // Well-formed lines only: a third part without the hold flag would be dropped.
    Lines lines = kTwoRecords;
    lines.back() = "Odd<>1<>0<>Weird<>extra field><a<>b";
    std::string original = Enciphered(lines);
    WriteBytes(file, original);
    PrivacyConfigs set;
    set.LoadConfig(file);
    set.SaveConfig(file);
    EXPECT_EQ(ReadBytes(file), original);
    EXPECT_FALSE(std::filesystem::exists(file + ".tmp"));
}

// SaveConfig rewrites only selection, hold flags and hold settings.
struct Rewrite {
    const char* what;
    Lines before;
    void (*change)(PrivacyConfigs&);
    Lines after;
};

class SaveConfigRewrite : public ::testing::TestWithParam<Rewrite> {};

TEST_P(SaveConfigRewrite, WritesTheExpectedLines) {
    ScratchFolder dir;
    std::string file = dir.Path("PrivacyConfig.dat");
    WriteBytes(file, Enciphered(GetParam().before));
    SpecialFolders folders;
    folders.WindowsDir = "C:\\WINDOWS";
    MemoryRegistry registry;
    PrivacyConfigs set;
    set.LoadConfig(file, {&folders, &registry});
    GetParam().change(set);
    set.SaveConfig(file);
    EXPECT_EQ(PlainLines(file), GetParam().after);
}

PrivacyItem& Item(PrivacyConfigs& set, int record, int item) { return set.item(record).Items.item(item); }

INSTANTIATE_TEST_SUITE_P(
    Cases, SaveConfigRewrite,
    ::testing::Values(
        Rewrite{"SelectedLineFollowsTheRecord",
                {"[Config]", "Software:S", "Selected:0"},
                [](PrivacyConfigs& s) { s.item(1).Selected = true; },
                {"[Config]", "Software:S", "Selected:1"}},
        Rewrite{"NoSelectedLineIsAdded",
                {"[Config]", "Software:S"},
                [](PrivacyConfigs& s) { s.item(1).Selected = true; },
                {"[Config]", "Software:S"}},
        Rewrite{"OtherFieldChangesAreNotSaved",
                {"[Config]", "Software:S", "Description:d", "A<>1<>0<>File><x"},
                [](PrivacyConfigs& s) {
                    s.item(1).Software = "T";
                    s.item(1).Description = "e";
                    Item(s, 1, 1).SeekSettings = {"y"};
                },
                {"[Config]", "Software:S", "Description:d", "A<>1<>0<>File><x"}},
        Rewrite{"ThirdPartWithoutHoldFlagIsDropped",
                {"[Config]", "Software:S", "A<>1<>0<>File><x><C:\\keep"},
                [](PrivacyConfigs&) {},
                {"[Config]", "Software:S", "A<>1<>0<>File><x"}},
        Rewrite{"FifthFieldAndPlaceholderStay",
                {"[Config]", "Software:S", "A<>0<>0<>Folder<>note><%windowsdir%\\Temp"},
                [](PrivacyConfigs& s) { Item(s, 1, 1).Selected = true; },
                {"[Config]", "Software:S", "A<>1<>0<>Folder<>note><%windowsdir%\\Temp"}},
        Rewrite{"HoldSettingsWrittenWithTheFlag",
                {"[Config]", "Software:S", "A<>1<>0<>Folder><x", "B<>1<>1<>Folder><y><old"},
                [](PrivacyConfigs& s) {
                    Item(s, 1, 1).HoldFlag = true;
                    Item(s, 1, 1).HoldSettings = {"k1", "k2"};
                    Item(s, 1, 2).HoldSettings.clear();
                },
                {"[Config]", "Software:S", "A<>1<>1<>Folder><x><k1<>k2", "B<>1<>1<>Folder><y"}},
        Rewrite{"HoldSettingsNotWrittenWithoutTheFlag",
                {"[Config]", "Software:S", "A<>1<>1<>Folder><x><keep"},
                [](PrivacyConfigs& s) { Item(s, 1, 1).HoldFlag = false; },
                {"[Config]", "Software:S", "A<>1<>0<>Folder><x"}},
        Rewrite{"EachLineOfATitleTakesItsOwnItemsFlags",
                {"[Config]", "Software:S", "A<>0<>0<>File><x", "B<>0<>0<>File><z", "A<>0<>0<>File><y"},
                [](PrivacyConfigs& s) {
                    Item(s, 1, 1).Selected = true;
                    Item(s, 1, 3).HoldFlag = true;
                },
                {"[Config]", "Software:S", "A<>1<>0<>File><x", "B<>0<>0<>File><z", "A<>0<>1<>File><y"}},
        Rewrite{"BlanksAroundLinesCountForNothing",
                {"  [Config] ", " Software:S", " Selected:1 ", "  A<>0<>0<>File><x ><dropped", " -- note "},
                [](PrivacyConfigs& s) { Item(s, 1, 1).Selected = true; },
                {"[Config]", "Software:S", "Selected:1", "A<>1<>0<>File><x", "-- note"}},
        Rewrite{"IrregularItemKeepsItsSeekString",
                {"[Config]", "Software:S", "A<>1<>0<>File><%HKEY_CURRENT_USER<>Software\\Missing<>V%\\x<>*.tmp"},
                [](PrivacyConfigs& s) { Item(s, 1, 1).Selected = false; },
                {"[Config]", "Software:S", "A<>0<>0<>File><%HKEY_CURRENT_USER<>Software\\Missing<>V%\\x<>*.tmp"}},
        Rewrite{"HeaderLinesStayInFrontAndBlanksGo",
                {"-- top", "", "[Config]", "Software:S", "[Config]", "Software:T"},
                [](PrivacyConfigs& s) { s.item(1).FileLines.push_back("  -- added  "); },
                {"-- top", "", "[Config]", "Software:S", "-- added", "[Config]", "Software:T"}}),
    [](const ::testing::TestParamInfo<Rewrite>& info) { return std::string(info.param.what); });

TEST(LoadConfig, RegistryPlaceholderOfAMissingKeyMakesTheItemIrregular) {
    ScratchFolder dir;
    std::string file = dir.Path("PrivacyConfig.dat");
    WriteBytes(file,
               Enciphered({"[Config]", "Software:S", "Missing<>1<>0<>Folder><%HKEY_CURRENT_USER<>Software\\Nope<>V%\\x",
                           "Present<>1<>0<>Folder><%HKEY_CURRENT_USER<>Software\\Shell<>Cache%\\x",
                           "Empty<>1<>0<>Folder><"}));
    MemoryRegistry registry;
    RegKey(registry).SetRegValue("Cache", rvtString, std::string("C:\\Cache"), rkCurrentUser, "Software\\Shell");
    PrivacyConfigs set;
    set.LoadConfig(file, {nullptr, &registry});
    const PrivacyItem& missing = Item(set, 1, 1);
    EXPECT_TRUE(missing.Irregular);
    EXPECT_TRUE(missing.SeekSettings.empty());
    const PrivacyItem& present = Item(set, 1, 2);
    EXPECT_FALSE(present.Irregular);
    EXPECT_EQ(present.SeekSettings, (Lines{"C:\\Cache\\x"}));
    const PrivacyItem& empty = Item(set, 1, 3);
    EXPECT_FALSE(empty.Irregular) << "an empty seek string is not irregular";
    EXPECT_TRUE(empty.SeekSettings.empty());
}

TEST(LoadConfig, ReadsEachRegistryValueOnce) {
    ScratchFolder dir;
    std::string file = dir.Path("PrivacyConfig.dat");
    Lines lines = {"[Config]", "Software:S"};
    for (int i = 0; i < 20; ++i)
        lines.push_back("I" + std::to_string(i) + "<>1<>0<>Folder><%HKEY_CURRENT_USER<>Software\\Shell<>Cache%\\" +
                        std::to_string(i));
    WriteBytes(file, Enciphered(lines));
    MemoryRegistry registry;
    RegKey(registry).SetRegValue("Cache", rvtString, std::string("C:\\Cache"), rkCurrentUser, "Software\\Shell");
    registry.ResetCallCounts();
    PrivacyConfigs set;
    set.LoadConfig(file, {nullptr, &registry});
    EXPECT_EQ(Item(set, 1, 20).SeekSettings, (Lines{"C:\\Cache\\19"}));
    EXPECT_EQ(registry.CallCount(MemoryRegistry::Op::OpenKey), 1u);
}

// A failed save leaves the file as it was and no ".tmp" behind.
struct BadSave {
    const char* what;
    void (*spoil)(PrivacyConfigs&);
    int32_t number;
};

class SaveConfigFailure : public ::testing::TestWithParam<BadSave> {};

TEST_P(SaveConfigFailure, LeavesTheFileIntact) {
    ScratchFolder dir;
    std::string file = dir.Path("PrivacyConfig.dat");
    std::string original = Enciphered({"[Config]", "Software:S", "A<>1<>0<>File><x"});
    WriteBytes(file, original);
    PrivacyConfigs set;
    set.LoadConfig(file);
    set.item(1).Selected = true;
    GetParam().spoil(set);
    try {
        set.SaveConfig(file);
        FAIL() << "saved";
    } catch (const ConfigError& e) {
        EXPECT_EQ(e.Number, GetParam().number);
        EXPECT_NE(e.Description.find("\"S\""), std::string::npos) << e.Description;
        EXPECT_NE(e.Description.find(file), std::string::npos) << "names the file: " << e.Description;
    }
    EXPECT_EQ(ReadBytes(file), original);
    EXPECT_FALSE(std::filesystem::exists(file + ".tmp"));
}

INSTANTIATE_TEST_SUITE_P(
    Cases, SaveConfigFailure,
    ::testing::Values(BadSave{"UnknownTitle", [](PrivacyConfigs& s) { s.item(1).Items.item(1).Title = "B"; }, 91},
                      BadSave{"NoSeparator", [](PrivacyConfigs& s) { s.item(1).FileLines.push_back("A<>1<>0<>File"); },
                              9},
                      BadSave{"ShortHeader", [](PrivacyConfigs& s) { s.item(1).FileLines.push_back("A<>1><x"); }, 9},
                      BadSave{"MoreLinesOfATitleThanItems",
                              [](PrivacyConfigs& s) { s.item(1).FileLines.push_back("A<>1<>0<>File><y"); }, 91}),
    [](const ::testing::TestParamInfo<BadSave>& info) { return std::string(info.param.what); });

TEST(SaveConfig, ReplacesAReadOnlyFileAndAStaleTemporaryFile) {
    ScratchFolder dir;
    std::string file = dir.Path("PrivacyConfig.dat");
    WriteBytes(file, Enciphered({"[Config]", "Software:S", "Selected:0"}));
    WriteBytes(file + ".tmp", "stale");
    PrivacyConfigs set;
    set.LoadConfig(file);
    set.item(1).Selected = true;
    std::filesystem::permissions(file, std::filesystem::perms::owner_write, std::filesystem::perm_options::remove);
    set.SaveConfig(file);
    EXPECT_EQ(PlainLines(file), (Lines{"[Config]", "Software:S", "Selected:1"}));
    EXPECT_FALSE(std::filesystem::exists(file + ".tmp"));
}

TEST(SaveConfig, UnwritableFolderFailsWithoutLeavingAnything) {
    ScratchFolder dir;
    std::string file = dir.Path("no such folder/PrivacyConfig.dat");
    PrivacyConfigs set;
    set.Add(std::make_unique<PrivacyConfig>()).FileLines = {"[Config]"};
    try {
        set.SaveConfig(file);
        FAIL() << "saved";
    } catch (const ConfigError& e) {
        EXPECT_EQ(e.Number, 75);
        EXPECT_NE(e.Description.find(file), std::string::npos);
        EXPECT_NE(e.Description.find("(No such file or directory)"), std::string::npos) << "and why: " << e.Description;
    }
    EXPECT_FALSE(std::filesystem::exists(dir.FsPath() / "no such folder"));
}

TEST(SaveConfig, AFailedReplaceRemovesTheTemporaryFile) {
    ScratchFolder dir;
    // A folder in the file's place: the .tmp file is written, the replace is refused.
    std::string file = dir.Path("PrivacyConfig.dat");
    std::filesystem::create_directory(file);
    PrivacyConfigs set;
    set.Add(std::make_unique<PrivacyConfig>()).FileLines = {"[Config]"};
    try {
        set.SaveConfig(file);
        FAIL() << "saved";
    } catch (const ConfigError& e) {
        EXPECT_EQ(e.Number, 75);
    }
    EXPECT_TRUE(std::filesystem::is_directory(file));
    EXPECT_FALSE(std::filesystem::exists(file + ".tmp"));
}

// Any file that loads saves; the saved file loads to the same records and items; saving that
// again gives the same bytes. The files are the kinds a fuzzer found breaking it.
TEST(ConfigFile, EveryFileThatLoadsRoundTrips) {
    const std::vector<Lines> files = {
        kTwoRecords,
        {"[Config]", "Software:S", "A<>1<>0<>File><x", "A<>0<>1<>File><y><h", "A<>1<>1<>File><z"},
        {"[Config]", "Software:S", " Item<>1<>0<>File><x", "Item <>0<>0<>File><y"},
        {"[Config]", "Software:S", "A<>1<>0<>File><x  ><dropped", "B<>1<>1<>File><y ><h1<> <>h2 "},
        {" -- c", "  ", "[Config]", "Selected:1 ", "Software: S ", "A<>1<>0<>File><"},
        {"[Config]", "Software:S", "A<>1<>0<>File><x><y><z", "Caf\xC3\xA9 \xC3\xBF<>1<>0<>File><%windowsdir%"},
    };
    SpecialFolders folders;
    folders.WindowsDir = "C:\\WINDOWS";
    for (const Lines& lines : files) {
        ScratchFolder dir;
        std::string file = dir.Path("PrivacyConfig.dat"), first = dir.Path("first.dat"),
                    second = dir.Path("second.dat");
        WriteBytes(file, Enciphered(lines));
        PrivacyConfigs set, again;
        set.LoadConfig(file, {&folders, nullptr});
        for (PrivacyConfig& pc : set)
            for (PrivacyItem& pi : pc.Items)
                pi.Selected = !pi.Selected;
        ASSERT_NO_THROW(set.SaveConfig(first)) << lines.back();
        ASSERT_NO_THROW(again.LoadConfig(first, {&folders, nullptr})) << lines.back();
        EXPECT_EQ(testing::DescribeConfig(again), testing::DescribeConfig(set));
        again.SaveConfig(second);
        EXPECT_EQ(ReadBytes(second), ReadBytes(first)) << lines.back();
    }
}

TEST(RefreshPluginsConfig, ReadsPlainLinesAndKeepsNoLines) {
    ScratchFolder dir;
    std::string plain = dir.Path("plugins.txt");
    WriteBytes(plain,
               "-- plain\r\n[Config]\r\nSoftware:Caf\xE9\r\nType:Plugins\r\nA<>1<>0<>Folder><%windowsdir%\\x\r\n");
    SpecialFolders folders;
    folders.WindowsDir = "C:\\W";
    PrivacyConfigs set;
    set.RefreshPluginsConfig(plain, ".", {&folders, nullptr});
    ASSERT_EQ(set.Count(), 1);
    EXPECT_EQ(set.item(1).Software, "Caf\xC3\xA9") << "plain files are in the ANSI code page";
    EXPECT_EQ(set.item(1).SoftwareType, stPlugins);
    EXPECT_TRUE(set.item(1).FileLines.empty());
    EXPECT_EQ(Item(set, 1, 1).SeekSettings, (Lines{"C:\\W\\x"}));

    std::string saved = dir.Path("saved.dat");
    set.SaveConfig(saved);
    EXPECT_EQ(ReadBytes(saved), "") << "records without lines write nothing";
}

}  // namespace
}  // namespace lumo
