// The seek-and-clear engine on real folders, files and INI files in a scratch folder (the file
// system wrapped to inject locked files and refusals) and on the test registry. Items and
// expected log lines are written with "~" for the scratch folder and "^" for the registry branch.
#include <gtest/gtest.h>

#include <filesystem>

#include "cleaner/customize_parse.h"
#include "cleaner/file_clearing.h"
#include "engine_test_support.h"
#include "registry/reg_value.h"

namespace lumo {
namespace {

using testing::MakeItem;
using Lines = std::vector<std::string>;
namespace fs = std::filesystem;

class Engine : public testing::EngineTest {
protected:
    using EngineTest::EngineTest;
    std::string Log() { return Join(log.lines, ", "); }
    // A RegKey item on a key with values (one held), subkeys and a held value deeper down: each
    // level subkeys, then values, then each subkey's contents; the subkeys go whole, the named
    // key and its held value stay.
    void ClearRegKeyItem() {
        for (const char* key : {"Top", "Top\\A", "Top\\B"})
            reg.SetString(key, "drop", "x");
        reg.SetString("Top", "keep", "held");
        reg.SetString("Top\\A\\Deep", "keep", "held only directly under the named key");
        EXPECT_EQ(
            Traces(pitRegKey, "HKEY_CURRENT_USER|^\\Top", true, "^\\Top\\KEEP & ^\\Top\\A\\Deep\\keep"),
            "Delete Top/A/, Delete Top/B/, Delete Top/drop, Keep Top/keep, Delete Top/A/Deep/, Delete Top/A/drop, "
            "Keep Top/A/Deep/keep, Delete Top/B/drop");
        EXPECT_EQ(reg.ValueNames("Top"), Lines{"keep"});
        EXPECT_FALSE(reg.KeyExists("Top\\A") || reg.KeyExists("Top\\B"));
    }
};

// File items take the files of a folder that match their pattern (letter case ignored), or one
// file; a scan removes nothing; other types, and a missing place, find nothing.
TEST_F(Engine, EachItemTypeFindsItsTracesWithoutRegardToLetterCase) {
    for (auto [name, bytes] : {std::pair{"a.tmp", "1"}, {"B.Tmp", "22"}, {"b.log", "333"}, {"index.dat", "4444"}})
        dir.Write(std::string("t/") + name, bytes);
    dir.Write("t/sub/c.tmp", "not looked at");
    EXPECT_EQ(Traces(pitFile, "~/t|*.TMP", false) + "; " + Traces(pitFile, "~/t|?.log", false),
              "Find t/a.tmp, Find t/B.Tmp; Find t/b.log");
    EXPECT_EQ(Traces(pitFile, "~/t", false), "Find t/index.dat, Find t/b.log, Find t/a.tmp, Find t/B.Tmp");
    EXPECT_EQ(Traces(pitFile, "~/t/b.log|*.nothing", false) + Traces(pitFile, "~/t/missing", false), "Find t/b.log");
    for (int32_t type : {int32_t{pitFolder}, 0, 6, 99})
        EXPECT_EQ(Traces(type, "~/t/a.tmp", true), "") << type;
    EXPECT_EQ(Seek(*MakeItem(pitFile, {dir.Path("t"), "b.log"}), false).values->item(1)->Size, 3);
    EXPECT_EQ(dir.Read("t/b.log"), "333");
}

TEST_F(Engine, ClearingFilesDeletesOverwritesLockedIndexDatAndNeverCallsAFailureSuccess) {
    for (const char* name : {"plain.txt", "locked.txt", "held.txt", "stubborn.txt"})
        dir.Write(std::string("t/") + name, name);
    dir.Write("t/Index.DAT", std::string(25000, 'i'));
    files.locked = {Here("~/t/Index.DAT"), Here("~/t/locked.txt")};
    files.failDeletionQuietly = {Here("~/t/stubborn.txt")};
    ctx.securityFillTimes = 3;
    auto item = MakeItem(pitFile, {dir.Path("t")}, {UpperCase(dir.Path("t/held.txt"))});
    Run run = Seek(*item, true);
    EXPECT_EQ(Describe(*run.values),
              "Unknown t/stubborn.txt, Delete t/plain.txt, Unknown t/locked.txt, Keep t/held.txt, Fill t/Index.DAT");
    EXPECT_EQ(dir.Read("t/Index.DAT"), std::string(25000, '\0')) << "overwritten in place, length kept";
    ASSERT_EQ(files.inPlaceOpens.size(), 3u) << "three passes";
    EXPECT_EQ(files.inPlaceOpens[2].writes, (std::vector<size_t>{10000, 10000, 5000})) << "in chunks";
    EXPECT_EQ(dir.Read("t/locked.txt") + dir.Read("t/held.txt"), "locked.txtheld.txt");
    EXPECT_FALSE(dir.Exists("t/plain.txt"));
    // Files are written to the log when added, before their deletion is tried; a file that
    // stays gets one more line, so the last line naming each path is true.
    EXPECT_EQ(Log(), Here("Find ~/t/stubborn.txt, Unknown ~/t/stubborn.txt, Find ~/t/plain.txt, Find ~/t/locked.txt, "
                          "Unknown ~/t/locked.txt, Keep locked ~/t/held.txt, Find ~/t/Index.DAT, Fill blank "
                          "~/t/Index.DAT"));
    // Events carry the final status, in collection order.
    EXPECT_EQ(run.events, std::vector<PrivacyValuePtr>(run.values->begin(), run.values->end()));
    // One file straight: gone already counts as deleted; a locked file whose overwriting is
    // refused stays; a file that is not there cannot be overwritten.
    EXPECT_EQ(DeleteFileOrFill(files, dir.Path("never-there"), true, 1), 0);
    files.refuseWriting = files.locked = {dir.Write("refused.dat", "abc")};
    EXPECT_EQ(DeleteFileOrFill(files, dir.Path("refused.dat"), true, 1), -1);
    EXPECT_TRUE(FillFileBlank(files, dir.Path("absent"), 1));
}

// The wrapper lists every folder in reverse name order; the walk follows the listing, level by
// level: folders, then files, then each folder's own walk in turn.
TEST_F(Engine, FolderItemsWalkDepthFirstAndClearAllButHeldFilesTheirFoldersAndTheRoot) {
    for (const char* file : {"root/top.txt", "root/keep/held.txt", "root/keep/in/gone.txt", "root/empty/deeper/x.txt"})
        dir.Write(file, "x");
    fs::permissions(dir.FsPath("root/empty/deeper/x.txt"), fs::perms::owner_write, fs::perm_options::remove);
    EXPECT_EQ(Traces(pitFolder, "~/root", false, "~/root/keep/held.txt"),
              "Find root/keep/, Find root/empty/, Find root/top.txt, Find root/keep/in/, Keep root/keep/held.txt, Find "
              "root/keep/in/gone.txt, Find root/empty/deeper/, Find root/empty/deeper/x.txt");
    EXPECT_TRUE(dir.Exists("root/empty/deeper/x.txt")) << "a scan removes nothing";
    log.lines.clear();
    EXPECT_EQ(
        Traces(pitFolder, "~/root", true, "~/root/keep/held.txt"),
        "Keep root/keep/, Delete root/empty/, Delete root/top.txt, Delete root/keep/in/, Keep root/keep/held.txt, "
        "Delete root/keep/in/gone.txt, Delete root/empty/deeper/, Delete root/empty/deeper/x.txt");
    EXPECT_TRUE(dir.Exists("root/keep/held.txt"));
    for (const char* gone : {"root/keep/in", "root/empty", "root/top.txt"})
        EXPECT_FALSE(dir.Exists(gone)) << gone;
    // Folders are written with their status when found, files before their deletion; the folder
    // that stays for its held file ends with a line that says so.
    EXPECT_EQ(Log(), Here("Delete ~/root/keep, Delete ~/root/empty, Find ~/root/top.txt, Delete ~/root/keep/in, Keep "
                          "locked ~/root/keep/held.txt, Find ~/root/keep/in/gone.txt, Keep locked ~/root/keep, Delete "
                          "~/root/empty/deeper, Find ~/root/empty/deeper/x.txt"));
}

// A folder that cannot be removed or listed is marked unknown, and logged again.
TEST_F(Engine, AFolderThatCannotBeRemovedOrListedEndsUnknown) {
    dir.Write("root/stuck/x.txt", "x");
    dir.Write("root/closed/y.txt", "y");
    dir.Folder("root/fine");
    files.refuseFolderRemoval = {Here("~/root/stuck")};
    files.refuseListing = {Here("~/root/closed")};
    EXPECT_EQ(Traces(pitFolder, "~/root", true),
              "Unknown root/stuck/, Delete root/fine/, Unknown root/closed/, Delete root/stuck/x.txt");
    EXPECT_EQ(Log(), Here("Delete ~/root/stuck, Delete ~/root/fine, Delete ~/root/closed, Find ~/root/stuck/x.txt, "
                          "Unknown ~/root/stuck, ") +
                         "12/25/2006 3:04:05 PM--" +
                         Here("The folder ~/root/closed could not be listed; nothing in it was sought, Unknown "
                              "~/root/closed"));
    EXPECT_TRUE(dir.Exists("root/closed/y.txt"));
}

// A stop requested while a file is reported ends the walk after it: what was reported is gone,
// the rest stays, and the item's total counts only what was reported.
TEST_F(Engine, AStopRequestedWhileTheThirdFileIsReportedEndsTheWalk) {
    for (const char* name : {"a", "b", "c", "d", "e", "sub/inner"})
        dir.Write(std::string("root/") + name + ".txt", "x");
    auto item = MakeItem(pitFolder, {dir.Path("root")});
    int files = 0;
    Subscription s = item->AppendValue.Subscribe(
        [&](PrivacyItem&, const PrivacyValuePtr& pv) { stop = pv->ValueType == pitFile && ++files == 3; });
    Run run = Seek(*item, true);
    EXPECT_EQ(Describe(*run.values), "Delete root/sub/, Delete root/e.txt, Delete root/d.txt, Delete root/c.txt");
    EXPECT_EQ(run.finishCount, 4);
    for (const char* kept : {"root/b.txt", "root/a.txt", "root/sub/inner.txt"})
        EXPECT_TRUE(dir.Exists(kept)) << kept;
}

// Only filled entries are found, and a clear empties them; a section of about 12 kB is read with
// 1000, 5000 then 25000 bytes. A file that refuses every write leaves the entry unknown.
TEST_F(Engine, IniItemsFindFilledEntriesAndClearThemToEmptyValues) {
    std::string big = "[Big]\r\n";
    for (int i = 0; i < 400; ++i)
        big += "Entry" + std::to_string(i) + "=some value text " + std::to_string(i) + "\r\n";
    const std::string text = "[Recent]\r\na=1\r\nb=\r\nc=\"\"\r\nnoequals\r\nFile2=C:\\x.txt\r\n[Other]\r\nz=9\r\n";
    dir.Write("app.ini", text + big);
    const char* const finds[] = {"~/app.ini|recent|file#", "Find app.ini:File2",
                                 "~/app.ini|Missing",      "",
                                 "~/absent.ini|Recent",    "",
                                 "~/app.ini|Other|?",      "Find app.ini:z",
                                 "~/app.ini|Big|Entry399", "Find app.ini:Entry399"};
    for (size_t i = 0; i < std::size(finds); i += 2)
        EXPECT_EQ(Traces(pitIniFileItem, finds[i], false), finds[i + 1]) << finds[i];
    EXPECT_EQ(Seek(*MakeItem(pitIniFileItem, {dir.Path("app.ini"), "Big"}), false).values->item(400)->Value,
              "some value text 399");
    log.lines.clear();
    auto item = MakeItem(pitIniFileItem, {dir.Path("app.ini"), "Recent"});
    Run run = Seek(*item, true);
    EXPECT_EQ(Describe(*run.values), "Delete app.ini:a, Delete app.ini:File2");
    EXPECT_EQ(std::make_tuple(run.values->item(2)->Value, run.values->item(2)->Size), std::make_tuple("C:\\x.txt", 16));
    EXPECT_EQ(dir.Read("app.ini"),
              "[Recent]\r\na=\r\nb=\r\nc=\"\"\r\nnoequals\r\nFile2=\r\n" + text.substr(text.find("[Other]")) + big);
    EXPECT_EQ(Seek(*item, false).values->Count(), 0) << "emptied entries are not found again";
    struct RefusingProfiles : RealProfileApi {
        bool WriteString(std::string_view, std::string_view, std::string_view, std::string_view) override {
            return false;
        }
    } refusing;
    ctx.profiles = &refusing;
    EXPECT_EQ(Traces(pitIniFileItem, "~/app.ini|Other", true), "Unknown app.ini:z");
    EXPECT_EQ(Log(), "Delete a, Delete File2, Delete z, Unknown z");
}

// Records the arguments of each call; only "ParseSomething" is a parser, and it finds two entries.
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
    EXPECT_EQ(Traces(pitCustomize, "NoSuchParser", false), "");
    EXPECT_EQ(parser.calls,
              (Lines{"parsesomething clear two|three|", "ParseSomething scan ||", "NoSuchParser scan ||"}));
    ctx.parser = nullptr;
    EXPECT_EQ(Traces(pitCustomize, "ParseSomething", false), "");
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
    Run scan = Seek(*MakeItem(pitRegValue, {"HKEY_CURRENT_USER", reg.Path("MRU"), "url#"}), false);
    EXPECT_EQ(Describe(*scan.values), "Find MRU/Url1, Find MRU/Url3, Find MRU/Url4");
    EXPECT_EQ(std::make_tuple(scan.values->item(1)->Size, scan.values->item(1)->RootKey, scan.values->item(3)->Value),
              std::make_tuple(18, int32_t{rkCurrentUser}, "01 02 03"));
    log.lines.clear();
    EXPECT_EQ(Traces(pitRegValue, "HKEY_CURRENT_USER|^\\MRU|url#", true),
              "Delete MRU/Url1, Delete MRU/Url3, Delete MRU/Url4");
    EXPECT_EQ(reg.ValueNames("MRU"), Lines{"Order"});
    EXPECT_EQ(Log(), "Delete Url1, Delete Url3, Delete Url4");
    EXPECT_EQ(Traces(pitRegValue, "HKEY_CURRENT_USER|^\\Nowhere", true), "");
    EXPECT_EQ(Traces(pitRegSubKeyValue, "HKEY_CURRENT_USER|^\\P|PROFILE*", true),
              "Delete P/ProfileA/x, Delete P/ProfileA/y, Delete P/profileB/x");
    EXPECT_EQ(reg.ValueNames("P\\ProfileA"), Lines{});
    EXPECT_TRUE(reg.ValueExists("P\\ProfileA\\Deeper", "z") && reg.ValueExists("P\\Other", "x"));
    EXPECT_EQ(Traces(pitRegSubKeyValue, "HKEY_CURRENT_USER|^\\P", false), "") << "no pattern, no subkey";
}

// A scan finds keys and values alike; a subkey whose deletion fails is logged with the registry's
// code, marked unknown, and the walk goes on.
TEST_F(Engine, RegKeyItemsTakeEverythingBelowButHeldValuesOfTheNamedKey) {
    ClearRegKeyItem();
    reg.SetString("Top\\C", "c", "x");
    EXPECT_EQ(Traces(pitRegKey, "HKEY_CURRENT_USER|^\\Top", false), "Find Top/C/, Find Top/keep, Find Top/C/c");
    reg.SetString("K\\Stuck", "v", "x");
    reg.SetString("K", "w", "y");
    log.lines.clear();
    reg.Counting().FailNext(testing::CountingRegistry::Op::DeleteKey, regAccessDenied);
    EXPECT_EQ(Traces(pitRegKey, "HKEY_CURRENT_USER|^\\K", true), "Unknown K/Stuck/, Delete K/w, Delete K/Stuck/v");
    ASSERT_EQ(log.lines.size(), 5u);
    std::string& failure = log.lines[3];
    EXPECT_TRUE(failure.rfind("12/25/2006 3:04:05 PM--100,", 0) == 0 && failure.ends_with(",5") &&
                failure.find("(GetRegKeyAllSub),") != std::string::npos)
        << failure << ": the code the refused deletion returned ends it";
    EXPECT_EQ(Log(), "Delete Stuck, Find w, Find v, " + failure + ", Unknown Stuck");
}

#ifdef _WIN32
using RealRegistryEngine = testing::OnRealRegistry<Engine>;
TEST_F(RealRegistryEngine, RegKeyItemClearOnTheRealRegistry) { ClearRegKeyItem(); }
#endif

}  // namespace
}  // namespace lumo
