// The browser parsers on the stored profiles that real chromium and firefox-esr made
// (tests/browsers/browsers.py), copied into a scratch folder: what Show finds is what Clear
// removes, everything a user keeps stays, and a database that is held, damaged, a link or that
// refuses the change is left exactly as it was with a true final status.
#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <cstdio>
#include <filesystem>
#include <set>
#ifdef _WIN32
#include <share.h>
#endif

#include "cleaner/browser_profiles.h"
#include "cleaner/customize_parsers.h"
#include "cleaner/json_reader.h"
#include "cleaner/sqlite_database.h"
#include "engine_test_support.h"

namespace lumo {
namespace {

namespace fs = std::filesystem;
using ::testing::Contains;
using ::testing::EndsWith;
using ::testing::HasSubstr;
using Names = std::vector<std::string>;
using Statuses = std::set<int32_t>;

#ifdef _WIN32
// The build folder is a Linux path; Wine shows the Linux root as drive Z:.
const std::string kStoredProfiles = std::string("Z:") + LUMO_STORED_PROFILES;
#else
const std::string kStoredProfiles = LUMO_STORED_PROFILES;
#endif
const std::string kChromeData = "Local/Google/Chrome/User Data", kChrome = kChromeData + "/Default",
                  kHistory = kChrome + "/History", kFirefoxRoaming = "Roaming/Mozilla/Firefox",
                  kFirefoxLocal = "Local/Mozilla/Firefox",
                  kFirefox = kFirefoxRoaming + "/Profiles/lumo.default-release", kPlaces = kFirefox + "/places.sqlite";

struct BrowserParsers : testing::EngineTest {
    SpecialParser parser;
    PrivacyItem item;
    std::vector<PrivacyValuesPtr> results;

