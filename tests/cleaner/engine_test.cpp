// The seek-and-clear engine on real folders, files and INI files in a scratch folder (the file
// system wrapped to inject locked files and refusals) and on the test registry.
#include <gtest/gtest.h>

#include <filesystem>

#include "base/text.h"
#include "cleaner/customize_parse.h"
#include "cleaner/file_clearing.h"
#include "engine_test_support.h"
#include "registry/reg_value.h"

namespace lumo {
namespace {

using testing::MakeItem;
using Lines = std::vector<std::string>;
namespace fs = std::filesystem;
const std::string kRoot = "HKEY_CURRENT_USER";

class Engine : public testing::EngineTest {
protected:
    using EngineTest::EngineTest;
    // A RegKey item on a key with values (one held), subkeys and a held value deeper down: each
    // level subkeys, then values, then each subkey's contents; the subkeys go whole, the named
    // key and its held value stay.
    void ClearRegKeyItem() {
        for (const char* key : {"Top", "Top\\A", "Top\\B"})
            reg.SetString(key, "drop", "x");
        reg.SetString("Top", "keep", "held");
        reg.SetString("Top\\A\\Deep", "keep", "held only directly under the named key");
        EXPECT_EQ(SeekAndDescribe(pitRegKey, {kRoot, reg.Path("Top")}, true,
                                  {reg.Path("Top") + "\\KEEP", reg.Path("Top\\A\\Deep\\keep")}),
                  (Lines{"Delete Top/A/", "Delete Top/B/", "Delete Top/drop", "Keep Top/keep", "Delete Top/A/Deep/",
                         "Delete Top/A/drop", "Keep Top/A/Deep/keep", "Delete Top/B/drop"}));
        EXPECT_EQ(reg.ValueNames("Top"), Lines{"keep"});
        EXPECT_FALSE(reg.KeyExists("Top\\A") || reg.KeyExists("Top\\B"));
    }
};

TEST_F(Engine, EachItemTypeFindsItsTracesWithoutRegardToLetterCase) {
    for (auto [name, bytes] : {std::pair{"a.tmp", "1"}, {"B.Tmp", "22"}, {"b.log", "333"}, {"index.dat", "4444"}})
        dir.Write(std::string("t/") + name, bytes);
    dir.Write("t/sub/c.tmp", "not looked at");
    struct Case {
        int32_t type;
        std::vector<std::string> seek;
        Lines found;
    };
    for (const Case& c :
         {Case{pitFile, {dir.Path("t"), "*.TMP"}, {"Find t/a.tmp", "Find t/B.Tmp"}},
          Case{pitFile, {dir.Path("t"), "?.log"}, {"Find t/b.log"}},
          Case{pitFile, {dir.Path("t")}, {"Find t/index.dat", "Find t/b.log", "Find t/a.tmp", "Find t/B.Tmp"}},
          Case{pitFile, {dir.Path("t/b.log"), "*.nothing"}, {"Find t/b.log"}},
          Case{pitFile, {dir.Path("t/missing")}, {}}, Case{pitFolder, {dir.Path("t/a.tmp")}, {}},
          Case{0, {dir.Path("t")}, {}}, Case{6, {dir.Path("t")}, {}}, Case{99, {dir.Path("t")}, {}}}) {
        Run run = Seek(*MakeItem(c.type, c.seek), c.type != pitFile);
        EXPECT_EQ(Describe(*run.values), c.found) << c.type << " " << c.seek[0];
        EXPECT_EQ(run.finishCount, static_cast<int32_t>(c.found.size()));
    }
    EXPECT_EQ(Seek(*MakeItem(pitFile, {dir.Path("t"), "b.log"}), false).values->item(1)->Size, 3);
    EXPECT_EQ(dir.Read("t/b.log"), "333") << "a scan removes nothing";
}

TEST_F(Engine, ClearingFilesDeletesOverwritesLockedIndexDatAndNeverCallsAFailureSuccess) {
    std::string plain = dir.Write("t/plain.txt", "x");
    std::string index = dir.Write("t/Index.DAT", std::string(25000, 'i'));
    std::string lockedOther = dir.Write("t/locked.txt", "keep");
    std::string held = dir.Write("t/held.txt", "held");
    std::string stubborn = dir.Write("t/stubborn.txt", "s");
    files.locked = {index, lockedOther};
    files.failDeletionQuietly = {stubborn};
    ctx.securityFillTimes = 3;
    Run run = Seek(*MakeItem(pitFile, {dir.Path("t")}, {UpperCase(held)}), true);
    EXPECT_EQ(Describe(*run.values), (Lines{"Unknown t/stubborn.txt", "Delete t/plain.txt", "Unknown t/locked.txt",
                                            "Keep t/held.txt", "Fill t/Index.DAT"}));
    EXPECT_EQ(dir.Read("t/Index.DAT"), std::string(25000, '\0')) << "overwritten in place, length kept";
    ASSERT_EQ(files.inPlaceOpens.size(), 3u) << "three passes";
    EXPECT_EQ(files.inPlaceOpens[2].writes, (std::vector<size_t>{10000, 10000, 5000})) << "in chunks";
    EXPECT_EQ(dir.Read("t/locked.txt") + dir.Read("t/held.txt"), "keepheld");
    EXPECT_FALSE(dir.Exists("t/plain.txt"));
    // Files are written to the log when added, before their deletion is tried; a file that
    // stays gets one more line, so the last line naming each path is true.
    EXPECT_EQ(log.lines,
              (Lines{"Find " + stubborn, "Unknown " + stubborn, "Find " + plain, "Find " + lockedOther,
                     "Unknown " + lockedOther, "Keep locked " + held, "Find " + index, "Fill blank " + index}));
    // Events carry the final status, in collection order.
    EXPECT_EQ(run.events, std::vector<PrivacyValuePtr>(run.values->begin(), run.values->end()));

    // One file straight: gone already counts as deleted; a locked file whose overwriting is
    // refused stays; a file of whole chunks, an empty one, no passes at all.
    EXPECT_EQ(DeleteFileOrFill(files, dir.Path("never-there"), true, 1), 0);
    files.refuseWriting = files.locked = {dir.Write("refused.dat", "abc")};
    EXPECT_EQ(DeleteFileOrFill(files, dir.Path("refused.dat"), true, 1), -1);
    EXPECT_TRUE(FillFileBlank(files, dir.Path("absent"), 1));
    for (auto [size, passes, writes] :
         {std::tuple{size_t{20000}, int16_t{2}, std::vector<size_t>{10000, 10000}}, {0, 2, {}}, {5, 0, {}}}) {
        files.inPlaceOpens.clear();
        EXPECT_FALSE(FillFileBlank(files, dir.Write("f.bin", std::string(size, 'x')), passes));
        EXPECT_EQ(files.inPlaceOpens.size(), static_cast<size_t>(passes)) << size;
        for (const auto& open : files.inPlaceOpens)
            EXPECT_EQ(open.writes, writes) << size;
        EXPECT_EQ(dir.Read("f.bin"), std::string(size, passes ? '\0' : 'x'));
    }
}

// The wrapper lists every folder in reverse name order; the walk follows the listing, level by
// level: folders, then files, then each folder's own walk in turn.
TEST_F(Engine, FolderItemsWalkDepthFirstAndClearAllButHeldFilesTheirFoldersAndTheRoot) {
    dir.Write("root/top.txt", "x");
    std::string held = dir.Write("root/keep/held.txt", "h");
    dir.Write("root/keep/in/gone.txt", "g");
    dir.Write("root/empty/deeper/x.txt", "x");
    fs::permissions(dir.FsPath("root/empty/deeper/x.txt"), fs::perms::owner_write, fs::perm_options::remove);
    auto item = MakeItem(pitFolder, {dir.Path("root")}, {held});
    EXPECT_EQ(SeekAndDescribe(*item, false),
              (Lines{"Find root/keep/", "Find root/empty/", "Find root/top.txt", "Find root/keep/in/",
                     "Keep root/keep/held.txt", "Find root/keep/in/gone.txt", "Find root/empty/deeper/",
                     "Find root/empty/deeper/x.txt"}));
    EXPECT_TRUE(dir.Exists("root/empty/deeper/x.txt")) << "a scan removes nothing";
    log.lines.clear();
    EXPECT_EQ(SeekAndDescribe(*item, true),
              (Lines{"Keep root/keep/", "Delete root/empty/", "Delete root/top.txt", "Delete root/keep/in/",
                     "Keep root/keep/held.txt", "Delete root/keep/in/gone.txt", "Delete root/empty/deeper/",
                     "Delete root/empty/deeper/x.txt"}));
    EXPECT_TRUE(dir.Exists("root/keep/held.txt"));
    for (const char* gone : {"root/keep/in", "root/empty", "root/top.txt"})
        EXPECT_FALSE(dir.Exists(gone)) << gone;
    // Folders are written with their status when found, files before their deletion; the folder
    // that stays for its held file ends with a line that says so.
    EXPECT_EQ(log.lines,
              (Lines{"Delete " + dir.Path("root/keep"), "Delete " + dir.Path("root/empty"),
                     "Find " + dir.Path("root/top.txt"), "Delete " + dir.Path("root/keep/in"), "Keep locked " + held,
                     "Find " + dir.Path("root/keep/in/gone.txt"), "Keep locked " + dir.Path("root/keep"),
                     "Delete " + dir.Path("root/empty/deeper"), "Find " + dir.Path("root/empty/deeper/x.txt")}));
}

// A folder that cannot be removed or listed is marked unknown and logged again; a stop requested
// while the third file is reported ends the walk.
TEST_F(Engine, FailedFoldersEndUnknownAndAStopEndsTheWalk) {
    dir.Write("root/stuck/x.txt", "x");
    dir.Write("root/closed/y.txt", "y");
    dir.Folder("root/fine");
    files.refuseFolderRemoval = {dir.Path("root/stuck")};
    files.refuseListing = {dir.Path("root/closed")};
    EXPECT_EQ(SeekAndDescribe(pitFolder, {dir.Path("root")}, true),
              (Lines{"Unknown root/stuck/", "Delete root/fine/", "Unknown root/closed/", "Delete root/stuck/x.txt"}));
    EXPECT_EQ(log.lines, (Lines{"Delete " + dir.Path("root/stuck"), "Delete " + dir.Path("root/fine"),
                                "Delete " + dir.Path("root/closed"), "Find " + dir.Path("root/stuck/x.txt"),
                                "Unknown " + dir.Path("root/stuck"),
                                "12/25/2006 3:04:05 PM--The folder " + dir.Path("root/closed") +
                                    " could not be listed; nothing in it was sought",
                                "Unknown " + dir.Path("root/closed")}));
    EXPECT_TRUE(dir.Exists("root/closed/y.txt"));

    for (const char* name : {"a", "b", "c", "d", "e"})
        dir.Write(std::string("s/") + name + ".txt", "x");
    dir.Write("s/sub/inner.txt", "x");
    auto item = MakeItem(pitFolder, {dir.Path("s")});
    int reported = 0;
    Subscription s = item->AppendValue.Subscribe(
        [&](PrivacyItem&, const PrivacyValuePtr& pv) { stop = stop || (pv->ValueType == pitFile && ++reported == 3); });
    Run run = Seek(*item, true);
    EXPECT_EQ(Describe(*run.values), (Lines{"Delete s/sub/", "Delete s/e.txt", "Delete s/d.txt", "Delete s/c.txt"}));
    EXPECT_EQ(run.finishCount, 4);
    for (const char* kept : {"s/b.txt", "s/a.txt", "s/sub/inner.txt"})
        EXPECT_TRUE(dir.Exists(kept)) << kept;
}

TEST_F(Engine, IniItemsFindFilledEntriesAndClearThemToEmptyValues) {
    std::string big = "[Big]\r\n";  // about 12 kB: read with 1000, 5000 then 25000 bytes
    for (int i = 0; i < 400; ++i)
        big += "Entry" + std::to_string(i) + "=some value text " + std::to_string(i) + "\r\n";
    const std::string text = "[Recent]\r\na=1\r\nb=\r\nc=\"\"\r\nnoequals\r\nFile2=C:\\x.txt\r\n[Other]\r\nz=9\r\n";
    std::string ini = dir.Write("app.ini", text + big);
    for (auto [seek, found] : {std::pair{Lines{ini, "recent", "file#"}, Lines{"Find app.ini:File2"}},
                               {{ini, "Missing"}, {}},
                               {{dir.Path("absent.ini"), "Recent"}, {}},
                               {{ini, "Other", "?"}, {"Find app.ini:z"}},
                               {{ini, "Big", "Entry399"}, {"Find app.ini:Entry399"}}})
        EXPECT_EQ(SeekAndDescribe(pitIniFileItem, seek, false), found) << seek[1];
    EXPECT_EQ(Seek(*MakeItem(pitIniFileItem, {ini, "Big"}), false).values->item(400)->Value, "some value text 399");
    log.lines.clear();
    auto item = MakeItem(pitIniFileItem, {ini, "Recent"});
    Run run = Seek(*item, true);
    EXPECT_EQ(Describe(*run.values), (Lines{"Delete app.ini:a", "Delete app.ini:File2"}));
    EXPECT_EQ(std::make_tuple(run.values->item(2)->Value, run.values->item(2)->Size), std::make_tuple("C:\\x.txt", 16));
    EXPECT_EQ(dir.Read("app.ini"),
              "[Recent]\r\na=\r\nb=\r\nc=\"\"\r\nnoequals\r\nFile2=\r\n" + text.substr(text.find("[Other]")) + big);
    EXPECT_EQ(log.lines, (Lines{"Delete a", "Delete File2"}));
    EXPECT_EQ(Seek(*item, false).values->Count(), 0) << "emptied entries are not found again";

    // A file that refuses every write: the entry is marked unknown and logged again.
    struct RefusingProfiles : RealProfileApi {
        bool WriteString(std::string_view, std::string_view, std::string_view, std::string_view) override {
            return false;
        }
    } refusing;
    ctx.profiles = &refusing;
    log.lines.clear();
    EXPECT_EQ(SeekAndDescribe(pitIniFileItem, {ini, "Other"}, true), Lines{"Unknown app.ini:z"});
    EXPECT_EQ(log.lines, (Lines{"Delete z", "Unknown z"}));
}

// Records each call; only "ParseSomething" is a parser, and it finds two entries.
struct FakeParser : CustomizeParse {
    Lines calls;
    PrivacyValuesPtr CallParser(std::string_view sName, const ParserArguments& args, SeekContext& ctx) override {
        calls.push_back(std::string(sName) + (args.clearValue ? " clear " : " scan ") + args.Element(2) + "|" +
                        args.Element(3) + "|" + args.Element(4));
        if (!EqualsIgnoreCase(sName, "ParseSomething"))
            return nullptr;
        auto pvs = std::make_shared<PrivacyValues>(ctx.log);
        for (const char* key : {"k0", "k1"})
            AppendValue(*args.item, pvs->AddIniFileItem("f", key, "v", vsFind));
        return pvs;
    }
};

// The parser's events come out as the item's own; an item that called the parser before, still
// subscribed, stays quiet; no such parser, or none at all, finds nothing.
TEST_F(Engine, CustomizeItemsHandTheirArgumentsToTheNamedParser) {
    FakeParser parser;
    ctx.parser = &parser;
    auto item = MakeItem(pitCustomize, {"parsesomething", "two", "three"});
    Run run = Seek(*item, true);
    EXPECT_EQ(std::make_tuple(run.values->Count(), run.events.size(), run.finishCount), std::make_tuple(2, 2u, 2));
    size_t firstItemEvents = 0;
    Subscription s = item->AppendValue.Subscribe([&](PrivacyItem&, const PrivacyValuePtr&) { ++firstItemEvents; });
    EXPECT_EQ(Seek(*MakeItem(pitCustomize, {"ParseSomething"}), false).events.size(), 2u);
    EXPECT_EQ(firstItemEvents, 0u);
    EXPECT_EQ(Seek(*MakeItem(pitCustomize, {"NoSuchParser"}), false).finishCount, 0);
    EXPECT_EQ(parser.calls,
              (Lines{"parsesomething clear two|three|", "ParseSomething scan ||", "NoSuchParser scan ||"}));
    ctx.parser = nullptr;
    EXPECT_EQ(Seek(*MakeItem(pitCustomize, {"ParseSomething"}), false).values->Count(), 0);
}

// RegValue items take the matching values of one key, RegSubKeyValue items the values of the
// matching subkeys (never the subkeys themselves, nor anything deeper); a value is logged by name.
TEST_F(Engine, RegistryValueItemsTakeMatchingValuesOfAKeyOrOfMatchingSubkeys) {
    reg.SetString("MRU", "Url1", "http://a/");
    reg.SetString("MRU", "Order", "ab");
    reg.SetDword("MRU", "Url3", 256);
    reg.SetRaw("MRU", "Url4", 3, {1, 2, 3});
    for (auto [key, name] : {std::pair{"P\\ProfileA", "x"},
                             {"P\\ProfileA", "y"},
                             {"P\\ProfileA\\Deeper", "z"},
                             {"P\\profileB", "x"},
                             {"P\\Other", "x"}})
        reg.SetString(key, name, "v");
    auto item = MakeItem(pitRegValue, {kRoot, reg.Path("MRU"), "url#"});
    Run scan = Seek(*item, false);
    EXPECT_EQ(Describe(*scan.values), (Lines{"Find MRU/Url1", "Find MRU/Url3", "Find MRU/Url4"}));
    EXPECT_EQ(std::make_tuple(scan.values->item(1)->Size, scan.values->item(1)->RootKey, scan.values->item(3)->Value),
              std::make_tuple(18, int32_t{rkCurrentUser}, "01 02 03"));
    log.lines.clear();
    EXPECT_EQ(SeekAndDescribe(*item, true), (Lines{"Delete MRU/Url1", "Delete MRU/Url3", "Delete MRU/Url4"}));
    EXPECT_EQ(reg.ValueNames("MRU"), Lines{"Order"});
    EXPECT_EQ(log.lines, (Lines{"Delete Url1", "Delete Url3", "Delete Url4"}));
    EXPECT_EQ(SeekAndDescribe(pitRegValue, {kRoot, reg.Path("Nowhere")}, true), Lines{});

    EXPECT_EQ(SeekAndDescribe(pitRegSubKeyValue, {kRoot, reg.Path("P"), "PROFILE*"}, true),
              (Lines{"Delete P/ProfileA/x", "Delete P/ProfileA/y", "Delete P/profileB/x"}));
    EXPECT_EQ(reg.ValueNames("P\\ProfileA"), Lines{});
    EXPECT_TRUE(reg.ValueExists("P\\ProfileA\\Deeper", "z") && reg.ValueExists("P\\Other", "x"));
    reg.SetString("P\\Other", "y", "v");
    EXPECT_EQ(SeekAndDescribe(pitRegSubKeyValue, {kRoot, reg.Path("P")}, false), Lines{}) << "no pattern, no subkey";
}

// A subkey whose deletion fails is logged with the registry's code, marked unknown, and the walk
// goes on.
TEST_F(Engine, RegKeyItemsTakeEverythingBelowButHeldValuesOfTheNamedKey) {
    ClearRegKeyItem();
    reg.SetString("Top\\C", "c", "x");
    EXPECT_EQ(SeekAndDescribe(pitRegKey, {kRoot, reg.Path("Top")}, false),
              (Lines{"Find Top/C/", "Find Top/keep", "Find Top/C/c"}));
    reg.SetString("K\\Stuck", "v", "x");
    reg.SetString("K", "w", "y");
    log.lines.clear();
    reg.Counting().FailNext(testing::CountingRegistry::Op::DeleteKey, regAccessDenied);
    EXPECT_EQ(SeekAndDescribe(pitRegKey, {kRoot, reg.Path("K")}, true),
              (Lines{"Unknown K/Stuck/", "Delete K/w", "Delete K/Stuck/v"}));
    ASSERT_EQ(log.lines.size(), 5u);
    EXPECT_EQ(Lines(log.lines.begin(), log.lines.begin() + 3), (Lines{"Delete Stuck", "Find w", "Find v"}));
    EXPECT_EQ(log.lines[3].rfind("12/25/2006 3:04:05 PM--100,", 0), 0u) << log.lines[3];
    EXPECT_NE(log.lines[3].find("(GetRegKeyAllSub),"), std::string::npos) << log.lines[3];
    EXPECT_EQ(log.lines[3].substr(log.lines[3].size() - 2), ",5") << "the code the refused deletion returned";
    EXPECT_EQ(log.lines.back(), "Unknown Stuck");
}

#ifdef _WIN32
using RealRegistryEngine = testing::OnRealRegistry<Engine>;
TEST_F(RealRegistryEngine, RegKeyItemClearOnTheRealRegistry) { ClearRegKeyItem(); }
#endif

}  // namespace
}  // namespace lumo
