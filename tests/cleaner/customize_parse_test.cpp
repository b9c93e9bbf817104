// The special parsers: the Recycle Bin and the Mozilla profile files on real folders and files in
// a scratch folder (the file system wrapped to inject locked files and refusals), and the
// AutoComplete stores in a test registry branch that stands in for Protected Storage (in memory,
// and once end to end on the real registry under Windows).
#include <gtest/gtest.h>

#include "cleaner/customize_parsers.h"
#include "engine_test_support.h"
#include "platform/portable/portable_system_info.h"
#include "registry/user_identity.h"
#ifdef _WIN32
#include "platform/win32/win32_system_info.h"
#endif

namespace lumo {
namespace {

using Lines = std::vector<std::string>;
const std::string kFormsType = "e161255a-37c3-11d2-bcaa-00c04fd929db";

Lines operator+(Lines a, const Lines& b) {
    a.insert(a.end(), b.begin(), b.end());
    return a;
}

// Refuses the atomic replace when asked to, as a full disk or a held rdf file would.
struct ReplaceRefusingFileSystem : testing::InjectingFileSystem {
    using InjectingFileSystem::InjectingFileSystem;
    bool refuseReplace = false;
    bool ReplaceAtomically(std::string_view a, std::string_view b) override {
        return !refuseReplace && InjectingFileSystem::ReplaceAtomically(a, b);
    }
};

class Parsers : public testing::EngineTest {
public:
    ReplaceRefusingFileSystem refusing{files};
    PortableSystemInfo system;
    SpecialParser parser;
    PrivacyItem item;
    PrivacyValuesPtr found;
    std::vector<int32_t> reported;  // the status of each trace when its event came
    Subscription events;

    explicit Parsers(testing::RegistryKind kind = testing::RegistryKind::Memory) : EngineTest(kind) {
        ctx.files = &refusing;
        ctx.system = &system;
        ctx.parser = &parser;
        ctx.securityFillTimes = 2;
        system.sid = SidParts{{0, 0, 0, 0, 0, 5}, {21, 1, 2, 3, 1000}};
        parser.autoCompleteLocations = {reg.Path("PSSP"), reg.Path("IntelliForms")};
        events = parser.AppendValue.Subscribe(
            [this](PrivacyItem&, const PrivacyValuePtr& pv) { reported.push_back(pv->ValueStatus); });
    }

    // Every trace comes with an event, and each file's event carries its final status (a folder
    // or an address entry learns whether it went only when all in it did); the AutoComplete
    // stores reach the item through the collection only.
    Lines Call(std::string_view name, bool clear, const std::string& profiles = {}) {
        reported.clear();
        found = parser.CallParser(name, {&item, clear, {profiles}}, ctx);
        std::vector<int32_t> statuses;
        for (const PrivacyValuePtr& pv : *found)
            statuses.push_back(pv->ValueType == 4 || statuses.size() >= reported.size() ? pv->ValueStatus
                                                                                        : reported[statuses.size()]);
        EXPECT_EQ(reported, name == "ParseIEAutoComplete" ? std::vector<int32_t>{} : statuses) << name;
        return Describe(*found);
    }

    // "name:status" of each AutoComplete store a scan or a clear finds.
    Lines Stores(bool clear) {
        Call("ParseIEAutoComplete", clear);
        Lines out;
        for (const PrivacyValuePtr& pv : *found)
            out.push_back(pv->ValueName + ":" + std::to_string(pv->ValueStatus));
        return out;
    }

