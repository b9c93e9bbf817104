// The special parsers on real folders and files in a scratch folder (the file system wrapped to
// inject locked files and refusals), on the in-memory registry, and through Customize items.
#include <gtest/gtest.h>

#include <algorithm>
#include <tuple>

#include "cleaner/customize_parsers.h"
#include "cleaner/privacy_item.h"
#include "engine_test_support.h"
#include "platform/portable/portable_file_system.h"
#include "platform/portable/portable_system_info.h"
#include "support/scratch_folder.h"
#include "support/registry_fixture.h"
#ifdef _WIN32
#include "platform/win32/win32_file_system.h"
#endif

namespace lumo {
namespace {

using testing::InjectingFileSystem;
using testing::MakeItem;
using testing::RecordingLog;
using testing::ScratchFolder;

#ifdef _WIN32
using RealFileSystem = Win32FileSystem;
#else
using RealFileSystem = PortableFileSystem;
#endif

// Refuses the atomic replace when asked to, as a full disk or a held rdf file would.
class ReplaceRefusingFileSystem : public InjectingFileSystem {
public:
    using InjectingFileSystem::InjectingFileSystem;
    bool refuseReplace = false;
    // The size of these files cannot be read.
    std::set<std::string> sizeUnreadable;
    bool ReplaceAtomically(std::string_view a, std::string_view b) override {
        return !refuseReplace && InjectingFileSystem::ReplaceAtomically(a, b);
    }
    std::optional<int64_t> FileSize(std::string_view path) override {
        if (sizeUnreadable.count(std::string(path)))
            return std::nullopt;
        return InjectingFileSystem::FileSize(path);
    }
};

class Parsers : public ::testing::Test {
protected:
    ScratchFolder dir;
    RealFileSystem realFiles;
    ReplaceRefusingFileSystem files{realFiles};
    PortableSystemInfo system;
    RecordingLog log;
    bool stop = false;
    SeekContext ctx;
    SpecialParser parser;
    PrivacyItem item;
    std::vector<PrivacyValuePtr> events;
    Subscription eventsSubscription;

    Parsers() {
        ctx.files = &files;
        ctx.system = &system;
        ctx.log = &log;
        ctx.stopRequested = &stop;
        ctx.parser = &parser;
        ctx.securityFillTimes = 2;
        system.sid = SidParts{{0, 0, 0, 0, 0, 5}, {21, 1, 2, 3, 1000}};
        // Events of the fixture's own calls, which pass `item` as the calling item.
        eventsSubscription = parser.AppendValue.Subscribe([this](PrivacyItem& pi, const PrivacyValuePtr& pv) {
            if (&pi == &item)
                events.push_back(pv);
        });
    }

