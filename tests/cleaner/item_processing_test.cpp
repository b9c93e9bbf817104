// The seek-and-clear engine on real folders, files and INI files in a scratch folder, with the
// file system wrapped to inject locked files and refusals.
#include <gtest/gtest.h>

#include <filesystem>

#include "base/text.h"
#include "cleaner/customize_parse.h"
#include "cleaner/item_processing.h"
#include "engine_test_support.h"
#include "platform/portable/portable_file_system.h"
#include "platform/portable/portable_profile_api.h"
#include "support/scratch_folder.h"
#ifdef _WIN32
#include "platform/win32/win32_file_system.h"
#include "platform/win32/win32_profile_api.h"
#endif

namespace lumo {
namespace {

using testing::InjectingFileSystem;
using testing::MakeItem;
using testing::RecordingLog;
using testing::ScratchFolder;
namespace fs = std::filesystem;

// The real file system and INI functions of the build's platform.
#ifdef _WIN32
using RealFileSystem = Win32FileSystem;
using RealProfileApi = Win32ProfileApi;
#else
using RealFileSystem = PortableFileSystem;
using RealProfileApi = PortableProfileApi;
#endif

class Engine : public ::testing::Test {
protected:
    ScratchFolder dir;
    RealFileSystem realFiles;
    InjectingFileSystem files{realFiles};
    RealProfileApi profiles;
    RecordingLog log;
    bool stop = false;
    SeekContext ctx;

    Engine() {
        ctx.files = &files;
        ctx.profiles = &profiles;
        ctx.log = &log;
        ctx.stopRequested = &stop;
    }

    struct Run {
        PrivacyValuesPtr values;
        std::vector<PrivacyValuePtr> events;
        int32_t finishCount = -2;
    };

    Run Seek(PrivacyItem& item, bool clear) {
        Run run;
        Subscription a = item.AppendValue.Subscribe([&](PrivacyItem& pi, const PrivacyValuePtr& pv) {
            EXPECT_EQ(&pi, &item);
            run.events.push_back(pv);
        });
        Subscription f = item.ParseItemFinish.Subscribe([&](PrivacyItem&, int32_t n) { run.finishCount = n; });
        run.values = item.GetPrivacyValue(ctx, true, clear);
        return run;
    }

