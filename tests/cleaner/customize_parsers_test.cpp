// The special parsers of Customize items. The Recycle Bin and the Mozilla profile files on real
// folders and files in a scratch folder (the file system wrapped to inject locked files and
// refusals). The AutoComplete stores in a test registry branch that stands in for Protected
// Storage (in memory, and once end to end on the real registry under Windows). The browser
// parsers on the stored profiles that real chromium and firefox-esr made
// (tests/browsers/browsers.py), copied into a scratch folder: what Show finds is what Clear
// removes, everything a user keeps stays, and a database that is held, damaged, a link or that
// refuses the change is left exactly as it was with a true final status.
#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <cstdio>
#include <memory>

#include "cleaner/browser_profiles.h"
#include "cleaner/customize_parsers.h"
#include "cleaner/json_reader.h"
#include "cleaner/sqlite_database.h"
#include "engine_test_support.h"
#include "platform/portable/portable_system_info.h"
#include "registry/user_identity.h"
#ifdef _WIN32
#include <share.h>

#include "platform/win32/win32_system_info.h"
#endif

namespace lumo {
namespace {

namespace fs = std::filesystem;
using Lines = std::vector<std::string>;
using Statuses = std::set<int32_t>;
const std::string kFormsType = "e161255a-37c3-11d2-bcaa-00c04fd929db";

Lines operator+(Lines a, const Lines& b) {
    a.insert(a.end(), b.begin(), b.end());
    return a;
}

// The statuses of the traces whose path starts with `prefix`.
Statuses StatusesOf(const PrivacyValues& pvs, const std::string& prefix = {}) {
    Statuses out;
    for (const PrivacyValuePtr& pv : pvs)
        if (pv->Path.starts_with(prefix))
            out.insert(pv->ValueStatus);
    return out;
}
class Parsers : public testing::EngineTest {
public:
    PortableSystemInfo system;
    SpecialParser parser;
    PrivacyItem item;
    PrivacyValuesPtr found;
    std::vector<PrivacyValuesPtr> results;  // every collection a test was given stays
    std::vector<int32_t> reported;  // the status of each trace when its event came
    Subscription events;

    explicit Parsers(testing::RegistryKind kind = testing::RegistryKind::Memory) : EngineTest(kind) {
        ctx.system = &system;
        ctx.parser = &parser;
        ctx.securityFillTimes = 2;
        system.sid = SidParts{{0, 0, 0, 0, 0, 5}, {21, 1, 2, 3, 1000}};
        parser.autoCompleteLocations = {reg.Path("PSSP"), reg.Path("IntelliForms")};
        item.Software = "Lumo Browser";
        events = parser.AppendValue.Subscribe(
            [this](PrivacyItem&, const PrivacyValuePtr& pv) { reported.push_back(pv->ValueStatus); });
    }