    BrowserParsers() {
        fs::copy(fs::u8path(kStoredProfiles), dir.FsPath(), fs::copy_options::recursive);
        ctx.parser = &parser;
        item.Software = "Lumo Browser";
    }
    // Calls a parser operation on the stored layout, as the shipped configuration names it.
    PrivacyValues& Call(const std::string& operation, bool clear) {
        Names settings{dir.Path(kChromeData)};
        if (operation.find("Firefox") != std::string::npos)
            settings = {dir.Path(kFirefoxRoaming), dir.Path(kFirefoxLocal)};
        results.push_back(parser.CallParser(operation, {&item, clear, settings}, ctx));
        return *results.back();
    }
    int64_t Query(const std::string& relative, const std::string& sql) {
        return SqliteDatabase(dir.Path(relative), 0).QueryInt(sql);
    }
    // Every byte of a database and of the log or journal beside it.
    std::string Bytes(const std::string& relative) const {
        std::string all;
        for (const char* suffix : {"", "-wal", "-journal"})
            if (dir.Exists(relative + suffix))
                all += dir.Read(relative + suffix);
        return all;
    }
};

// The statuses of the traces whose path starts with `prefix`.
Statuses StatusesOf(const PrivacyValues& pvs, const std::string& prefix = {}) {
    Statuses out;
    for (const PrivacyValuePtr& pv : pvs)
        if (pv->Path.starts_with(prefix))
            out.insert(pv->ValueStatus);
    return out;
}

using Queries = std::vector<std::pair<std::string, std::string>>;  // database, query
struct Browser {
    const char* name;
    Names folders, kept;  // where the browser keeps its files; files a clear never changes
    Queries arrange, emptied, remaining;  // run first; give 0 after the clears; give what they gave
};

const Browser kBrowsers[] = {
    {"Chromium",
     {kChromeData},
     {kChrome + "/Bookmarks", kChrome + "/Login Data", kChrome + "/Preferences", kChromeData + "/Local State"},
     // A page a bookmark names keeps its icon.
     {{kChrome + "/Favicons",
       "INSERT INTO favicons(id, url) VALUES (2, 'http://127.0.0.1:40193/kept.png'); INSERT INTO "
       "icon_mapping(page_url, icon_id) VALUES ('http://127.0.0.1:40193/page2', 2)"}},
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
     {},
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

TEST_P(StoredProfile, ClearRemovesWhatShowFindsAndKeepsBookmarksLoginsAndSettings) {
    const Browser& b = GetParam();
    for (const auto& [db, sql] : b.arrange)
        SqliteDatabase(dir.Path(db), 0).Exec(sql);
    auto keptState = [&] {
        std::string state;
        for (const std::string& f : b.kept)
            state += dir.Read(f);
        for (const auto& [db, sql] : b.remaining)
            state += "|" + std::to_string(Query(db, sql));
        return state;
    };
    const std::string keptBefore = keptState();
    Names shown;
    for (const char* kind : {"History", "Cookies", "FormData", "Sessions", "Cache"}) {
        std::string op = std::string("Parse") + b.name + kind;
        PrivacyValues& found = Call(op, false);
        for (const PrivacyValuePtr& pv : found)
            shown.push_back(pv->ValueName);
        PrivacyValues& cleared = Call(op, true);
        EXPECT_EQ(cleared.Count(), found.Count()) << op;
        EXPECT_EQ(StatusesOf(cleared), Statuses{vsDelete}) << op;
        EXPECT_EQ(Call(op, false).Count(), 0) << op << " left something";
        EXPECT_EQ(cleared.Notices(), Names{}) << op;
    }
    for (const char* ending : {"/page2", "download.bin", "127.0.0.1", "lumo_field"})
        EXPECT_THAT(shown, Contains(EndsWith(ending)));
    // Nothing that was cleared is left in any byte of any file of the browser.
    for (const std::string& folder : b.folders)
        for (const fs::directory_entry& e : fs::recursive_directory_iterator(dir.FsPath(folder)))
            for (const char* secret : {"/page3", "lumo-typed-value", "lumo-download.bin", "lumo_page3", "lumo_field"})
                EXPECT_TRUE(!e.is_regular_file() ||
                            testing::ScratchFolder::ReadPath(e).find(secret) == std::string::npos)
                    << secret << " is still in " << e.path();
    for (const auto& [db, sql] : b.emptied)
        EXPECT_EQ(Query(db, sql), 0) << db << ": " << sql;
    EXPECT_EQ(keptState(), keptBefore);
}

INSTANTIATE_TEST_SUITE_P(RealBrowsers, StoredProfile, ::testing::ValuesIn(kBrowsers),
                         [](const auto& info) { return std::string(info.param.name); });

// What keeps a database from being changed: every trace of it ends "Unknown", the user is told
// why, and its bytes stay as they were. A browser that runs holds back all of its profile.
struct Obstacle {
    const char* name;
    std::string operation, database, notice, sql;
    bool held;  // by a browser that runs: what `sql` does, or the lock file, stays until the clear ends
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
#ifdef _WIN32
    // Firefox on Windows holds parent.lock open without sharing while it runs.
    if (o.name == std::string("LockFileHeld"))
        holder = std::shared_ptr<FILE>(_wfsopen(dir.FsPath(dir.Write(kFirefox + "/parent.lock", "")).c_str(), L"rb",
                                                _SH_DENYRW),
                                       [](FILE* f) { f&& std::fclose(f); });
#endif
    const std::string before = Bytes(o.database);
    size_t shown = Call(o.operation, false).Count();
    PrivacyValues& cleared = Call(o.operation, true);
    holder.reset();
    EXPECT_EQ(Bytes(o.database), before);
    EXPECT_THAT(cleared.Notices(), Contains(HasSubstr(o.notice)));
    EXPECT_EQ(StatusesOf(cleared, dir.Path(o.held ? "" : o.database)), Statuses{vsUnknown});
    if (o.held) {
        EXPECT_EQ(cleared.Count(), shown);
        // Nothing else of the profile was removed either, and a browser that is gone holds nothing back.
        EXPECT_GE(Call(o.operation, false).Count(), shown);
        EXPECT_EQ(StatusesOf(Call(o.operation, true)), Statuses{vsDelete});
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
#ifdef _WIN32
    {"LockFileHeld", "ParseFirefoxHistory", kPlaces, "is running", "", true},
#else
    {"Link", "ParseChromiumHistory", kHistory, "is a link", "", false},
#endif
};

INSTANTIATE_TEST_SUITE_P(RunningDamagedRefusedOrLinked, Obstacles, ::testing::ValuesIn(kObstacles),
                         [](const auto& info) { return std::string(info.param.name); });

// Firefox writes through a write-ahead log; what it holds when Firefox ended without copying it
// in stays where it is after a Show, and a Clear leaves none of the removed rows in either file.
TEST_F(BrowserParsers, AWriteAheadLogIsLeftAsItWasByAShowAndEmptiedByAClear) {
    SqliteDatabase(dir.Path(kPlaces), 0)
        .Exec("PRAGMA wal_autocheckpoint = 0; UPDATE moz_places SET title = 'lumo-logged' WHERE url LIKE '%/page3'");
    const std::string before = Bytes(kPlaces);
    ASSERT_THAT(dir.Read(kPlaces + "-wal"), HasSubstr("lumo-logged"));
    EXPECT_GT(Call("ParseFirefoxHistory", false).Count(), 0);
    EXPECT_EQ(Bytes(kPlaces), before);
    Call("ParseFirefoxHistory", true);
    EXPECT_THAT(Bytes(kPlaces), ::testing::Not(HasSubstr("lumo-logged")));
}

TEST_F(BrowserParsers, AStopRemovesExactlyTheTracesReportedBeforeIt) {
    int reported = 0;
    Subscription s =
        parser.AppendValue.Subscribe([&](PrivacyItem&, const PrivacyValuePtr&) { stop = ++reported == 2; });
    PrivacyValues& cleared = Call("ParseChromiumHistory", true);
    EXPECT_EQ(cleared.Count(), 2);
    EXPECT_EQ(Query(kHistory, "SELECT count(*) FROM urls"), 3);
    EXPECT_EQ(Query(kHistory, "SELECT count(*) FROM visits WHERE url NOT IN (SELECT id FROM urls)"), 0);
    for (const PrivacyValuePtr& pv : cleared)
        EXPECT_EQ(Query(kHistory, "SELECT count(*) FROM urls WHERE url = '" + pv->ValueName + "'"), 0) << pv->ValueName;
}

using ProfileLists = testing::EngineTest;

TEST_F(ProfileLists, ChromiumProfilesAreTheListedAndTheUsualFolders) {
    dir.Write("U/Local State", R"({"profile":{"info_cache":{"Work":{},"Profile 7":{},"..":{},"Gone":{}}}})");
    for (const char* folder : {"U/Default", "U/Profile 2", "U/Work", "U/System Profile", "U/Profile x", "U/Profile 7"})
        dir.Folder(folder);
    dir.Write("Opera/Preferences", "{}");  // a browser that keeps one profile in its own folder
    Names notes, found, expected{dir.Path("Opera") + "|" + dir.Path("L")};
    for (const char* name : {"Default", "Profile 2", "Work", "Profile 7"})
        expected.push_back(dir.Path(std::string("U/") + name) + "|" + dir.Path(std::string("L/") + name));
    for (const char* user : {"U", "Opera", "not installed"})
        for (const BrowserProfile& p : ChromiumProfiles(realFiles, dir.Path(user), dir.Path("L"), notes))
            found.push_back(p.folder + "|" + p.localFolder);
    std::sort(found.begin(), found.end());
    std::sort(expected.begin(), expected.end());
    EXPECT_EQ(found, expected);
    EXPECT_EQ(notes, Names{});
}

// Folders exist but those named "gone": which paths of profiles.ini are taken is up to the reading.
struct FoldersExist : testing::InjectingFileSystem {
    using InjectingFileSystem::InjectingFileSystem;
    bool FolderExists(std::string_view path) override { return !path.ends_with("gone"); }
};

TEST_F(ProfileLists, FirefoxProfilesAreWhatProfilesIniListsOnceInsideItsFolderOrAtFullPaths) {
    // A full path has a drive letter with its separator, or is a share; "." is not relative, yet
    // the current folder would complete it.
#ifdef _WIN32
    const Names full = {"A:\\p", "z:/p", "\\\\server\\p"}, others = {"Profiles\\p", "C:", "1:\\p", "C:p", "."};
#else
    const Names full = {"/p"}, others = {"Profiles/p", "C:", "."};
#endif
    std::string ini =
        "[General]\r\nStartWithLastProfile=1\r\n\r\n[Profile0]\r\nName=first\r\nIsRelative=1\r\nPath=Profiles/a.b\r\n"
        "[Profile1]\r\nIsRelative=1\r\nPath=Profiles/gone\r\n[Profile2]\r\nIsRelative=1\r\nPath=Profiles/../escape\r\n"
        "[Profile3]\r\nIsRelative=1\r\nPath=Profiles/a.b\r\n[Install4F96D1932A9F858E]\r\nDefault=Profiles/a.b\r\n";
    Names notes, found, expected{"first|" + dir.Path("F/Profiles/a.b") + "|" + dir.Path("L/Profiles/a.b")};
    for (const std::string& path : full) {
        ini += "[Profile]\r\nName=full\r\nIsRelative=0\r\nPath=" + path + "\r\n";
        expected.push_back("full|" + path + "|" + path);
    }
    for (const std::string& path : others)
        ini += "[Profile]\r\nIsRelative=0\r\nPath=" + path + "\r\n";
    dir.Write("F/profiles.ini", ini);
    FoldersExist exist(realFiles);
    for (const BrowserProfile& p : FirefoxProfiles(exist, dir.Path("F"), dir.Path("L"), notes))
        found.push_back(p.name + "|" + p.folder + "|" + p.localFolder);
    EXPECT_EQ(found, expected);
}

TEST(JsonReader, ReadsBrowserFilesAndRefusesWhatIsNotJson) {
    std::optional<JsonValue> v = ParseJson(
        "\xEF\xBB\xBF {\t\"a\" :\r\n[19, -2.5e3, true, null, \"x\\\"\\u00e9\\ud83d\\ude00\\n\", \"\\ud800\\udbff\"],"
        " \"b\": {} } ");
    ASSERT_TRUE(v && v->Member("a") && v->Member("a")->items.size() == 6);
    const std::vector<JsonValue>& a = v->Member("a")->items;
    EXPECT_EQ(std::make_tuple(a[0].text, a[1].text, a[2].boolean, a[4].text, v->Member("b")->kind),
              std::make_tuple("19", "-2.5e3", true, "x\"\xC3\xA9\xF0\x9F\x98\x80\n", JsonValue::Kind::Object));
    EXPECT_EQ(a[5].text, "\xEF\xBF\xBD\xEF\xBF\xBD") << "a surrogate without its pair is U+FFFD";
    // The text ends inside a string, at the end of its memory too: nothing beyond it is read (a
    // sanitized build sees any read).
    const std::vector<char> unterminated = {'"', 'a', 'b', 'c'};
    EXPECT_FALSE(ParseJson(std::string_view(unterminated.data(), unterminated.size())));
    for (const std::string& bad : Names{"", "{", "{\"a\":1,}", "[1 2]", "{\"a\":1} x", "\"tab\there\"", "[\"\\x\"]",
                                        "-", "{a:1}", std::string(100000, '[') + std::string(100000, ']')})
        EXPECT_FALSE(ParseJson(bad)) << bad.substr(0, 20);
}

}  // namespace
}  // namespace lumo
