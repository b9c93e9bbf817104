// The seek-and-clear engine on real folders, files and INI files in a scratch folder, with the
// file system wrapped to inject locked files and refusals.
#include <gtest/gtest.h>

#include <filesystem>

#include "base/text.h"
#include "cleaner/customize_parse.h"
#include "cleaner/item_processing.h"
#include "engine_test_support.h"

namespace lumo {
namespace {

using testing::MakeItem;
using Lines = std::vector<std::string>;
namespace fs = std::filesystem;

class Engine : public testing::EngineTest {};

TEST_F(Engine, EachItemTypeFindsItsTracesWithoutRegardToLetterCase) {
    dir.Write("t/a.tmp", "1");
    dir.Write("t/B.Tmp", "22");
    dir.Write("t/b.log", "333");
    dir.Write("t/index.dat", "4444");
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
        auto item = MakeItem(c.type, c.seek);
        Run run = Seek(*item, c.type != pitFile);
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
    auto item = MakeItem(pitFile, {dir.Path("t")}, {UpperCase(held)});
    Run run = Seek(*item, true);
    EXPECT_EQ(Describe(*run.values), (Lines{"Unknown t/stubborn.txt", "Delete t/plain.txt", "Unknown t/locked.txt",
                                            "Keep t/held.txt", "Fill t/Index.DAT"}));
    EXPECT_EQ(dir.Read("t/Index.DAT"), std::string(25000, '\0')) << "overwritten in place, length kept";
    EXPECT_EQ(files.inPlaceOpens.size(), 3u) << "three passes";
    EXPECT_EQ(dir.Read("t/locked.txt") + dir.Read("t/held.txt"), "keepheld");
    EXPECT_FALSE(dir.Exists("t/plain.txt"));
    // Files are written to the log when added, before their deletion is tried; a file that
    // stays gets one more line, so the last line naming each path is true.
    EXPECT_EQ(log.lines,
              (Lines{"Find " + stubborn, "Unknown " + stubborn, "Find " + plain, "Find " + lockedOther,
                     "Unknown " + lockedOther, "Keep locked " + held, "Find " + index, "Fill blank " + index}));
    // Events carry the final status, in collection order.
    EXPECT_EQ(run.events, std::vector<PrivacyValuePtr>(run.values->begin(), run.values->end()));
}

TEST_F(Engine, FolderWalkEachLevelFoldersThenFilesThenEachFolderInTurn) {
    dir.Write("root/f1.txt", "1");
    dir.Write("root/a/a1.txt", "x");
    dir.Write("root/a/deep/d1.txt", "x");
    dir.Write("root/b/b1.txt", "x");
    // The wrapper lists every folder in reverse name order; the walk follows the listing.
    EXPECT_EQ(SeekAndDescribe(*MakeItem(pitFolder, {dir.Path("root")}), false),
              (Lines{"Find root/b/", "Find root/a/", "Find root/f1.txt", "Find root/b/b1.txt", "Find root/a/deep/",
                     "Find root/a/a1.txt", "Find root/a/deep/d1.txt"}));
    EXPECT_TRUE(dir.Exists("root/a/deep/d1.txt"));
}

TEST_F(Engine, FolderClearRemovesEverythingBelowButKeepsHeldFilesTheirFoldersAndTheRoot) {
    dir.Write("root/top.txt", "x");
    std::string held = dir.Write("root/keep/held.txt", "h");
    dir.Write("root/keep/gone.txt", "g");
    dir.Write("root/empty/deeper/x.txt", "x");
    fs::permissions(dir.FsPath("root/empty/deeper/x.txt"), fs::perms::owner_write, fs::perm_options::remove);
    EXPECT_EQ(SeekAndDescribe(*MakeItem(pitFolder, {dir.Path("root")}, {held}), true),
              (Lines{"Keep root/keep/", "Delete root/empty/", "Delete root/top.txt", "Keep root/keep/held.txt",
                     "Delete root/keep/gone.txt", "Delete root/empty/deeper/", "Delete root/empty/deeper/x.txt"}));
    EXPECT_TRUE(dir.Exists("root/keep/held.txt"));
    for (const char* gone : {"root/keep/gone.txt", "root/empty", "root/top.txt"})
        EXPECT_FALSE(dir.Exists(gone)) << gone;
    // Folders are written with their status when found, files before their deletion; the folder
    // that stays for its held file ends with a line that says so.
    EXPECT_EQ(log.lines,
              (Lines{"Delete " + dir.Path("root/keep"), "Delete " + dir.Path("root/empty"),
                     "Find " + dir.Path("root/top.txt"), "Keep locked " + held,
                     "Find " + dir.Path("root/keep/gone.txt"), "Keep locked " + dir.Path("root/keep"),
                     "Delete " + dir.Path("root/empty/deeper"), "Find " + dir.Path("root/empty/deeper/x.txt")}));
}

TEST_F(Engine, AFolderThatCannotBeRemovedOrListedIsMarkedUnknownAndLoggedAgain) {
    dir.Write("root/stuck/x.txt", "x");
    dir.Write("root/closed/y.txt", "y");
    dir.Folder("root/fine");
    files.refuseFolderRemoval = {dir.Path("root/stuck")};
    files.refuseListing = {dir.Path("root/closed")};
    EXPECT_EQ(SeekAndDescribe(*MakeItem(pitFolder, {dir.Path("root")}), true),
              (Lines{"Unknown root/stuck/", "Delete root/fine/", "Unknown root/closed/", "Delete root/stuck/x.txt"}));
    EXPECT_EQ(log.lines, (Lines{"Delete " + dir.Path("root/stuck"), "Delete " + dir.Path("root/fine"),
                                "Delete " + dir.Path("root/closed"), "Find " + dir.Path("root/stuck/x.txt"),
                                "Unknown " + dir.Path("root/stuck"),
                                "12/25/2006 3:04:05 PM--The folder " + dir.Path("root/closed") +
                                    " could not be listed; nothing in it was sought",
                                "Unknown " + dir.Path("root/closed")}));
    EXPECT_TRUE(dir.Exists("root/closed/y.txt"));
}

TEST_F(Engine, AStopRequestedWhileTheThirdFileIsReportedEndsTheWalk) {
    for (const char* name : {"a", "b", "c", "d", "e"})
        dir.Write(std::string("root/") + name + ".txt", "x");
    dir.Write("root/sub/inner.txt", "x");
    auto item = MakeItem(pitFolder, {dir.Path("root")});
    int reported = 0;
    Subscription s = item->AppendValue.Subscribe([&](PrivacyItem&, const PrivacyValuePtr& pv) {
        if (pv->ValueType == pitFile && ++reported == 3)
            stop = true;
    });
    Run run = Seek(*item, true);
    EXPECT_EQ(Describe(*run.values),
              (Lines{"Delete root/sub/", "Delete root/e.txt", "Delete root/d.txt", "Delete root/c.txt"}));
    EXPECT_EQ(run.finishCount, 4);
    for (const char* kept : {"root/b.txt", "root/a.txt", "root/sub/inner.txt"})
        EXPECT_TRUE(dir.Exists(kept)) << kept;
}

TEST_F(Engine, IniItemsFindFilledEntriesAndClearThemToEmptyValues) {
    std::string big = "[Big]\r\n";  // about 12 kB: read with 1000, 5000 then 25000 bytes
    for (int i = 0; i < 400; ++i)
        big += "Entry" + std::to_string(i) + "=some value text " + std::to_string(i) + "\r\n";
    std::string ini =
        dir.Write("app.ini",
                  "[Recent]\r\na=1\r\nb=\r\nc=\"\"\r\nnoequals\r\nFile2=C:\\x.txt\r\n[Other]\r\nz=9\r\n" + big);
    struct Case {
        std::vector<std::string> seek;
        Lines found;
    };
    for (const Case& c : {Case{{ini, "recent", "file#"}, {"Find app.ini:File2"}}, Case{{ini, "Missing"}, {}},
                          Case{{dir.Path("absent.ini"), "Recent"}, {}}, Case{{ini, "Other", "?"}, {"Find app.ini:z"}},
                          Case{{ini, "Big", "Entry399"}, {"Find app.ini:Entry399"}}})
        EXPECT_EQ(SeekAndDescribe(*MakeItem(pitIniFileItem, c.seek), false), c.found) << c.seek[1];
    EXPECT_EQ(Seek(*MakeItem(pitIniFileItem, {ini, "Big"}), false).values->item(400)->Value, "some value text 399");
    log.lines.clear();
    auto item = MakeItem(pitIniFileItem, {ini, "Recent"});
    Run run = Seek(*item, true);
    EXPECT_EQ(Describe(*run.values), (Lines{"Delete app.ini:a", "Delete app.ini:File2"}));
    EXPECT_EQ(run.values->item(2)->Value, "C:\\x.txt");
    EXPECT_EQ(run.values->item(2)->Size, 16);
    EXPECT_EQ(dir.Read("app.ini"), "[Recent]\r\na=\r\nb=\r\nc=\"\"\r\nnoequals\r\nFile2=\r\n[Other]\r\nz=9\r\n" + big);
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
    EXPECT_EQ(SeekAndDescribe(*MakeItem(pitIniFileItem, {ini, "Other"}), true), Lines{"Unknown app.ini:z"});
    EXPECT_EQ(log.lines, (Lines{"Delete z", "Unknown z"}));
}

// Records each call; only "ParseSomething" is a parser, and it finds two entries.
class FakeParser : public CustomizeParse {
public:
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

TEST_F(Engine, CustomizeItemsHandTheirArgumentsToTheNamedParser) {
    FakeParser parser;
    ctx.parser = &parser;
    auto item = MakeItem(pitCustomize, {"parsesomething", "two", "three"});
    Run run = Seek(*item, true);
    EXPECT_EQ(run.values->Count(), 2);
    EXPECT_EQ(run.events.size(), 2u) << "the parser's events come out as the item's own";
    EXPECT_EQ(run.finishCount, 2);

    // Another item calling the parser later: the first item, still subscribed, stays quiet.
    size_t firstItemEvents = 0;
    Subscription s = item->AppendValue.Subscribe([&](PrivacyItem&, const PrivacyValuePtr&) { ++firstItemEvents; });
    EXPECT_EQ(Seek(*MakeItem(pitCustomize, {"ParseSomething"}), false).events.size(), 2u);
    EXPECT_EQ(firstItemEvents, 0u);
    // No such parser, or no parser at all: an empty collection.
    EXPECT_EQ(Seek(*MakeItem(pitCustomize, {"NoSuchParser"}), false).finishCount, 0);
    EXPECT_EQ(parser.calls,
              (Lines{"parsesomething clear two|three|", "ParseSomething scan ||", "NoSuchParser scan ||"}));
    ctx.parser = nullptr;
    EXPECT_EQ(Seek(*MakeItem(pitCustomize, {"ParseSomething"}), false).values->Count(), 0);
}

}  // namespace
}  // namespace lumo