    // Every trace comes with an event, and each file's event carries its final status (a folder
    // or an address entry learns whether it went only when all in it did); the AutoComplete
    // stores reach the item through the collection only.
    PrivacyValues& Run(std::string_view name, bool clear, Lines settings) {
        reported.clear();
        results.push_back(found = parser.CallParser(name, {&item, clear, std::move(settings)}, ctx));
        std::vector<int32_t> statuses;
        for (const PrivacyValuePtr& pv : *found)
            statuses.push_back(pv->ValueType == 4 || statuses.size() >= reported.size() ? pv->ValueStatus
                                                                                        : reported[statuses.size()]);
        EXPECT_EQ(reported, name == "ParseIEAutoComplete" ? std::vector<int32_t>{} : statuses) << name;
        return *found;
    }
    // What an operation on the profiles folder `profiles` finds, as Describe gives it.
    Lines Call(std::string_view name, bool clear, const std::string& profiles = {}) {
        const std::string described = Describe(Run(name, clear, {profiles}));
        return described.empty() ? Lines{} : Split(described, ", ");
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
        EXPECT_TRUE(reg.KeyExists(store("beta\\inner")) && refusing());

        EXPECT_EQ(Stores(true), (Lines{"alpha:2", "b2:-1", "beta:2"}));
        EXPECT_FALSE(reg.KeyExists(store("alpha")) || reg.KeyExists(store("beta")) || reg.KeyExists("IntelliForms"));
        EXPECT_TRUE(reg.KeyExists(store("b2\\guarded")) && reg.KeyExists(other) && refusing());
        EXPECT_THAT(log.lines, ::testing::Contains("A autocomplete regkey can't be deleted(Access Deny).").Times(1));
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
    // The rewrite refused, or an entry line without its end: the parse ends with that file.
    for (const auto& [content, refuse] : std::vector<std::pair<std::string, bool>>{
             {rdf, false}, {rdf, true}, {head + entries + "<RDF:li>http://no-end\r\n" + tail, false}}) {
        SCOPED_TRACE(content + (refuse ? " (refused)" : ""));
        const bool goes = content == rdf && !refuse;
        dir.Write(z, content);
        dir.Write(a, rdf);
        if (refuse)
            files.refuseWriting.insert(dir.Path(z + ".tmp"));
        EXPECT_EQ(Call("ParseMozillaAddressHistory", true, dir.Path("P")),
                  Lines(2, (goes ? "Delete " : "Unknown ") + z + ":URL:") +
                      Lines(goes ? 2 : 0, "Delete " + a + ":URL:"));
        EXPECT_EQ(dir.Read(z), goes ? head + tail : content);
        EXPECT_EQ(dir.Read(a), goes ? head + tail : rdf);
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
    const Lines others = {"C/Recycler/S-1-5-21-9-9-9-500/other.txt", "D/Recycler/" + sid + "/not-ntfs.txt",
                          "E/Recycled/x.txt", "F/Recycled/x.txt", "G/Recycled/x.txt"};
    auto layOut = [&] {
        for (const std::string& f : others + Lines{mine + "/INFO2", mine + "/Dc1/inner.txt", newer + "/$RAB12.txt",
                                                   "C/Recycled/old.txt", "D/Recycled/d.txt"})
            dir.Write(f, "x");
    };
    layOut();
    EXPECT_EQ(Call("ParseRecycleBin", false),
              (Lines{"Find " + mine + "/Dc1/", "Find " + mine + "/INFO2", "Find " + mine + "/Dc1/inner.txt",
                     "Find " + newer + "/$RAB12.txt", "Find C/Recycled/old.txt", "Find D/Recycled/d.txt"}));
    // A file that stays is not reported deleted, nor is the folder it stays in.
    files.failDeletionQuietly.insert(dir.Path(mine + "/Dc1/inner.txt"));
    files.refuseFolderRemoval.insert(dir.Path("D/Recycled"));
    EXPECT_EQ(Call("ParseRecycleBin", true),
              (Lines{"Unknown " + mine + "/Dc1/", "Delete " + mine + "/INFO2", "Unknown " + mine + "/Dc1/inner.txt",
                     "Delete " + newer + "/$RAB12.txt", "Delete C/Recycled/old.txt", "Delete D/Recycled/d.txt"}));
    EXPECT_EQ(std::count(log.lines.begin(), log.lines.end(), "Unknown " + dir.Path(mine + "/Dc1/inner.txt")), 1);
    EXPECT_EQ(log.lines.back(), "12/25/2006 3:04:05 PM--The Recycle Bin folder " + dir.Path("D/Recycled") +
                                    " could not be removed (access denied or in use)");
    EXPECT_FALSE(dir.Exists(mine + "/INFO2") || dir.Exists(newer) || dir.Exists("C/Recycled"));
    EXPECT_TRUE(dir.Exists("C/$Recycle.Bin"));
    // Without the user's SID the folders named after it are not touched.
    layOut();
    system.sid.reset();
    EXPECT_EQ(Call("ParseRecycleBin", true), (Lines{"Delete C/Recycled/old.txt", "Delete D/Recycled/d.txt"}));
    EXPECT_TRUE(dir.Exists(mine + "/INFO2") && dir.Exists(newer + "/$RAB12.txt"));
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

// The build folder is a Linux path; Wine shows the Linux root as drive Z:.
const std::string kStoredProfiles = std::string("Z:") + LUMO_STORED_PROFILES;
#else
const std::string kStoredProfiles = LUMO_STORED_PROFILES;
#endif
const std::string kChromeData = "Local/Google/Chrome/User Data", kChrome = kChromeData + "/Default",
                  kHistory = kChrome + "/History", kFirefoxRoaming = "Roaming/Mozilla/Firefox",
                  kFirefoxLocal = "Local/Mozilla/Firefox",
                  kFirefox = kFirefoxRoaming + "/Profiles/lumo.default-release", kPlaces = kFirefox + "/places.sqlite";

struct BrowserParsers : Parsers {
    BrowserParsers() { fs::copy(fs::u8path(kStoredProfiles), dir.FsPath(), fs::copy_options::recursive); }
    // Calls a browser operation on the stored layout, as the shipped configuration names it.
    PrivacyValues& Browse(const std::string& operation, bool clear) {
        if (operation.find("Firefox") != std::string::npos)
            return Run(operation, clear, {dir.Path(kFirefoxRoaming), dir.Path(kFirefoxLocal)});
        return Run(operation, clear, {dir.Path(kChromeData)});
    }
    int64_t Query(const std::string& db, const std::string& sql) {
        return SqliteDatabase(dir.Path(db), 0).QueryInt(sql);
    }
    // Every byte of a database and of the log or journal beside it.
    std::string Bytes(const std::string& db) const {
        return dir.Read(db) + dir.Read(db + "-wal") + dir.Read(db + "-journal");
    }
};

using Queries = std::vector<std::pair<std::string, std::string>>;  // database, query
struct Browser {
    const char* name;
    Lines folders, kept;  // where the browser keeps its files; files a clear never changes
    Queries arrange, emptied, remaining;  // run first; give 0 after the clears; give what they gave
};

const Browser kBrowsers[] = {
    {"Chromium",
     {kChromeData},
     {kChrome + "/Bookmarks", kChrome + "/Login Data", kChrome + "/Preferences", kChromeData + "/Local State"},
     // A page a bookmark names keeps its icon.
     {{kChrome + "/Favicons",
       "INSERT INTO favicons(id, url) VALUES (2, 'kept.png'); INSERT INTO icon_mapping(page_url, icon_id) "
       "VALUES ('http://127.0.0.1:40193/page2', 2)"}},
     {{kHistory,
       "SELECT (SELECT count(*) FROM urls) + (SELECT count(*) FROM visits) + "
       "(SELECT count(*) FROM downloads) + (SELECT count(*) FROM downloads_url_chains)"},
      {kChrome + "/Cookies", "SELECT count(*) FROM cookies"},
      {kChrome + "/Web Data", "SELECT count(*) FROM autofill"},
      {kChrome + "/Favicons",
       "SELECT (SELECT count(*) FROM icon_mapping WHERE icon_id = 1) + (SELECT count(*) FROM favicons WHERE id = 1)"}},
     {{kChrome + "/Favicons",
       "SELECT count(*) FROM icon_mapping m JOIN favicons f ON f.id = m.icon_id WHERE m.page_url LIKE '%/page2'"}}},
    {"Firefox",
     {kFirefoxRoaming, kFirefoxLocal},
     {kFirefox + "/logins.json", kFirefox + "/key4.db", kFirefox + "/prefs.js"},
     // A change that Firefox, ended without copying its write-ahead log in, left in the log.
     {{kPlaces, "PRAGMA wal_autocheckpoint = 0; UPDATE moz_places SET title = 'lumo' WHERE url LIKE '%/page3'"}},
     {{kPlaces,
       "SELECT (SELECT count(*) FROM moz_historyvisits) + (SELECT count(*) FROM "
       "moz_annos) + (SELECT count(*) FROM moz_places WHERE foreign_count = 0)"},
      {kFirefox + "/cookies.sqlite", "SELECT count(*) FROM moz_cookies"},
      {kFirefox + "/formhistory.sqlite", "SELECT count(*) FROM moz_formhistory"}},
     // The bookmarked page stays, and so do its bookmark and its icon.
     {{kPlaces,
       "SELECT count(*) FROM moz_places p JOIN moz_bookmarks b ON b.fk = p.id "
       "WHERE p.url LIKE '%/page2' AND b.title = 'Lumo bookmark'"},
      {kFirefox + "/favicons.sqlite", "SELECT count(*) FROM moz_pages_w_icons WHERE page_url LIKE '%/page2'"},
      {kPlaces, "SELECT count(*) FROM moz_bookmarks WHERE fk IS NOT NULL"}}},
};

class StoredProfile : public BrowserParsers, public ::testing::WithParamInterface<Browser> {};

TEST_P(StoredProfile, ShowChangesNothingAndClearRemovesWhatShowFoundButBookmarksLoginsAndSettings) {
    const Browser& b = GetParam();
    for (const auto& [db, sql] : b.arrange)
        SqliteDatabase(dir.Path(db), 0).Exec(sql);
    // Every file of the browser with its bytes (but the empty ones and SQLite's shared-memory index,
    // which opening a database may make).
    auto browserFiles = [&] {
        std::map<std::string, std::string> all;
        for (const std::string& folder : b.folders)
            for (const fs::directory_entry& e : fs::recursive_directory_iterator(dir.FsPath(folder)))
                if (e.is_regular_file() && e.file_size() > 0 && !e.path().string().ends_with("-shm"))
                    all[e.path().string()] = testing::ScratchFolder::ReadPath(e);
        return all;
    };
    const auto filesBefore = browserFiles();
    std::vector<int64_t> counts;
    for (const auto& [db, sql] : b.remaining)
        counts.push_back(Query(db, sql));
    Lines ops;
    std::vector<size_t> found;
    for (const char* kind : {"History", "Cookies", "FormData", "Sessions", "Cache"}) {
        ops.push_back(std::string("Parse") + b.name + kind);
        found.push_back(Browse(ops.back(), false).Count());
    }
    EXPECT_TRUE(browserFiles() == filesBefore) << "a Show changed a file";
    for (size_t i = 0; i < ops.size(); ++i) {
        PrivacyValues& cleared = Browse(ops[i], true);
        EXPECT_EQ(cleared.Count(), found[i]) << ops[i];
        EXPECT_EQ(StatusesOf(cleared), Statuses{vsDelete}) << ops[i];
        EXPECT_EQ(cleared.Notices(), Lines{}) << ops[i];
        EXPECT_EQ(Browse(ops[i], false).Count(), 0) << ops[i] << " left something";
    }
    // Nothing that was cleared is left in any byte of any file of the browser.
    const auto filesAfter = browserFiles();
    for (const auto& [path, bytes] : filesAfter)
        for (const char* secret : {"/page3", "lumo-typed-value", "lumo-download.bin", "lumo_page3", "lumo_field"})
            EXPECT_EQ(bytes.find(secret), std::string::npos) << secret << " is still in " << path;
    for (const std::string& f : b.kept)
        EXPECT_TRUE(filesAfter.at(dir.Path(f)) == filesBefore.at(dir.Path(f))) << f << " was changed";
    for (const auto& [db, sql] : b.emptied)
        EXPECT_EQ(Query(db, sql), 0) << db << ": " << sql;
    for (size_t i = 0; i < counts.size(); ++i)
        EXPECT_EQ(Query(b.remaining[i].first, b.remaining[i].second), counts[i]) << b.remaining[i].second;
}

INSTANTIATE_TEST_SUITE_P(RealBrowsers, StoredProfile, ::testing::ValuesIn(kBrowsers),
                         [](const auto& info) { return std::string(info.param.name); });

// What keeps a database from being changed: every trace of it ends "Unknown", the user is told
// why, and its bytes stay as they were. A browser that runs holds back all of its profile.
struct Obstacle {
    const char* name;
    std::string operation, database, notice, sql;
    bool held;  // by a browser that runs: what `sql` does stays until the clear ends
    size_t damageAt = 0, damaged = 0;  // bytes overwritten
};

class Obstacles : public BrowserParsers, public ::testing::WithParamInterface<Obstacle> {};

TEST_P(Obstacles, LeaveTheDatabaseAsItWasWithEveryTraceOfItUnknown) {
    const Obstacle& o = GetParam();
    testing::ScratchFolder elsewhere;
    std::shared_ptr<void> holder;
    if (!o.sql.empty()) {
        auto db = std::make_shared<SqliteDatabase>(dir.Path(o.database), 0);
        db->Exec(o.sql);
        holder = o.held ? db : nullptr;
    }
    if (std::string bytes = dir.Read(o.database); o.damaged)
        dir.Write(o.database, bytes.replace(o.damageAt, o.damaged, std::string(o.damaged, '\x7f')));
    if (o.notice == "is a link") {
        fs::rename(dir.FsPath(o.database), elsewhere.FsPath("db"));
        fs::create_symlink(elsewhere.FsPath("db"), dir.FsPath(o.database));
    }
    const std::string before = Bytes(o.database);
    size_t shown = Browse(o.operation, false).Count();
    PrivacyValues& cleared = Browse(o.operation, true);
    holder.reset();
    EXPECT_EQ(Bytes(o.database), before);
    EXPECT_THAT(cleared.Notices(), ::testing::Contains(::testing::HasSubstr(o.notice)));
    EXPECT_EQ(StatusesOf(cleared, dir.Path(o.held ? "" : o.database)), Statuses{vsUnknown});
    if (o.held) {
        EXPECT_EQ(cleared.Count(), shown);
        // Nothing else of the profile was removed either, and a browser that is gone holds nothing back.
        EXPECT_GE(Browse(o.operation, false).Count(), shown);
        EXPECT_EQ(StatusesOf(Browse(o.operation, true)), Statuses{vsDelete});
    }
}

const Obstacle kObstacles[] = {
    {"HeldForWriting", "ParseChromiumHistory", kHistory, "close Lumo Browser and clear again", "BEGIN IMMEDIATE", true},
    {"HeldExclusively", "ParseFirefoxHistory", kPlaces, "Lumo Browser is running",
     "PRAGMA locking_mode = EXCLUSIVE; BEGIN EXCLUSIVE", true},
    {"DamagedHeader", "ParseChromiumHistory", kHistory, "is damaged", "", false, 0, 100},
    {"DamagedPage", "ParseChromiumHistory", kHistory, "is damaged", "", false, 4096 * 3, 4096},
    // The last step of the removal refused, after the visits went in the transaction.
    {"ChangeRefused", "ParseChromiumHistory", kHistory, "could not be changed",
     "CREATE TRIGGER refuse BEFORE DELETE ON urls BEGIN SELECT RAISE(ABORT, 'refused'); END", false},
#ifndef _WIN32
    {"Link", "ParseChromiumHistory", kHistory, "is a link", "", false},
#endif
};

INSTANTIATE_TEST_SUITE_P(RunningDamagedRefusedOrLinked, Obstacles, ::testing::ValuesIn(kObstacles),
                         [](const auto& info) { return std::string(info.param.name); });

// A favicons database without links from icons to pages, as older Firefox versions wrote it, is
// cleared all the same.
TEST_F(BrowserParsers, AnOlderFirefoxIconDatabaseIsClearedAllTheSame) {
    const std::string icons = kFirefox + "/favicons.sqlite";
    SqliteDatabase(dir.Path(icons), 0).Exec("DROP TABLE moz_icons_to_pages");
    PrivacyValues& cleared = Browse("ParseFirefoxHistory", true);
    EXPECT_EQ(StatusesOf(cleared), Statuses{vsDelete});
    EXPECT_EQ(cleared.Notices(), Lines{});
    EXPECT_EQ(Bytes(icons).find("lumo_field"), std::string::npos);
}

#ifdef _WIN32
// Firefox on Windows holds parent.lock open without sharing while it runs; a lock file left by a
// browser that is gone holds nothing back.
TEST_F(BrowserParsers, AFirefoxProfileWhoseLockFileIsHeldIsNotChanged) {
    dir.Write(kFirefox + "/parent.lock", "");
    const std::string before = Bytes(kPlaces);
    std::unique_ptr<FILE, int (*)(FILE*)> held(_wfsopen(dir.FsPath(kFirefox + "/parent.lock").c_str(), L"rb",
                                                        _SH_DENYRW),
                                               &std::fclose);
    ASSERT_NE(held, nullptr);
    PrivacyValues& whileHeld = Browse("ParseFirefoxHistory", true);
    held.reset();
    EXPECT_EQ(StatusesOf(whileHeld), Statuses{vsUnknown});
    EXPECT_THAT(whileHeld.Notices(), ::testing::Contains(::testing::HasSubstr("is running")));
    EXPECT_EQ(Bytes(kPlaces), before);
    EXPECT_EQ(StatusesOf(Browse("ParseFirefoxHistory", true)), Statuses{vsDelete});
}
#endif

// A user data folder is itself a profile (as Opera's is) only when it holds the file
// Preferences or History, not a folder of that name nor any other file.
TEST_F(Parsers, AUserDataFolderIsAProfileOnlyWhenItHoldsPreferencesOrHistory) {
    std::vector<std::string> notes;
    auto own = [&](const std::string& at) { return ChromiumProfiles(files, dir.Path(at), "", notes).size(); };
    dir.Write("ud1/Local State.txt", "x");
    dir.Folder("ud1/Preferences");
    dir.Write("ud2/History", "x");
    EXPECT_EQ(own("ud1"), 0u);
    EXPECT_EQ(own("ud2"), 1u);
}

TEST(JsonReader, ReadsBrowserFilesAndRefusesWhatIsNotJson) {
    std::optional<JsonValue> v = ParseJson(
        "\xEF\xBB\xBF {\t\"a\" :\r\n[19, -2.5e3, true, null, \"x\\\"\\u00e9\\ud83d\\ude00\\n\", \"\\ud800\\udbff\"],"
        " \"b\": {} } ");
    ASSERT_TRUE(v && v->Member("a") && v->Member("a")->items.size() == 6);
    const std::vector<JsonValue>& a = v->Member("a")->items;
    // A surrogate without its pair is U+FFFD.
    EXPECT_EQ(std::make_tuple(a[0].text, a[1].text, a[2].boolean, a[4].text, a[5].text, v->Member("b")->kind),
              std::make_tuple("19", "-2.5e3", true, "x\"\xC3\xA9\xF0\x9F\x98\x80\n", "\xEF\xBF\xBD\xEF\xBF\xBD",
                              JsonValue::Kind::Object));
    // The text ends inside a string, at the end of its memory too: nothing beyond it is read (a
    // sanitized build sees any read).
    const std::vector<char> unterminated = {'"', 'a', 'b', 'c'};
    EXPECT_FALSE(ParseJson(std::string_view(unterminated.data(), unterminated.size())));
    for (const std::string& bad : Lines{"", "{", "{\"a\":1,}", "[1 2]", "{\"a\":1} x", "\"tab\there\"", "[\"\\x\"]",
                                        "-", "{a:1}", std::string(100000, '[') + std::string(100000, ']')})
        EXPECT_FALSE(ParseJson(bad)) << bad.substr(0, 20);
}

}  // namespace
}  // namespace lumo