    // "<status> <path relative to the scratch folder>" per trace, in collection order.
    std::vector<std::string> Describe(const PrivacyValues& pvs) const {
        std::vector<std::string> out;
        std::string root = dir.Path();
        for (const PrivacyValuePtr& pv : pvs) {
            std::string path = pv->Path;
            if (path.rfind(root, 0) == 0)
                path = path.substr(root.size() + 1);
            std::replace(path.begin(), path.end(), '\\', '/');
            out.push_back(std::to_string(pv->ValueStatus) + " " + std::to_string(pv->ValueType) + " " + path);
        }
        return out;
    }
};

TEST_F(Engine, FileItemMatchesNamesWithoutRegardToLetterCase) {
    dir.Write("t/a.tmp", "1");
    dir.Write("t/B.Tmp", "22");
    dir.Write("t/b.log", "333");
    dir.Write("t/index.dat", "4444");
    dir.Write("t/sub/c.tmp", "not looked at");
    struct Case {
        std::vector<std::string> seek;
        std::vector<std::string> found;
    };
    for (const Case& c :
         {Case{{dir.Path("t"), "*.TMP"}, {"1 4 t/a.tmp", "1 4 t/B.Tmp"}},
          Case{{dir.Path("t"), "?.log"}, {"1 4 t/b.log"}},
          Case{{dir.Path("t")}, {"1 4 t/index.dat", "1 4 t/b.log", "1 4 t/a.tmp", "1 4 t/B.Tmp"}},
          Case{{dir.Path("t/b.log"), "*.nothing"}, {"1 4 t/b.log"}}, Case{{dir.Path("t/missing")}, {}}}) {
        auto item = MakeItem(pitFile, c.seek);
        Run run = Seek(*item, false);
        EXPECT_EQ(Describe(*run.values), c.found) << c.seek[0];
        EXPECT_EQ(run.finishCount, static_cast<int32_t>(c.found.size()));
    }
    auto item = MakeItem(pitFile, {dir.Path("t"), "b.log"});
    Run run = Seek(*item, false);
    ASSERT_EQ(run.values->Count(), 1);
    const PrivacyValue& pv = *run.values->item(1);
    EXPECT_EQ(pv.ValueName, "b.log");
    EXPECT_EQ(pv.Value, "b.log");
    EXPECT_EQ(pv.Size, 3);
    EXPECT_EQ(pv.RootKey, 0);
    EXPECT_TRUE(dir.Exists("t/b.log")) << "a scan removes nothing";
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

    EXPECT_EQ(Describe(*run.values),
              (std::vector<std::string>{"-1 4 t/stubborn.txt", "2 4 t/plain.txt", "-1 4 t/locked.txt", "4 4 t/held.txt",
                                        "3 4 t/Index.DAT"}));
    EXPECT_EQ(dir.Read("t/Index.DAT"), std::string(25000, '\0')) << "overwritten in place, length kept";
    EXPECT_EQ(dir.Read("t/locked.txt"), "keep");
    EXPECT_EQ(dir.Read("t/held.txt"), "held");
    EXPECT_FALSE(dir.Exists("t/plain.txt"));
    ASSERT_EQ(files.inPlaceOpens.size(), 3u) << "three passes, each opened anew";
    for (const auto& open : files.inPlaceOpens) {
        EXPECT_EQ(open.path, index);
        EXPECT_EQ(open.writes, (std::vector<size_t>{10000, 10000, 5000}));
    }
    // Files are written to the log when added, before their deletion is tried; a file that
    // stays gets one more line, so the last line naming each path is true.
    EXPECT_EQ(log.lines, (std::vector<std::string>{"Find " + stubborn, "Unknown " + stubborn, "Find " + plain,
                                                   "Find " + lockedOther, "Unknown " + lockedOther,
                                                   "Keep locked " + held, "Find " + index, "Fill blank " + index}));
    // Events carry the final status, in collection order.
    ASSERT_EQ(run.events.size(), 5u);
    for (int i = 0; i < 5; ++i)
        EXPECT_EQ(run.events[static_cast<size_t>(i)], run.values->item(i + 1));
}

TEST_F(Engine, FolderWalkOrderEachLevelFoldersThenFilesThenEachFolderInTurn) {
    dir.Write("root/f1.txt", "1");
    dir.Write("root/f2.txt", "22");
    dir.Write("root/a/a1.txt", "x");
    dir.Write("root/a/deep/d1.txt", "x");
    dir.Folder("root/b");
    dir.Write("root/b/b1.txt", "x");
    auto item = MakeItem(pitFolder, {dir.Path("root")});
    Run run = Seek(*item, false);
    // The wrapper lists every folder in reverse name order; the walk follows the listing.
    EXPECT_EQ(Describe(*run.values),
              (std::vector<std::string>{"1 5 root/b", "1 5 root/a", "1 4 root/f2.txt", "1 4 root/f1.txt",
                                        "1 4 root/b/b1.txt", "1 5 root/a/deep", "1 4 root/a/a1.txt",
                                        "1 4 root/a/deep/d1.txt"}));
    EXPECT_EQ(run.values->item(3)->Size, 2);
    for (const auto& [folder, count] : files.listings)
        EXPECT_EQ(count, 1) << folder << " listed more than once";
    EXPECT_EQ(files.listings.size(), 4u);
    EXPECT_TRUE(dir.Exists("root/a/deep/d1.txt"));
}

TEST_F(Engine, FolderClearRemovesEverythingBelowButKeepsHeldFilesTheirFoldersAndTheRoot) {
    dir.Write("root/top.txt", "x");
    std::string held = dir.Write("root/keep/held.txt", "h");
    dir.Write("root/keep/gone.txt", "g");
    dir.Write("root/empty/deeper/x.txt", "x");
    fs::permissions(dir.FsPath("root/empty/deeper/x.txt"), fs::perms::owner_write, fs::perm_options::remove);
    auto item = MakeItem(pitFolder, {dir.Path("root")}, {held});
    Run run = Seek(*item, true);
    EXPECT_EQ(Describe(*run.values),
              (std::vector<std::string>{"4 5 root/keep", "2 5 root/empty", "2 4 root/top.txt", "4 4 root/keep/held.txt",
                                        "2 4 root/keep/gone.txt", "2 5 root/empty/deeper",
                                        "2 4 root/empty/deeper/x.txt"}));
    EXPECT_TRUE(dir.Exists("root/keep/held.txt"));
    EXPECT_FALSE(dir.Exists("root/keep/gone.txt"));
    EXPECT_FALSE(dir.Exists("root/empty"));
    EXPECT_FALSE(dir.Exists("root/top.txt"));
    EXPECT_TRUE(dir.Exists("root")) << "the item's own folder stays";
    // Folders are written with their status when found, files before their deletion; the folder
    // that stays for its held file ends with a line that says so.
    EXPECT_EQ(log.lines,
              (std::vector<std::string>{"Delete " + dir.Path("root/keep"), "Delete " + dir.Path("root/empty"),
                                        "Find " + dir.Path("root/top.txt"), "Keep locked " + held,
                                        "Find " + dir.Path("root/keep/gone.txt"),
                                        "Keep locked " + dir.Path("root/keep"),
                                        "Delete " + dir.Path("root/empty/deeper"),
                                        "Find " + dir.Path("root/empty/deeper/x.txt")}));
}

TEST_F(Engine, LinksAreRemovedAsLinksAndWhatTheyPointToStays) {
    dir.Write("outside/precious.txt", "keep me");
    dir.Write("outside/sub/also.txt", "keep me too");
    dir.Write("root/f.txt", "x");
    std::error_code ec;
    fs::create_directory_symlink(dir.FsPath("outside"), dir.FsPath("root/link"), ec);
    if (ec)
        GTEST_SKIP() << "no folder links here: " << ec.message();
    fs::create_symlink(dir.FsPath("outside/precious.txt"), dir.FsPath("root/filelink"), ec);

    auto scanItem = MakeItem(pitFolder, {dir.Path("root")});
    Run scan = Seek(*scanItem, false);
    EXPECT_EQ(Describe(*scan.values),
              (std::vector<std::string>{"1 5 root/link", "1 4 root/filelink", "1 4 root/f.txt"}))
        << "nothing behind a link is reported";

    auto item = MakeItem(pitFolder, {dir.Path("root")});
    Run run = Seek(*item, true);
    EXPECT_EQ(Describe(*run.values),
              (std::vector<std::string>{"2 5 root/link", "2 4 root/filelink", "2 4 root/f.txt"}));
    EXPECT_FALSE(dir.Exists("root/link"));
    EXPECT_FALSE(dir.Exists("root/filelink"));
    EXPECT_EQ(dir.Read("outside/precious.txt"), "keep me");
    EXPECT_EQ(dir.Read("outside/sub/also.txt"), "keep me too");
}

TEST_F(Engine, AFolderThatCannotBeRemovedOrListedIsMarkedUnknownAndLoggedAgain) {
    dir.Write("root/stuck/x.txt", "x");
    dir.Write("root/closed/y.txt", "y");
    dir.Folder("root/fine");
    files.refuseFolderRemoval = {dir.Path("root/stuck")};
    files.refuseListing = {dir.Path("root/closed")};
    auto item = MakeItem(pitFolder, {dir.Path("root")});
    Run run = Seek(*item, true);
    EXPECT_EQ(Describe(*run.values), (std::vector<std::string>{"-1 5 root/stuck", "2 5 root/fine", "-1 5 root/closed",
                                                               "2 4 root/stuck/x.txt"}));
    EXPECT_EQ(log.lines,
              (std::vector<std::string>{"Delete " + dir.Path("root/stuck"), "Delete " + dir.Path("root/fine"),
                                        "Delete " + dir.Path("root/closed"), "Find " + dir.Path("root/stuck/x.txt"),
                                        "Unknown " + dir.Path("root/stuck"),
                                        "12/25/2006 3:04:05 PM--The folder " + dir.Path("root/closed") +
                                            " could not be listed; nothing in it was sought",
                                        "Unknown " + dir.Path("root/closed")}));
    EXPECT_TRUE(dir.Exists("root/stuck"));
    EXPECT_FALSE(dir.Exists("root/stuck/x.txt"));
    EXPECT_TRUE(dir.Exists("root/closed/y.txt"));
}

TEST_F(Engine, AStopRequestedWhileTheThirdFileIsReportedEndsTheWalk) {
    for (const char* name : {"a", "b", "c", "d", "e"})
        dir.Write(std::string("root/") + name + ".txt", "x");
    dir.Write("root/sub/inner.txt", "x");
    auto item = MakeItem(pitFolder, {dir.Path("root")});
    int files_ = 0;
    Subscription s = item->AppendValue.Subscribe([&](PrivacyItem&, const PrivacyValuePtr& pv) {
        if (pv->ValueType == 4 && ++files_ == 3)
            stop = true;
    });
    Run run = Seek(*item, true);
    EXPECT_EQ(Describe(*run.values),
              (std::vector<std::string>{"2 5 root/sub", "2 4 root/e.txt", "2 4 root/d.txt", "2 4 root/c.txt"}));
    EXPECT_EQ(run.finishCount, 4);
    for (const char* kept : {"root/b.txt", "root/a.txt", "root/sub/inner.txt"})
        EXPECT_TRUE(dir.Exists(kept)) << kept;
    EXPECT_FALSE(dir.Exists("root/c.txt"));
}

TEST_F(Engine, IniItemsFindFilledEntriesAndClearThemToEmptyValues) {
    std::string ini =
        dir.Write("app.ini", "[Recent]\r\na=1\r\nb=\r\nc=\"\"\r\nnoequals\r\nFile2=C:\\x.txt\r\n[Other]\r\nz=9\r\n");
    struct Case {
        std::vector<std::string> seek;
        std::vector<std::string> keys;
    };
    for (const Case& c :
         {Case{{ini, "Recent"}, {"a", "File2"}}, Case{{ini, "recent", "file#"}, {"File2"}}, Case{{ini, "Missing"}, {}},
          Case{{dir.Path("absent.ini"), "Recent"}, {}}, Case{{ini, "Other", "?"}, {"z"}}}) {
        auto item = MakeItem(pitIniFileItem, c.seek);
        Run run = Seek(*item, false);
        std::vector<std::string> keys;
        for (const auto& pv : *run.values)
            keys.push_back(pv->ValueName);
        EXPECT_EQ(keys, c.keys) << c.seek[1];
    }
    log.lines.clear();
    auto item = MakeItem(pitIniFileItem, {ini, "Recent"});
    Run run = Seek(*item, true);
    ASSERT_EQ(run.values->Count(), 2);
    const PrivacyValue& pv = *run.values->item(2);
    EXPECT_EQ(pv.Path, ini + ":File2");
    EXPECT_EQ(pv.Value, "C:\\x.txt");
    EXPECT_EQ(pv.Size, 16);
    EXPECT_EQ(pv.ValueStatus, vsDelete);
    EXPECT_EQ(dir.Read("app.ini"), "[Recent]\r\na=\r\nb=\r\nc=\"\"\r\nnoequals\r\nFile2=\r\n[Other]\r\nz=9\r\n");
    EXPECT_EQ(log.lines, (std::vector<std::string>{"Delete a", "Delete File2"}));
    EXPECT_EQ(Seek(*item, false).values->Count(), 0) << "emptied entries are not found again";
}

TEST_F(Engine, IniSectionsLargerThanTheFirstBufferAreReadWhole) {
    std::string text = "[Big]\r\n";
    for (int i = 0; i < 400; ++i)
        text += "Entry" + std::to_string(i) + "=some value text " + std::to_string(i) + "\r\n";
    std::string ini = dir.Write("big.ini", text);  // about 12 kB: 1000 -> 5000 -> 25000 bytes
    auto item = MakeItem(pitIniFileItem, {ini, "Big"});
    Run run = Seek(*item, false);
    ASSERT_EQ(run.values->Count(), 400);
    EXPECT_EQ(run.values->item(400)->ValueName, "Entry399");
    EXPECT_EQ(run.values->item(400)->Value, "some value text 399");
}

// Refuses every write, as a read-only INI file does.
struct RefusingProfiles : RealProfileApi {
    bool WriteString(std::string_view, std::string_view, std::string_view, std::string_view) override { return false; }
};

TEST_F(Engine, AnIniEntryThatCannotBeEmptiedIsMarkedUnknownAndLoggedAgain) {
    std::string ini = dir.Write("ro.ini", "[S]\r\nk=v\r\n");
    RefusingProfiles refusing;
    ctx.profiles = &refusing;
    auto item = MakeItem(pitIniFileItem, {ini, "S"});
    Run run = Seek(*item, true);
    ASSERT_EQ(run.values->Count(), 1);
    EXPECT_EQ(run.values->item(1)->ValueStatus, vsUnknown);
    EXPECT_EQ(log.lines, (std::vector<std::string>{"Delete k", "Unknown k"}));
    EXPECT_EQ(dir.Read("ro.ini"), "[S]\r\nk=v\r\n");
}

class FakeParser : public CustomizeParse {
public:
    std::vector<std::string> calls;
    bool fail = false;
    PrivacyValuesPtr CallParser(std::string_view sName, const ParserArguments& args, SeekContext& ctx) override {
        calls.push_back(std::string(sName) + (args.clearValue ? " clear " : " scan ") + args.Element(2) + "|" +
                        args.Element(3) + "|" + args.Element(4));
        if (!EqualsIgnoreCase(sName, "ParseSomething"))
            return nullptr;
        auto pvs = std::make_shared<PrivacyValues>(ctx.log);
        for (int i = 0; i < 2; ++i) {
            if (fail && i == 1)
                throw std::runtime_error("the parser failed");
            AppendValue(*args.item, pvs->AddIniFileItem("f", "k" + std::to_string(i), "v", vsFind));
        }
        return pvs;
    }
};

TEST_F(Engine, CustomizeItemsHandTheirArgumentsToTheNamedParser) {
    FakeParser parser;
    ctx.parser = &parser;
    auto item = MakeItem(pitCustomize, {"parsesomething", "two", "three"});
    Run run = Seek(*item, true);
    EXPECT_EQ(parser.calls, (std::vector<std::string>{"parsesomething clear two|three|"}));
    EXPECT_EQ(run.values->Count(), 2);
    EXPECT_EQ(run.events.size(), 2u) << "the parser's events come out as the item's own";
    EXPECT_EQ(run.finishCount, 2);

    // Another item calling the parser later: the first item, still subscribed, stays quiet.
    auto other = MakeItem(pitCustomize, {"ParseSomething"});
    size_t firstItemEvents = 0;
    Subscription s = item->AppendValue.Subscribe([&](PrivacyItem&, const PrivacyValuePtr&) { ++firstItemEvents; });
    EXPECT_EQ(Seek(*other, false).events.size(), 2u);
    EXPECT_EQ(firstItemEvents, 0u);

    struct Case {
        const char* name;
        bool fail;
        bool withParser;
    };
    for (const Case& c : {Case{"NoSuchParser", false, true}, Case{"ParseSomething", true, true},
                          Case{"ParseSomething", false, false}}) {
        parser.fail = c.fail;
        ctx.parser = c.withParser ? &parser : nullptr;
        auto failing = MakeItem(pitCustomize, {c.name});
        Run r = Seek(*failing, false);
        ASSERT_NE(r.values, nullptr);
        EXPECT_EQ(r.values->Count(), 0) << c.name;
        EXPECT_EQ(r.finishCount, 0) << c.name;
    }
}

TEST_F(Engine, TypesWithoutASeekFindNothing) {
    dir.Write("x/f.txt", "x");
    for (int32_t type : {0, 6, 99, -1}) {
        auto item = MakeItem(type, {dir.Path("x")});
        Run run = Seek(*item, true);
        ASSERT_NE(run.values, nullptr);
        EXPECT_EQ(run.values->Count(), 0) << type;
        EXPECT_EQ(run.finishCount, 0) << type;
    }
    EXPECT_TRUE(dir.Exists("x/f.txt"));
}

}  // namespace
}  // namespace lumo
