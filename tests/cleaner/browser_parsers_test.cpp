// The browser parsers on the stored profiles that real chromium and firefox-esr made
// (tests/browsers/browsers.py), copied into a scratch folder: what Show finds is what Clear
// removes, everything a user keeps stays, and a database that is held, damaged, a link or that
// refuses the change is left exactly as it was with a true final status.
#include <gtest/gtest.h>

#include <cstdio>
#include <filesystem>
#include <functional>
#include <memory>
#include <set>
#include <tuple>
#ifdef _WIN32
#include <share.h>
#endif

#include "cleaner/browser_profiles.h"
#include "cleaner/customize_parsers.h"
#include "cleaner/json_reader.h"
#include "cleaner/privacy_item.h"
#include "cleaner/sqlite_database.h"
#include "engine_test_support.h"
#include "support/scratch_folder.h"
#ifdef _WIN32
#include "platform/win32/win32_file_system.h"
#else
#include "platform/portable/portable_file_system.h"
#endif

namespace lumo {
namespace {

namespace fs = std::filesystem;
using testing::RecordingLog;
using testing::ScratchFolder;

#ifdef _WIN32
using RealFileSystem = Win32FileSystem;
// The build folder is a Linux path; Wine shows the Linux root as drive Z:.
const std::string kStoredProfiles = std::string("Z:") + LUMO_STORED_PROFILES;
#else
using RealFileSystem = PortableFileSystem;
const std::string kStoredProfiles = LUMO_STORED_PROFILES;
#endif

const std::string kChromeData = "Local/Google/Chrome/User Data";
const std::string kChromeProfile = kChromeData + "/Default";
const std::string kFirefoxRoaming = "Roaming/Mozilla/Firefox";
const std::string kFirefoxLocal = "Local/Mozilla/Firefox";
const std::string kFirefoxProfile = kFirefoxRoaming + "/Profiles/lumo.default-release";

class BrowserParsers : public ::testing::Test {
protected:
    ScratchFolder dir;
    RealFileSystem files;
    RecordingLog log;
    bool stop = false;
    SeekContext ctx;
    SpecialParser parser;
    PrivacyItem item;
    std::function<void(const PrivacyValuePtr&)> onTrace;
    Subscription events;

    BrowserParsers() {
        fs::copy(fs::u8path(kStoredProfiles), dir.FsPath(), fs::copy_options::recursive);
        ctx.files = &files;
        ctx.log = &log;
        ctx.stopRequested = &stop;
        ctx.parser = &parser;
        item.Software = "Lumo Browser";
        events = parser.AppendValue.Subscribe([this](PrivacyItem&, const PrivacyValuePtr& pv) {
            if (onTrace)
                onTrace(pv);
        });
    }

    // Calls a parser operation on the stored layout, as the shipped configuration names it.
    PrivacyValues& Call(const std::string& operation, bool clear) {
        ParserArguments args{&item, clear, {}};
        if (operation.find("Chromium") != std::string::npos)
            args.settings = {dir.Path(kChromeData)};
        else
            args.settings = {dir.Path(kFirefoxRoaming), dir.Path(kFirefoxLocal)};
        results_.push_back(parser.CallParser(operation, args, ctx));
        EXPECT_NE(results_.back(), nullptr) << operation;
        return *results_.back();
    }

    int64_t Query(const std::string& relative, const std::string& sql) {
        SqliteDatabase db(dir.Path(relative), 0);
        return db.QueryInt(sql);
    }

