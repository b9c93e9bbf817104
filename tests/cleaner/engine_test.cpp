// The seek-and-clear engine on real folders, files and INI files in a scratch folder (the file
// system wrapped to inject locked files and refusals) and on the test registry. Items and
// expected log lines are written with "~" for the scratch folder and "^" for the registry branch.
#include <gtest/gtest.h>

#include "cleaner/customize_parse.h"
#include "cleaner/file_clearing.h"
#include "engine_test_support.h"
#include "registry/reg_value.h"

namespace lumo {
namespace {

using testing::MakeItem;
using Lines = std::vector<std::string>;

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