    PrivacyValuesPtr Call(std::string_view name, bool clear, std::string profiles = {}) {
        ParserArguments args;
        args.item = &item;
        args.clearValue = clear;
        args.settings = {std::move(profiles), "ignored"};
        PrivacyValuesPtr result = parser.CallParser(name, args, ctx);
        EXPECT_NE(result, nullptr) << name;
        return result;
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
            out.push_back(std::to_string(pv->ValueStatus) + " " + path);
        }
        return out;
    }
};

TEST_F(Parsers, LookedUpByNameWithoutRegardToLetterCase) {
    for (const char* name : {"ParseRecycleBin", "parseiEAUTOCOMPLETE", "PARSEMOZILLAADDRESSHISTORY",
                             "parsemozillahistoryfile", "ParseMozillaCacheFiles", "ParseMozillaCookies"}) {
        auto found = Call(name, false, dir.Path("missing"));
        ASSERT_NE(found, nullptr);
        EXPECT_EQ(found->Count(), 0) << name;
    }
    ParserArguments args;
    for (const char* unknown : {"ParseRecycleBin ", "ParseNothing", "", "CallParser"})
        EXPECT_EQ(parser.CallParser(unknown, args, ctx), nullptr) << unknown;
}

constexpr std::string_view kRdf =
    "<?xml version=\"1.0\"?>\r\n"
    "<RDF:RDF xmlns:NC=\"http://home.netscape.com/NC-rdf#\">\r\n"
    "  <RDF:Seq about=\"nc:urlbar-history\">\r\n"
    "    <RDF:li>http://one.example/</RDF:li>\r\n"
    "    <rdf:LI>http://Two.example/a?b=1&amp;c</rdf:li>\r\n"
    "\t<RDF:li>ftp://three</RDF:li>   \r\n"
    "  </RDF:Seq>\r\n"
    "  <RDF:li>outside the list</RDF:li>\r\n"
    "</RDF:RDF>";
constexpr std::string_view kRdfCleared =
    "<?xml version=\"1.0\"?>\r\n"
    "<RDF:RDF xmlns:NC=\"http://home.netscape.com/NC-rdf#\">\r\n"
    "  <RDF:Seq about=\"nc:urlbar-history\">\r\n"
    "  </RDF:Seq>\r\n"
    "  <RDF:li>outside the list</RDF:li>\r\n"
    "</RDF:RDF>";

TEST_F(Parsers, AddressHistoryEntriesOfProfilesAtTheRightDepthOnly) {
    dir.Write("Profiles/default/ab12.slt/localstore.rdf", kRdf);
    dir.Write("Profiles/default/localstore.rdf", kRdf);  // too shallow
    dir.Write("Profiles/default/ab12.slt/x/localstore.rdf", kRdf);  // too deep
    dir.Write("Profiles/localstore.rdf", kRdf);
    std::string rdf = dir.Path("Profiles/default/ab12.slt/localstore.rdf");

    for (bool clear : {false, true}) {
        events.clear();
        auto found = Call("ParseMozillaAddressHistory", clear, dir.Path("Profiles"));
        ASSERT_EQ(found->Count(), 3);
        std::vector<std::string> values;
        for (const PrivacyValuePtr& pv : *found) {
            EXPECT_EQ(pv->ValueName, "URL:");
            EXPECT_EQ(pv->Path, rdf + ":URL:");
            EXPECT_EQ(pv->ValueType, 7);
            EXPECT_EQ(pv->ValueStatus, clear ? vsDelete : vsFind);
            values.push_back(pv->Value);
        }
        EXPECT_EQ(values,
                  (std::vector<std::string>{"http://one.example/", "http://Two.example/a?b=1&amp;c", "ftp://three"}));
        EXPECT_EQ(events.size(), 3u);
        EXPECT_EQ(dir.Read("Profiles/default/ab12.slt/localstore.rdf"), clear ? kRdfCleared : kRdf);
    }
    EXPECT_FALSE(dir.Exists("Profiles/default/ab12.slt/localstore.rdf.tmp"));
    for (const char* untouched :
         {"Profiles/default/localstore.rdf", "Profiles/default/ab12.slt/x/localstore.rdf", "Profiles/localstore.rdf"})
        EXPECT_EQ(dir.Read(untouched), kRdf) << untouched;
}

TEST_F(Parsers, AddressHistoryFailureLeavesTheRdfFileAndNoTemporaryFile) {
    const std::string broken =
        "  <RDF:Seq about=\"nc:urlbar-history\">\n    <RDF:li>http://kept/</RDF:li>\n"
        "    <RDF:li>http://no-end\n  </RDF:Seq>\n";
    struct Case {
        const char* name;
        std::string content;
        bool refuseReplace;
        std::vector<std::string> traces;
    };
    const std::string z = "Profiles/z/p/localstore.rdf";
    for (const Case& c : {Case{"an entry line without its end", broken, false, {"-1 " + z + ":URL:"}},
                          Case{"the replace refused",
                               std::string(kRdf),
                               true,
                               {"-1 " + z + ":URL:", "-1 " + z + ":URL:", "-1 " + z + ":URL:"}}}) {
        ScratchFolder local;
        dir.Write(z, c.content);
        dir.Write("Profiles/a/p/localstore.rdf", kRdf);  // listed after z: the parse ends before it
        files.refuseReplace = c.refuseReplace;
        events.clear();
        auto found = Call("ParseMozillaAddressHistory", true, dir.Path("Profiles"));
        EXPECT_EQ(Describe(*found), c.traces) << c.name;
        EXPECT_EQ(events.size(), c.traces.size()) << c.name;
        EXPECT_EQ(dir.Read(z), c.content) << c.name;
        EXPECT_FALSE(dir.Exists(z + ".tmp")) << c.name;
        EXPECT_EQ(dir.Read("Profiles/a/p/localstore.rdf"), kRdf) << c.name;
    }
}

TEST_F(Parsers, ProfileFilesDeletedOrOverwrittenWhenLocked) {
    dir.Write("P/a/x/history.dat", std::string(25000, 'h'));
    dir.Write("P/b/y/history.dat", "hist");
    dir.Write("P/b/y/cookies.txt", "cookie");
    dir.Write("P/b/y/Cache/c1", "1");
    dir.Write("P/b/y/Cache/c2", "22");
    dir.Write("P/b/y/Cache/sub/deep", "333");
    dir.Write("P/b/history.dat", "wrong depth");
    files.locked.insert(dir.Path("P/a/x/history.dat"));
    files.failDeletionQuietly.insert(dir.Path("P/b/y/Cache/c1"));
    struct Case {
        const char* parser;
        std::vector<std::string> scan, clear;
    };
    const Case cases[] = {
        {"ParseMozillaHistoryFile",
         {"1 P/b/y/history.dat", "1 P/a/x/history.dat"},
         {"2 P/b/y/history.dat", "3 P/a/x/history.dat"}},
        {"ParseMozillaCookies", {"1 P/b/y/cookies.txt"}, {"2 P/b/y/cookies.txt"}},
        {"ParseMozillaCacheFiles", {"1 P/b/y/Cache/c2", "1 P/b/y/Cache/c1"}, {"2 P/b/y/Cache/c2", "-1 P/b/y/Cache/c1"}},
    };
    for (const Case& c : cases) {
        events.clear();
        EXPECT_EQ(Describe(*Call(c.parser, false, dir.Path("P"))), c.scan) << c.parser;
        EXPECT_EQ(Describe(*Call(c.parser, true, dir.Path("P"))), c.clear) << c.parser;
        EXPECT_EQ(events.size(), c.scan.size() + c.clear.size()) << c.parser;
    }
    EXPECT_EQ(dir.Read("P/a/x/history.dat"), std::string(25000, '\0'));
    // The files that stay end their log with what became of them.
    for (auto [word, file] : {std::pair{"Fill blank ", "P/a/x/history.dat"}, std::pair{"Unknown ", "P/b/y/Cache/c1"}})
        EXPECT_EQ(std::count(log.lines.begin(), log.lines.end(), word + dir.Path(file)), 1) << file;
    EXPECT_EQ(files.inPlaceOpens.size(), 2u) << "two overwrite passes";
    EXPECT_EQ(Describe(*Call("ParseMozillaCacheFiles", false, dir.Path("P"))),
              (std::vector<std::string>{"1 P/b/y/Cache/c1"}));
    for (const char* gone : {"P/b/y/history.dat", "P/b/y/cookies.txt", "P/b/y/Cache/c2"})
        EXPECT_FALSE(dir.Exists(gone)) << gone;
    for (const char* kept : {"P/b/y/Cache/sub/deep", "P/b/history.dat"})
        EXPECT_TRUE(dir.Exists(kept)) << kept;
}

TEST_F(Parsers, AStopRequestEndsTheWholeParse) {
    for (const char* f : {"P/a/x/Cache/1", "P/a/x/Cache/2", "P/b/y/Cache/3"})
        dir.Write(f, "x");
    Subscription s = parser.AppendValue.Subscribe([this](PrivacyItem&, const PrivacyValuePtr&) { stop = true; });
    EXPECT_EQ(Call("ParseMozillaCacheFiles", true, dir.Path("P"))->Count(), 1);
    EXPECT_EQ(events.size(), 1u);
    EXPECT_TRUE(dir.Exists("P/a/x/Cache/1"));
    EXPECT_TRUE(dir.Exists("P/a/x/Cache/2"));
}

class RecycleBin : public Parsers {
protected:
    const std::string sid = "S-1-5-21-1-2-3-1000";
    RecycleBin() {
        system.drives = {{dir.Folder("C"), DriveType::Fixed, "NTFS"},
                         {dir.Folder("D"), DriveType::Fixed, "FAT32"},
                         {dir.Folder("E"), DriveType::CdRom, "NTFS"},
                         {dir.Folder("F"), DriveType::Remote, "NTFS"},
                         {dir.Folder("G"), DriveType::Removable, "FAT"}};
        dir.Write("C/Recycler/" + sid + "/INFO2", "info");
        dir.Write("C/Recycler/" + sid + "/Dc1/inner.txt", "inner");
        dir.Write("C/$Recycle.Bin/" + sid + "/$RAB12.txt", "new style");
        dir.Write("C/Recycler/S-1-5-21-9-9-9-500/other.txt", "another user's");
        dir.Write("C/Recycled/old.txt", "old");
        dir.Write("D/Recycled/d.txt", "d");
        dir.Write("D/Recycler/" + sid + "/not-ntfs.txt", "fat drives have no Recycler");
        for (const char* drive : {"E", "F", "G"})
            dir.Write(std::string(drive) + "/Recycled/x.txt", "never looked at");
    }
    std::vector<std::string> Expected(int status, bool withSid) {
        std::string s = std::to_string(status) + " ";
        std::vector<std::string> out;
        if (withSid)
            out = {s + "C/Recycler/" + sid + "/Dc1", s + "C/Recycler/" + sid + "/INFO2",
                   s + "C/Recycler/" + sid + "/Dc1/inner.txt", s + "C/$Recycle.Bin/" + sid + "/$RAB12.txt"};
        out.push_back(s + "C/Recycled/old.txt");
        out.push_back(s + "D/Recycled/d.txt");
        return out;
    }
    void ExpectUntouched() {
        for (std::string kept :
             {std::string("C/Recycler/S-1-5-21-9-9-9-500/other.txt"), "D/Recycler/" + sid + "/not-ntfs.txt",
              std::string("E/Recycled/x.txt"), std::string("F/Recycled/x.txt"), std::string("G/Recycled/x.txt")})
            EXPECT_TRUE(dir.Exists(kept)) << kept;
    }
};

TEST_F(RecycleBin, ScanReportsTheUsersBinsOnFixedDrivesOnlyAndClearRemovesThem) {
    auto found = Call("ParseRecycleBin", false);
    EXPECT_EQ(Describe(*found), Expected(vsFind, true));
    EXPECT_EQ(events.size(), found->Count() + 0u);
    EXPECT_TRUE(dir.Exists("C/Recycler/" + sid + "/Dc1/inner.txt"));
    EXPECT_TRUE(dir.Exists("C/Recycled/old.txt"));
    EXPECT_EQ(Describe(*Call("ParseRecycleBin", true)), Expected(vsDelete, true));
    for (std::string gone :
         {"C/Recycler/" + sid, "C/$Recycle.Bin/" + sid, std::string("C/Recycled"), std::string("D/Recycled")})
        EXPECT_FALSE(dir.Exists(gone)) << gone;
    EXPECT_TRUE(dir.Exists("C/$Recycle.Bin"));
    ExpectUntouched();
}

TEST_F(RecycleBin, WithoutTheUsersSidNoRecyclerFolderIsTouched) {
    system.sid.reset();
    auto found = Call("ParseRecycleBin", true);
    EXPECT_EQ(Describe(*found), Expected(vsDelete, false));
    EXPECT_TRUE(dir.Exists("C/Recycler/" + sid + "/INFO2"));
    EXPECT_TRUE(dir.Exists("C/$Recycle.Bin/" + sid + "/$RAB12.txt"));
    EXPECT_FALSE(dir.Exists("C/Recycled"));
    ExpectUntouched();
}

TEST_F(RecycleBin, AFileThatStaysIsNotReportedDeleted) {
    files.failDeletionQuietly.insert(dir.Path("C/Recycler/" + sid + "/Dc1/inner.txt"));
    files.refuseFolderRemoval.insert(dir.Path("D/Recycled"));
    auto found = Call("ParseRecycleBin", true);
    std::vector<std::string> expected = Expected(vsDelete, true);
    expected[0] = "-1 C/Recycler/" + sid + "/Dc1";  // its removal failed: the file was still in it
    expected[2] = "-1 C/Recycler/" + sid + "/Dc1/inner.txt";
    EXPECT_EQ(Describe(*found), expected);
    EXPECT_EQ(events[2]->ValueStatus, vsUnknown) << "events carry the final status";
    EXPECT_EQ(std::count(log.lines.begin(), log.lines.end(), "Unknown " + found->item(3)->Path), 1);
    EXPECT_EQ(log.lines.back(), "12/25/2006 3:04:05 PM--The Recycle Bin folder " + dir.Path("D/Recycled") +
                                    " could not be removed (access denied or in use)");
}

TEST_F(Parsers, AutoCompleteStoresThroughTheParser) {
    testing::TestRegistry reg(testing::RegistryKind::Memory);
    ctx.registry = &reg.Api();
    parser.autoCompleteLocations.storageRoot = reg.Path("PSSP");
    parser.autoCompleteLocations.passwordKey = reg.Path("IntelliForms");
    const std::string type = "e161255a-37c3-11d2-bcaa-00c04fd929db";
    const std::string container = "PSSP\\S-1-5-21-1-2-3-1000\\Data\\" + type + "\\" + type;
    for (const char* store : {"\\one", "\\two"})
        reg.SetString(container + store, "v", "x");
    reg.SetString("IntelliForms\\SPW", "v", "z");
    reg.DenyRights(container, keyEnumerateSubKeys);
    EXPECT_EQ(Call("parseIEAutoComplete", false)->Count(), 2);
    EXPECT_TRUE(events.empty()) << "its traces reach the item through the collection only";
    EXPECT_EQ(Describe(*Call("ParseIEAutoComplete", true)).size(), 2u);
    EXPECT_TRUE(reg.SubKeyNames(container).empty());
    EXPECT_FALSE(reg.KeyExists("IntelliForms"));
    EXPECT_EQ(reg.OpenHandles(), 0);
}

TEST_F(Parsers, CustomizeItemsTakeTheParsersCollectionAndSurviveItsFailure) {
    dir.Write("P/a/x/cookies.txt", "c");
    dir.Write("P/b/y/history.dat", "h");
    files.sizeUnreadable.insert(dir.Path("P/b/y/history.dat"));
    for (auto [name, count] : {std::pair{"parsemozillacookies", 1}, std::pair{"ParseMozillaHistoryFile", 0}}) {
        SCOPED_TRACE(name);
        auto pi = MakeItem(pitCustomize, {name, dir.Path("P")});
        int32_t finished = -2, itemEvents = 0;
        Subscription a = pi->AppendValue.Subscribe([&](PrivacyItem&, const PrivacyValuePtr&) { ++itemEvents; });
        Subscription f = pi->ParseItemFinish.Subscribe([&](PrivacyItem&, int32_t n) { finished = n; });
        auto values = pi->GetPrivacyValue(ctx, true, false);
        ASSERT_NE(values, nullptr);
        EXPECT_EQ(std::make_tuple(values->Count(), itemEvents, finished), std::make_tuple(count, count, count));
    }
}

}  // namespace
}  // namespace lumo