    // Three stores in a container that refuses listing, as Protected Storage does until the root's
    // list is on it: a scan lists them, a clear deletes them deeply with the saved form passwords,
    // and every key of the chain refuses again what it refused. Below one store a key refuses
    // listing: its subkey is never found, the store cannot go, and is reported so. Another user's
    // store stays.
    void ScanAndClearLockedStores() {
        const std::string user = "PSSP\\" + GetUserSidString(system),
                          container = user + "\\Data\\" + kFormsType + "\\" + kFormsType,
                          other = "PSSP\\S-1-5-21-0-0-0-1\\Data\\" + kFormsType + "\\" + kFormsType + "\\other";
        auto store = [&](const std::string& name) { return container + "\\" + name; };
        reg.SetString(store("beta\\inner"), "v", "typed text");
        reg.SetString(store("alpha"), "w", "more text");
        reg.SetString("IntelliForms\\SPW", "x", "secret");
        reg.CreateKey(store("b2\\guarded\\leaf"));
        reg.CreateKey(other);
        reg.DenyRights(store("b2\\guarded"), keyEnumerateSubKeys);
        reg.DenyRights(container, keyEnumerateSubKeys);
        reg.DenyRights(user, keyEnumerateSubKeys | keySetValue);
        auto refusing = [&] { return reg.SubKeyNames(user).empty() && reg.SubKeyNames(container).empty(); };

        EXPECT_EQ(Stores(false), (Lines{"alpha:1", "b2:1", "beta:1"}));
        EXPECT_EQ(std::make_tuple(found->item(1)->Path, found->item(1)->RootKey),
                  std::make_tuple(reg.Path(store("alpha")), reg.kRoot));
        EXPECT_EQ(log.lines.size(), 3u);
        EXPECT_EQ(log.lines.back(), PrivacyLog::EntryLine(*found->item(3)));
        EXPECT_TRUE(reg.KeyExists(store("beta\\inner")) && refusing());

        EXPECT_EQ(Stores(true), (Lines{"alpha:2", "b2:-1", "beta:2"}));
        EXPECT_FALSE(reg.KeyExists(store("alpha")) || reg.KeyExists(store("beta")) || reg.KeyExists("IntelliForms"));
        EXPECT_TRUE(reg.KeyExists(store("b2\\guarded")) && reg.KeyExists(other) && refusing());
        EXPECT_EQ(std::count(log.lines.begin(), log.lines.end(),
                             "A autocomplete regkey can't be deleted(Access Deny)."),
                  1);
    }
};

TEST_F(Parsers, ProfileFilesAreDeletedOrOverwrittenWhenLockedAndNamesFoundInAnyLetterCase) {
    dir.Write("P/a/x/history.dat", std::string(25000, 'h'));
    for (const char* f : {"P/b/y/history.dat", "P/b/y/cookies.txt", "P/b/y/Cache/c1", "P/b/y/Cache/c2",
                          "P/b/y/Cache/sub/deep", "P/b/history.dat"})
        dir.Write(f, "x");
    files.locked.insert(dir.Path("P/a/x/history.dat"));
    files.failDeletionQuietly.insert(dir.Path("P/b/y/Cache/c1"));
    Lines scans, clears;
    for (const char* name : {"parsemozillahistoryfile", "PARSEMOZILLACOOKIES", "ParseMozillaCacheFiles"}) {
        scans = scans + Call(name, false, dir.Path("P"));
        clears = clears + Call(name, true, dir.Path("P"));
    }
    EXPECT_EQ(scans, (Lines{"Find P/b/y/history.dat", "Find P/a/x/history.dat", "Find P/b/y/cookies.txt",
                            "Find P/b/y/Cache/c2", "Find P/b/y/Cache/c1"}));
    EXPECT_EQ(clears, (Lines{"Delete P/b/y/history.dat", "Fill P/a/x/history.dat", "Delete P/b/y/cookies.txt",
                             "Delete P/b/y/Cache/c2", "Unknown P/b/y/Cache/c1"}));
    EXPECT_EQ(dir.Read("P/a/x/history.dat"), std::string(25000, '\0'));
    EXPECT_EQ(files.inPlaceOpens.size(), 2u) << "two overwrite passes";
    // The files that stay end their log with what became of them.
    for (auto [word, file] : {std::pair{"Fill blank ", "P/a/x/history.dat"}, std::pair{"Unknown ", "P/b/y/Cache/c1"}})
        EXPECT_EQ(std::count(log.lines.begin(), log.lines.end(), word + dir.Path(file)), 1) << file;
    EXPECT_EQ(Call("ParseMozillaCacheFiles", false, dir.Path("P")), Lines{"Find P/b/y/Cache/c1"});
    for (const char* kept : {"P/b/y/Cache/sub/deep", "P/b/history.dat"})
        EXPECT_TRUE(dir.Exists(kept)) << kept;
    for (const char* unknown : {"ParseRecycleBin ", "ParseNothing", ""})
        EXPECT_EQ(parser.CallParser(unknown, {}, ctx), nullptr) << unknown;
}

// A clear rewrites each localstore.rdf without the entries of its address list; a file it cannot
// rewrite stays as it was, its entries end "Unknown" and the parse ends there.
TEST_F(Parsers, AddressHistoryEntriesGoFromTheRdfFileOrItStaysAsItWas) {
    const std::string
        head = "<?xml version=\"1.0\"?>\r\n  <RDF:Seq about=\"nc:urlbar-history\">\r\n",
        entries = "    <RDF:li>http://one.example/</RDF:li>\r\n<rdf:LI>http://Two.example/a?b=1&amp;c</rdf:li>\r\n",
        tail = "\t</RDF:Seq>   \r\n  <RDF:li>outside the list</RDF:li>\r\n</RDF:RDF>", rdf = head + entries + tail,
        z = "P/z/p/localstore.rdf", a = "P/a/p/localstore.rdf";
    dir.Write(z, rdf);
    dir.Write(a, rdf);
    EXPECT_EQ(Call("ParseMozillaAddressHistory", false, dir.Path("P")),
              Lines(2, "Find " + z + ":URL:") + Lines(2, "Find " + a + ":URL:"));
    EXPECT_EQ((Lines{found->item(1)->Value, found->item(2)->Value}),
              (Lines{"http://one.example/", "http://Two.example/a?b=1&amp;c"}));
    struct Case {
        const char* name;
        std::string content;
        bool refuseReplace;
        const char* word;
        size_t others;  // traces of a, listed after z
    };
    for (const Case& c :
         {Case{"all goes", rdf, false, "Delete ", 2}, Case{"the replace refused", rdf, true, "Unknown ", 0},
          Case{"an entry without its end", head + entries + "<RDF:li>http://no-end\r\n" + tail, false, "Unknown ",
               0}}) {
        SCOPED_TRACE(c.name);
        dir.Write(z, c.content);
        dir.Write(a, rdf);
        refusing.refuseReplace = c.refuseReplace;
        Lines expected(2, c.word + z + ":URL:");
        expected.resize(2 + c.others, "Delete " + a + ":URL:");
        EXPECT_EQ(Call("ParseMozillaAddressHistory", true, dir.Path("P")), expected);
        EXPECT_EQ(dir.Read(z), c.others ? head + tail : c.content);
        EXPECT_EQ(dir.Read(a), c.others ? head + tail : rdf);
        EXPECT_FALSE(dir.Exists(z + ".tmp"));
    }
}

// The user's own bins on the fixed drives: "Recycler" and "$Recycle.Bin" under the user's SID on
// NTFS only, "Recycled" everywhere; a clear removes them, the folders with them.
TEST_F(Parsers, RecycleBinsOfTheUserOnFixedDrivesAreListedThenRemoved) {
    const std::string sid = "S-1-5-21-1-2-3-1000", mine = "C/Recycler/" + sid, newer = "C/$Recycle.Bin/" + sid;
    system.drives = {{dir.Folder("C"), DriveType::Fixed, "NTFS"},
                     {dir.Folder("D"), DriveType::Fixed, "FAT32"},
                     {dir.Folder("E"), DriveType::CdRom, "NTFS"},
                     {dir.Folder("F"), DriveType::Remote, "NTFS"},
                     {dir.Folder("G"), DriveType::Removable, "FAT"}};
    const Lines bins = {mine + "/INFO2", mine + "/Dc1/inner.txt", newer + "/$RAB12.txt", "C/Recycled/old.txt",
                        "D/Recycled/d.txt"},
                others = {"C/Recycler/S-1-5-21-9-9-9-500/other.txt", "D/Recycler/" + sid + "/not-ntfs.txt",
                          "E/Recycled/x.txt", "F/Recycled/x.txt", "G/Recycled/x.txt"};
    auto layOut = [&] {
        for (const std::string& f : bins + others)
            dir.Write(f, "x");
    };
    auto traces = [&](const std::string& word, bool withSid) {
        Lines all;
        for (const std::string& t : Lines{mine + "/Dc1/", mine + "/INFO2", mine + "/Dc1/inner.txt",
                                          newer + "/$RAB12.txt", "C/Recycled/old.txt", "D/Recycled/d.txt"})
            if (withSid || t.find(sid) == std::string::npos)
                all.push_back(word + " " + t);
        return all;
    };
    layOut();
    EXPECT_EQ(Call("ParseRecycleBin", false), traces("Find", true));

    // A file that stays is not reported deleted, nor is the folder it stays in.
    files.failDeletionQuietly.insert(dir.Path(mine + "/Dc1/inner.txt"));
    files.refuseFolderRemoval.insert(dir.Path("D/Recycled"));
    Lines cleared = traces("Delete", true);
    cleared[0] = "Unknown " + mine + "/Dc1/";
    cleared[2] = "Unknown " + mine + "/Dc1/inner.txt";
    EXPECT_EQ(Call("ParseRecycleBin", true), cleared);
    EXPECT_EQ(std::count(log.lines.begin(), log.lines.end(), "Unknown " + dir.Path(mine + "/Dc1/inner.txt")), 1);
    EXPECT_EQ(log.lines.back(), "12/25/2006 3:04:05 PM--The Recycle Bin folder " + dir.Path("D/Recycled") +
                                    " could not be removed (access denied or in use)");
    EXPECT_FALSE(dir.Exists(mine + "/INFO2") || dir.Exists(newer) || dir.Exists("C/Recycled"));
    EXPECT_TRUE(dir.Exists("C/$Recycle.Bin"));

    // Without the user's SID the folders named after it are not touched.
    layOut();
    system.sid.reset();
    EXPECT_EQ(Call("ParseRecycleBin", true), traces("Delete", false));
    EXPECT_TRUE(dir.Exists(mine + "/INFO2") && dir.Exists(newer + "/$RAB12.txt"));
    EXPECT_FALSE(dir.Exists("C/Recycled/old.txt"));
    for (const std::string& f : others)
        EXPECT_TRUE(dir.Exists(f)) << f;
}

TEST_F(Parsers, AutoCompleteStoresThatAreLockedAreListedThenDeletedAndEveryKeyRefusesAgainWhatItRefused) {
    ScanAndClearLockedStores();
}

#ifdef _WIN32
class RealRegistryParsers : public Parsers {
public:
    RealRegistryParsers() : Parsers(testing::RegistryKind::Real) { system.sid = Win32SystemInfo().UserSid(); }
};

TEST_F(RealRegistryParsers, AutoCompleteStoresThatAreLockedAreListedThenDeletedAndEveryKeyRefusesAgainWhatItRefused) {
    ScanAndClearLockedStores();
}
#endif

// The older family keeps the stores unlocked under the user name, under both roots.
TEST_F(Parsers, AutoCompleteOfTheOlderFamilyIsInBothRootsAndNeedsNoAccessLists) {
    system.version = static_cast<int32_t>(0xC0000A04u);
    system.userName = "alice";
    const int32_t machine = static_cast<int32_t>(0x80000002u);
    RegHandle h = 0;
    for (auto [root, name] : {std::pair{machine, "machine"}, std::pair{reg.kRoot, "user"}}) {
        std::string store = "PSSP\\alice\\Data\\" + kFormsType + "\\" + kFormsType + "\\" + name + "\\deep";
        ASSERT_EQ(reg.Raw().CreateKey(RootHandle(root), reg.Path(store), keyAllAccess, h), regOk);
        reg.Raw().CloseKey(h);
    }
    EXPECT_EQ(Stores(false), (Lines{"machine:1", "user:1"}));
    EXPECT_EQ(found->item(1)->RootKey, machine);
    EXPECT_EQ(Stores(true), (Lines{"machine:2", "user:2"}));
    EXPECT_EQ(Stores(false), Lines{});
    EXPECT_EQ(reg.Counting().Calls(testing::CountingRegistry::Op::SetKeySecurity), 0u);
}

}  // namespace
}  // namespace lumo