    // Every byte of a database and of the log or journal beside it.
    std::string Bytes(const std::string& relative) const {
        std::string all;
        for (const char* suffix : {"", "-wal", "-journal"})
            if (dir.Exists(relative + suffix))
                all += dir.Read(relative + suffix);
        return all;
    }

private:
    std::vector<PrivacyValuesPtr> results_;
};

// Every trace ended with `status`, and there is at least one.
::testing::AssertionResult AllAre(const PrivacyValues& pvs, int32_t status) {
    std::string others;
    for (const PrivacyValuePtr& pv : pvs)
        if (pv->ValueStatus != status)
            others += " " + pv->Path + "=" + std::to_string(pv->ValueStatus);
    if (pvs.Count() > 0 && others.empty())
        return ::testing::AssertionSuccess();
    return ::testing::AssertionFailure() << pvs.Count() << " traces," << others;
}

// The first notice for the user says `words`.
::testing::AssertionResult Says(const PrivacyValues& pvs, std::string_view words) {
    if (!pvs.Notices().empty() && pvs.Notices().front().find(words) != std::string::npos)
        return ::testing::AssertionSuccess();
    return ::testing::AssertionFailure() << "notices: " << (pvs.Notices().empty() ? "none" : pvs.Notices().front());
}

bool HasName(const PrivacyValues& pvs, const std::string& ending) {
    return std::any_of(pvs.begin(), pvs.end(),
                       [&](const PrivacyValuePtr& pv) { return pv->ValueName.ends_with(ending); });
}

struct Browser {
    const char* name;
    std::vector<std::string> operations;
    std::vector<std::string> kept;  // files a clear never changes: bookmarks, logins, settings
    // Databases, and what each must no longer hold anywhere in its bytes.
    std::vector<std::pair<std::string, std::vector<std::string>>> forgotten;
    std::vector<std::pair<std::string, std::string>> emptied;  // database, query that must give 0
    std::vector<std::pair<std::string, std::string>> remaining;  // database, query that must give > 0
    std::vector<std::pair<std::string, std::string>> shows;  // operation, ending of a trace name its Show lists
};

const Browser kBrowsers[] = {
    {"Chromium",
     {"ParseChromiumHistory", "ParseChromiumCookies", "ParseChromiumFormData", "ParseChromiumSessions",
      "ParseChromiumCache"},
     {kChromeProfile + "/Bookmarks", kChromeProfile + "/Login Data", kChromeProfile + "/Preferences",
      kChromeData + "/Local State"},
     {{kChromeProfile + "/History", {"/page3", "lumo-typed-value", "lumo-download.bin"}},
      {kChromeProfile + "/Web Data", {"lumo-typed-value"}},
      {kChromeProfile + "/Cookies", {"lumo_page3"}},
      {kChromeProfile + "/Favicons", {"lumo_field"}}},
     {{kChromeProfile + "/History",
       "SELECT (SELECT count(*) FROM urls) + (SELECT count(*) FROM visits) + "
       "(SELECT count(*) FROM downloads) + (SELECT count(*) FROM downloads_url_chains)"},
      {kChromeProfile + "/Cookies", "SELECT count(*) FROM cookies"},
      {kChromeProfile + "/Web Data", "SELECT count(*) FROM autofill"},
      {kChromeProfile + "/Favicons", "SELECT (SELECT count(*) FROM icon_mapping) + (SELECT count(*) FROM favicons)"}},
     {{kChromeProfile + "/Login Data", "SELECT count(*) FROM logins"}},
     {{"ParseChromiumHistory", "/page2"},
      {"ParseChromiumHistory", "lumo-download.bin"},
      {"ParseChromiumCookies", "127.0.0.1"},
      {"ParseChromiumFormData", "lumo_field"}}},
    {"Firefox",
     {"ParseFirefoxHistory", "ParseFirefoxCookies", "ParseFirefoxFormData", "ParseFirefoxSessions",
      "ParseFirefoxCache"},
     {kFirefoxProfile + "/logins.json", kFirefoxProfile + "/key4.db", kFirefoxProfile + "/prefs.js"},
     {{kFirefoxProfile + "/places.sqlite", {"/page3", "lumo-typed-value", "lumo-download.bin"}},
      {kFirefoxProfile + "/formhistory.sqlite", {"lumo-typed-value"}},
      {kFirefoxProfile + "/cookies.sqlite", {"lumo_page3"}},
      {kFirefoxProfile + "/favicons.sqlite", {"lumo_field"}}},
     {{kFirefoxProfile + "/places.sqlite",
       "SELECT (SELECT count(*) FROM moz_historyvisits) + (SELECT count(*) FROM "
       "moz_annos) + (SELECT count(*) FROM moz_places WHERE foreign_count = 0)"},
      {kFirefoxProfile + "/cookies.sqlite", "SELECT count(*) FROM moz_cookies"},
      {kFirefoxProfile + "/formhistory.sqlite", "SELECT count(*) FROM moz_formhistory"}},
     // The bookmarked page stays, and so do its bookmark and its icon.
     {{kFirefoxProfile + "/places.sqlite",
       "SELECT count(*) FROM moz_places p JOIN moz_bookmarks b ON b.fk = p.id "
       "WHERE p.url LIKE '%/page2' AND b.title = 'Lumo bookmark'"},
      {kFirefoxProfile + "/favicons.sqlite", "SELECT count(*) FROM moz_pages_w_icons WHERE page_url LIKE '%/page2'"},
      {kFirefoxProfile + "/places.sqlite", "SELECT count(*) FROM moz_bookmarks WHERE fk IS NOT NULL"}},
     {{"ParseFirefoxHistory", "/page2"},
      {"ParseFirefoxHistory", "/download.bin"},
      {"ParseFirefoxCookies", "127.0.0.1"},
      {"ParseFirefoxFormData", "lumo_field"}}},
};

class StoredProfile : public BrowserParsers, public ::testing::WithParamInterface<Browser> {};

TEST_P(StoredProfile, ClearRemovesWhatShowCountsAndKeepsBookmarksLoginsAndSettings) {
    const Browser& b = GetParam();
    std::vector<std::string> keptBytes;
    for (const std::string& f : b.kept)
        keptBytes.push_back(dir.Read(f));
    int64_t bookmarksBefore = Query(b.remaining.back().first, b.remaining.back().second);

    for (const std::string& op : b.operations) {
        PrivacyValues& shown = Call(op, false);
        for (const auto& [showing, name] : b.shows)
            EXPECT_TRUE(showing != op || HasName(shown, name)) << op << " lists " << name;
        PrivacyValues& cleared = Call(op, true);
        EXPECT_EQ(cleared.Count(), shown.Count()) << op;
        EXPECT_TRUE(AllAre(cleared, vsDelete)) << op;
        EXPECT_EQ(Call(op, false).Count(), 0) << op << " left something";
        EXPECT_TRUE(cleared.Notices().empty()) << op << ": " << cleared.Notices().front();
    }

    for (const auto& [db, secrets] : b.forgotten)
        for (const std::string& secret : secrets)
            EXPECT_EQ(Bytes(db).find(secret), std::string::npos) << secret << " is still in the bytes of " << db;
    for (const auto& [db, sql] : b.emptied)
        EXPECT_EQ(Query(db, sql), 0) << db << ": " << sql;
    for (const auto& [db, sql] : b.remaining)
        EXPECT_GT(Query(db, sql), 0) << db << ": " << sql;
    EXPECT_EQ(Query(b.remaining.back().first, b.remaining.back().second), bookmarksBefore);
    for (size_t i = 0; i < b.kept.size(); ++i)
        EXPECT_EQ(dir.Read(b.kept[i]), keptBytes[i]) << b.kept[i] << " was changed";
}

INSTANTIATE_TEST_SUITE_P(RealBrowsers, StoredProfile, ::testing::ValuesIn(kBrowsers),
                         [](const auto& info) { return std::string(info.param.name); });

// A page a bookmark names keeps its icon; a favicons database without links from icons to pages
// (as older Firefox versions wrote it) is cleared all the same.
TEST_F(BrowserParsers, IconsOfBookmarkedPagesStayAndOlderIconTablesAreCleared) {
    const std::string favicons = kChromeProfile + "/Favicons", icons = kFirefoxProfile + "/favicons.sqlite";
    SqliteDatabase(dir.Path(favicons), 0)
        .Exec(
            "INSERT INTO icon_mapping(page_url, icon_id) VALUES "
            "('http://127.0.0.1:40193/page2', 1)");
    SqliteDatabase(dir.Path(icons), 0).Exec("DROP TABLE moz_icons_to_pages");
    EXPECT_TRUE(AllAre(Call("ParseChromiumHistory", true), vsDelete));
    EXPECT_EQ(Query(favicons, "SELECT count(*) FROM icon_mapping WHERE page_url LIKE '%/page2'"), 1);
    PrivacyValues& cleared = Call("ParseFirefoxHistory", true);
    EXPECT_TRUE(AllAre(cleared, vsDelete));
    EXPECT_TRUE(cleared.Notices().empty()) << cleared.Notices().front();
    EXPECT_EQ(Bytes(icons).find("lumo_field"), std::string::npos);
}

// A database another program holds, as the running browser does: read when it may be read,
// never changed, every trace ending "Unknown", the user told to close the browser.
struct Held {
    const char* name;
    std::string operation, database;
    bool exclusive;  // readers shut out too (Firefox's places.sqlite, Chromium's Web Data)
};

class HeldDatabase : public BrowserParsers, public ::testing::WithParamInterface<Held> {};

TEST_P(HeldDatabase, IsReportedButNotChanged) {
    const Held& h = GetParam();
    std::string before = Bytes(h.database);
    auto holder = std::make_unique<SqliteDatabase>(dir.Path(h.database), 0);
    if (h.exclusive) {
        holder->Exec("PRAGMA locking_mode = EXCLUSIVE");
        holder->Exec("BEGIN EXCLUSIVE");
    } else {
        holder->BeginWrite();
    }
    PrivacyValues& shown = Call(h.operation, false);
    PrivacyValues& cleared = Call(h.operation, true);
    // Shut out, the database is one trace; readable, its row groups are listed as a Show lists them.
    if (h.exclusive) {
        ASSERT_EQ(cleared.Count(), 1);
        EXPECT_EQ(cleared.item(1)->Path, dir.Path(h.database));
    } else {
        EXPECT_TRUE(HasName(cleared, h.operation.find("Cookies") != std::string::npos ? "127.0.0.1" : "/page3"));
    }
    EXPECT_EQ(shown.Count(), cleared.Count());
    EXPECT_TRUE(AllAre(cleared, vsUnknown));
    EXPECT_TRUE(Says(cleared, "Lumo Browser is running"));
    EXPECT_TRUE(Says(cleared, "close Lumo Browser"));
    holder->Rollback();
    holder.reset();
    EXPECT_EQ(Bytes(h.database), before);
    // Nothing else of the profile was removed either: a Show afterwards finds all of it again.
    EXPECT_GE(Call(h.operation, false).Count(), shown.Count());
}

INSTANTIATE_TEST_SUITE_P(
    RunningBrowser, HeldDatabase,
    ::testing::Values(Held{"ChromiumHistoryWriting", "ParseChromiumHistory", kChromeProfile + "/History", false},
                      Held{"ChromiumWebDataExclusive", "ParseChromiumFormData", kChromeProfile + "/Web Data", true},
                      Held{"FirefoxPlacesExclusive", "ParseFirefoxHistory", kFirefoxProfile + "/places.sqlite", true},
                      Held{"FirefoxCookiesWriting", "ParseFirefoxCookies", kFirefoxProfile + "/cookies.sqlite", false}),
    [](const auto& info) { return std::string(info.param.name); });

TEST_F(BrowserParsers, DamagedDatabasesAreReportedAndLeftAsTheyWere) {
    const std::string history = kChromeProfile + "/History", original = dir.Read(history);
    for (const std::string& damaged :
         {original.substr(0, original.size() / 2), std::string(100, 'x') + original.substr(100),
          original.substr(0, 4096 * 3) + std::string(4096, '\x7f') + original.substr(4096 * 4)}) {
        SCOPED_TRACE(damaged.size() < original.size() ? "truncated" : damaged[0] == 'x' ? "header" : "a page");
        dir.Write(history, damaged);
        PrivacyValues& shown = Call("ParseChromiumHistory", false);
        PrivacyValues& cleared = Call("ParseChromiumHistory", true);
        // History itself is one "Unknown" trace; the other databases of the profile are cleared.
        ASSERT_GE(cleared.Count(), 1);
        EXPECT_EQ(cleared.item(1)->Path, dir.Path(history));
        EXPECT_EQ(cleared.item(1)->ValueStatus, vsUnknown);
        EXPECT_EQ(shown.item(1)->ValueStatus, vsUnknown);
        EXPECT_TRUE(Says(cleared, "damaged"));
        EXPECT_EQ(dir.Read(history), damaged);
        EXPECT_FALSE(dir.Exists(history + "-journal") && !dir.Read(history + "-journal").empty());
    }
}

// Firefox writes through a write-ahead log; what it holds when Firefox ended without copying it
// in stays where it is after a Show, and a Clear leaves none of the removed rows in either file.
TEST_F(BrowserParsers, AWriteAheadLogIsLeftAsItWasByAShowAndEmptiedByAClear) {
    const std::string places = kFirefoxProfile + "/places.sqlite";
    {
        SqliteDatabase db(dir.Path(places), 0);
        db.Exec("PRAGMA wal_autocheckpoint = 0");
        db.Exec("UPDATE moz_places SET title = 'lumo-logged-title' WHERE url LIKE '%/page3'");
    }
    const std::string main = dir.Read(places), log = dir.Read(places + "-wal");
    ASSERT_NE(log.find("lumo-logged-title"), std::string::npos);
    EXPECT_TRUE(HasName(Call("ParseFirefoxHistory", false), "/page3"));
    EXPECT_EQ(dir.Read(places), main);
    EXPECT_EQ(dir.Read(places + "-wal"), log);

    Call("ParseFirefoxHistory", true);
    EXPECT_EQ(Bytes(places).find("lumo-logged-title"), std::string::npos);
    EXPECT_EQ(Query(places, "SELECT count(*) FROM moz_places WHERE url LIKE '%/page3'"), 0);
}

TEST_F(BrowserParsers, AFailedRemovalChangesNothingAndEndsEveryTraceUnknown) {
    const std::string history = kChromeProfile + "/History";
    // Refuses the last step of the removal, after the visits are already gone in the transaction.
    SqliteDatabase(dir.Path(history), 0)
        .Exec("CREATE TRIGGER refuse BEFORE DELETE ON urls BEGIN SELECT RAISE(ABORT, 'refused'); END");
    int64_t visits = Query(history, "SELECT count(*) FROM visits");
    PrivacyValues& cleared = Call("ParseChromiumHistory", true);
    std::vector<int32_t> historyStatuses;
    for (const PrivacyValuePtr& pv : cleared)
        if (pv->Path.rfind(dir.Path(history) + ":", 0) == 0)
            historyStatuses.push_back(pv->ValueStatus);
    EXPECT_EQ(historyStatuses, std::vector<int32_t>(6, vsUnknown));  // five pages and the download
    EXPECT_EQ(Query(history, "SELECT count(*) FROM visits"), visits);
    EXPECT_EQ(Query(history, "SELECT count(*) FROM downloads"), 1);
    // The last line naming a trace says what became of it.
    auto last = std::find_if(log.lines.rbegin(), log.lines.rend(),
                             [](const std::string& line) { return line.find("/page3") != std::string::npos; });
    ASSERT_NE(last, log.lines.rend());
    EXPECT_EQ(last->rfind("Unknown ", 0), 0u) << *last;
    EXPECT_TRUE(Says(cleared, "could not be changed"));
}

TEST_F(BrowserParsers, AStopRemovesExactlyTheTracesReportedBeforeIt) {
    const std::string history = kChromeProfile + "/History";
    int reported = 0;
    onTrace = [&](const PrivacyValuePtr&) { stop = ++reported == 2; };
    PrivacyValues& cleared = Call("ParseChromiumHistory", true);
    EXPECT_EQ(cleared.Count(), 2);
    EXPECT_EQ(Query(history, "SELECT count(*) FROM urls"), 3);
    EXPECT_EQ(Query(history, "SELECT count(*) FROM visits WHERE url NOT IN (SELECT id FROM urls)"), 0);
    for (const PrivacyValuePtr& pv : cleared)
        EXPECT_EQ(Query(history, "SELECT count(*) FROM urls WHERE url = '" + pv->ValueName + "'"), 0) << pv->ValueName;
}

#ifdef _WIN32
// Firefox on Windows holds parent.lock open without sharing while it runs; a lock file left by a
// browser that is gone holds nothing back.
TEST_F(BrowserParsers, AProfileWhoseLockFileIsHeldIsNotChanged) {
    const std::string places = kFirefoxProfile + "/places.sqlite";
    dir.Write(kFirefoxProfile + "/parent.lock", "");
    std::string before = Bytes(places);
    FILE* held = _wfsopen(dir.FsPath(kFirefoxProfile + "/parent.lock").c_str(), L"rb", _SH_DENYRW);
    ASSERT_NE(held, nullptr);
    PrivacyValues& whileHeld = Call("ParseFirefoxHistory", true);
    std::fclose(held);
    EXPECT_TRUE(AllAre(whileHeld, vsUnknown));
    EXPECT_TRUE(Says(whileHeld, "is running"));
    EXPECT_EQ(Bytes(places), before);

    PrivacyValues& afterwards = Call("ParseFirefoxHistory", true);
    EXPECT_EQ(afterwards.Count(), whileHeld.Count());
    EXPECT_TRUE(AllAre(afterwards, vsDelete));
    EXPECT_TRUE(dir.Exists(kFirefoxProfile + "/parent.lock"));
}
#else
TEST_F(BrowserParsers, LinksAreNeitherOpenedNorEntered) {
    ScratchFolder elsewhere;
    const std::string history = kChromeProfile + "/History";
    fs::rename(dir.FsPath(history), elsewhere.FsPath("History"));
    fs::create_symlink(elsewhere.FsPath("History"), dir.FsPath(history));
    std::string target = elsewhere.Read("History");
    fs::rename(dir.FsPath(kChromeProfile + "/Cache"), elsewhere.FsPath("Cache"));
    fs::create_directory_symlink(elsewhere.FsPath("Cache"), dir.FsPath(kChromeProfile + "/Cache"));

    PrivacyValues& found = Call("ParseChromiumHistory", true);
    ASSERT_GE(found.Count(), 1);
    EXPECT_EQ(found.item(1)->Path, dir.Path(history));
    EXPECT_EQ(found.item(1)->ValueStatus, vsUnknown);
    EXPECT_EQ(elsewhere.Read("History"), target);
    Call("ParseChromiumCache", true);
    EXPECT_FALSE(fs::is_empty(elsewhere.FsPath("Cache/Cache_Data")));
}
#endif

TEST(BrowserProfiles, ChromiumProfilesAreTheListedAndTheUsualFolders) {
    ScratchFolder dir;
    RealFileSystem files;
    dir.Write("U/Local State", R"({"profile":{"info_cache":{"Work":{},"Profile 7":{},"..":{},"Gone":{}}}})");
    for (const char* folder : {"U/Default", "U/Profile 2", "U/Work", "U/System Profile", "U/Profile x", "U/Profile 7"})
        dir.Folder(folder);
    dir.Write("Opera/Preferences", "{}");
    std::vector<std::string> notes;
    std::set<std::string> names;
    for (const BrowserProfile& p : ChromiumProfiles(files, dir.Path("U"), dir.Path("L"), notes)) {
        names.insert(p.name);
        EXPECT_EQ(p.folder, JoinPath(dir.Path("U"), p.name));
        EXPECT_EQ(p.localFolder, JoinPath(dir.Path("L"), p.name));
    }
    EXPECT_EQ(names, (std::set<std::string>{"Default", "Profile 2", "Work", "Profile 7"}));
    std::vector<BrowserProfile> opera = ChromiumProfiles(files, dir.Path("Opera"), dir.Path("OperaLocal"), notes);
    ASSERT_EQ(opera.size(), 1u);
    EXPECT_EQ(std::tie(opera[0].folder, opera[0].localFolder),
              std::make_tuple(dir.Path("Opera"), dir.Path("OperaLocal")));
    EXPECT_TRUE(ChromiumProfiles(files, dir.Path("not installed"), "", notes).empty());
    EXPECT_TRUE(notes.empty());
}

// Every folder exists: which paths of profiles.ini are taken is up to the reading alone.
class EveryFolderExists : public testing::InjectingFileSystem {
public:
    using InjectingFileSystem::InjectingFileSystem;
    bool FolderExists(std::string_view) override { return true; }
};

TEST(BrowserProfiles, FirefoxProfilesAreWhatProfilesIniLists) {
    ScratchFolder dir;
    RealFileSystem files;
    dir.Folder("F/Profiles/a.default");
    dir.Folder("Elsewhere/b");
    dir.Folder("F/escape");
    dir.Write("F/profiles.ini",
              "[General]\r\nStartWithLastProfile=1\r\n\r\n"
              "[Profile0]\r\nName=first\r\nIsRelative=1\r\nPath=Profiles/a.default\r\n\r\n"
              "[Profile1]\r\nName=absolute\r\nIsRelative=0\r\nPath=" +
                  dir.Path("Elsewhere/b") +
                  "\r\n\r\n"
                  "[Profile2]\r\nName=missing\r\nIsRelative=1\r\nPath=Profiles/gone\r\n\r\n"
                  "[Profile3]\r\nName=climbing\r\nIsRelative=1\r\nPath=Profiles/../escape\r\n\r\n"
                  "[Profile4]\r\nName=again\r\nIsRelative=1\r\nPath=Profiles/a.default\r\n\r\n"
                  // Not relative, yet no full path: the current folder would complete it.
                  "[Profile5]\r\nName=current\r\nIsRelative=0\r\nPath=.\r\n\r\n"
                  "[Install4F96D1932A9F858E]\r\nDefault=Profiles/a.default\r\n");
    std::vector<std::string> notes;
    std::vector<BrowserProfile> profiles = FirefoxProfiles(files, dir.Path("F"), dir.Path("L"), notes);
    ASSERT_EQ(profiles.size(), 2u);
    EXPECT_EQ(std::tie(profiles[0].name, profiles[0].folder, profiles[0].localFolder),
              std::make_tuple("first", dir.Path("F/Profiles/a.default"), dir.Path("L/Profiles/a.default")));
    EXPECT_EQ(std::tie(profiles[1].name, profiles[1].folder, profiles[1].localFolder),
              std::make_tuple("absolute", dir.Path("Elsewhere/b"), dir.Path("Elsewhere/b")));
    EXPECT_TRUE(FirefoxProfiles(files, dir.Path("not installed"), "", notes).empty());

    // Which absolute paths are full ones: a drive letter with its separator, or a share.
#ifdef _WIN32
    const char* full[] = {"A:\\p", "z:/p", "\\\\server\\p"};
    const char* notFull[] = {"Profiles\\p", "C:", "1:\\p", "C:p"};
#else
    const char* full[] = {"/p"};
    const char* notFull[] = {"Profiles/p", "C:"};
#endif
    std::string ini;
    for (const char* path : full)
        ini += std::string("[Profile]\r\nIsRelative=0\r\nPath=") + path + "\r\n";
    for (const char* path : notFull)
        ini += std::string("[Profile]\r\nIsRelative=0\r\nPath=") + path + "\r\n";
    dir.Write("G/profiles.ini", ini);
    EveryFolderExists anywhere(files);
    std::vector<std::string> taken;
    for (const BrowserProfile& p : FirefoxProfiles(anywhere, dir.Path("G"), "", notes))
        taken.push_back(p.folder);
    EXPECT_EQ(taken, std::vector<std::string>(std::begin(full), std::end(full)));
}

TEST(JsonReader, ReadsBrowserFilesAndRefusesWhatIsNotJson) {
    std::optional<JsonValue> v = ParseJson(
        "\xEF\xBB\xBF {\t\"a\" :\r\n[19, -2.5e3, true, null, \"x\\\"\\u00e9\\ud83d\\ude00\\n\", \"\\ud800\\udbff\"],"
        " \"b\": {} } ");
    ASSERT_TRUE(v);
    const JsonValue* a = v->Member("a");
    ASSERT_TRUE(a && a->items.size() == 6);
    EXPECT_EQ(a->items[0].text, "19");
    EXPECT_EQ(a->items[1].text, "-2.5e3");
    EXPECT_TRUE(a->items[2].boolean);
    EXPECT_EQ(a->items[4].text, "x\"\xC3\xA9\xF0\x9F\x98\x80\n");
    EXPECT_EQ(a->items[5].text, "\xEF\xBF\xBD\xEF\xBF\xBD") << "a surrogate without its pair is U+FFFD";
    EXPECT_EQ(v->Member("b")->kind, JsonValue::Kind::Object);
    // The text ends inside a string, at the end of its memory too: nothing beyond it is read (a
    // sanitized build sees any read).
    const std::vector<char> unterminated = {'"', 'a', 'b', 'c'};
    EXPECT_FALSE(ParseJson(std::string_view(unterminated.data(), unterminated.size())));
    for (const std::string& bad :
         std::vector<std::string>{"", "{", "{\"a\":1,}", "[1 2]", "{\"a\":1} x", "\"tab\there\"", "[\"\\x\"]", "-",
                                  "{a:1}", std::string(100000, '[') + std::string(100000, ']')})
        EXPECT_FALSE(ParseJson(bad)) << bad.substr(0, 20);
}

}  // namespace
}  // namespace lumo
