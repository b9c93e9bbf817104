// The parsers of Firefox 3 and later. Its databases: places.sqlite (pages, visits, bookmarks,
// typed input, download annotations), favicons.sqlite, cookies.sqlite, formhistory.sqlite. The
// schema differs between versions: every table and column is looked for before it is used.
#include <optional>
#include <set>

#include "cleaner/browser_database.h"
#include "cleaner/browser_parsers.h"
#include "cleaner/browser_profiles.h"
#include "cleaner/seek_context.h"
#include "cleaner/sqlite_database.h"
#include "platform/file_system.h"

namespace lumo {

namespace {

constexpr const char* kDoomed0 = "(SELECT id FROM temp.lumo_doomed0)";
constexpr const char* kDoomed1 = "(SELECT id FROM temp.lumo_doomed1)";

void ExecIf(SqliteDatabase& db, const char* table, const char* column, const std::string& sql) {
    if (db.HasTable(table) && (!column || db.HasColumn(table, column)))
        db.Exec(sql);
}

// Whether the page p is needed by a bookmark or a keyword. Firefox counts those references in
// foreign_count; the tables themselves are asked too, so a wrong count never costs a bookmark.
std::string BookmarkedCondition(SqliteDatabase& db) {
    std::string condition = "0";
    if (db.HasColumn("moz_places", "foreign_count"))
        condition += " OR p.foreign_count > 0";
    if (db.HasTable("moz_bookmarks") && db.HasColumn("moz_bookmarks", "fk"))
        condition += " OR EXISTS (SELECT 1 FROM moz_bookmarks b WHERE b.fk = p.id)";
    if (db.HasTable("moz_keywords") && db.HasColumn("moz_keywords", "place_id"))
        condition += " OR EXISTS (SELECT 1 FROM moz_keywords k WHERE k.place_id = p.id)";
    return "(" + condition + ")";
}

// Every page that has history: one not needed by a bookmark goes with everything recorded about
// it; one that is needed stays, without its visits, typed input and annotations.
DatabaseEdit PlacesEdit() {
    DatabaseEdit edit;
    edit.what = "history";
    edit.find = [](SqliteDatabase& db) {
        std::vector<RowGroup> groups;
        if (!db.HasTable("moz_places") || !db.HasColumn("moz_places", "url"))
            return groups;
        bool visits = db.HasTable("moz_historyvisits") && db.HasColumn("moz_historyvisits", "place_id");
        std::string history = "NOT " + BookmarkedCondition(db);
        if (db.HasColumn("moz_places", "visit_count"))
            history += " OR p.visit_count > 0";
        if (db.HasColumn("moz_places", "last_visit_date"))
            history += " OR p.last_visit_date IS NOT NULL";
        if (db.HasColumn("moz_places", "typed"))
            history += " OR p.typed > 0";
        if (visits)
            history += " OR EXISTS (SELECT 1 FROM moz_historyvisits v WHERE v.place_id = p.id)";
        if (db.HasTable("moz_inputhistory"))
            history += " OR EXISTS (SELECT 1 FROM moz_inputhistory i WHERE i.place_id = p.id)";
        if (db.HasTable("moz_annos"))
            history += " OR EXISTS (SELECT 1 FROM moz_annos a WHERE a.place_id = p.id)";
        std::string visitBytes =
            visits ? " + 32 * (SELECT count(*) FROM moz_historyvisits v WHERE v.place_id = p.id)" : "";
        SqliteStatement s = db.Prepare("SELECT p.id, p.url, length(p.url) + ifnull(length(p.title), 0)" + visitBytes +
                                       " FROM moz_places p WHERE " + history + " ORDER BY p.id");
        while (s.Step())
            groups.push_back({s.Text(1), s.Int(2), 0, {s.Int(0)}});
        return groups;
    };
    edit.remove = [](SqliteDatabase& db) {
        std::string bookmarked = BookmarkedCondition(db);
        if (db.HasTable("moz_historyvisits")) {
            db.Exec("CREATE TEMP TABLE IF NOT EXISTS lumo_visits(id INTEGER PRIMARY KEY)");
            db.Exec(std::string(
                        "INSERT OR IGNORE INTO temp.lumo_visits SELECT id FROM moz_historyvisits WHERE place_id IN ") +
                    kDoomed0);
            ExecIf(db, "moz_historyvisits_extra", "visit_id",
                   "DELETE FROM moz_historyvisits_extra WHERE visit_id IN (SELECT id FROM temp.lumo_visits)");
            DeleteListedRows(db, "moz_historyvisits", "id", "temp.lumo_visits");
        }
        ExecIf(db, "moz_inputhistory", "place_id",
               std::string("DELETE FROM moz_inputhistory WHERE place_id IN ") + kDoomed0);
        ExecIf(db, "moz_annos", "place_id", std::string("DELETE FROM moz_annos WHERE place_id IN ") + kDoomed0);
        if (db.HasColumn("moz_places_metadata", "referrer_place_id"))
            db.Exec(std::string("DELETE FROM moz_places_metadata WHERE place_id IN ") + kDoomed0 +
                    " OR referrer_place_id IN " + kDoomed0);
        else
            ExecIf(db, "moz_places_metadata", "place_id",
                   std::string("DELETE FROM moz_places_metadata WHERE place_id IN ") + kDoomed0);
        if (db.HasColumn("moz_places_metadata", "search_query_id"))
            ExecIf(db, "moz_places_metadata_search_queries", nullptr,
                   "DELETE FROM moz_places_metadata_search_queries WHERE id NOT IN (SELECT search_query_id FROM "
                   "moz_places_metadata WHERE search_query_id IS NOT NULL)");
        ExecIf(db, "moz_places_extra", "place_id",
               std::string("DELETE FROM moz_places_extra WHERE place_id IN ") + kDoomed0);
        ExecIf(db, "moz_newtab_shortcuts_interaction", "place_id",
               std::string("DELETE FROM moz_newtab_shortcuts_interaction WHERE place_id IN ") + kDoomed0);

        db.Exec(std::string("DELETE FROM moz_places WHERE id IN ") + kDoomed0 +
                " AND id IN (SELECT p.id FROM moz_places p WHERE NOT " + bookmarked + ")");
        // The pages that stay for a bookmark: no visit left, their ranking computed afresh by Firefox.
        std::string reset;
        auto set = [&](const char* column, const char* value) {
            if (db.HasColumn("moz_places", column))
                reset += std::string(reset.empty() ? "" : ", ") + column + " = " + value;
        };
        set("visit_count", "0");
        set("last_visit_date", "NULL");
        set("typed", "0");
        if (db.HasColumn("moz_places", "recalc_frecency"))
            set("recalc_frecency", "1");
        else
            set("frecency", "-1");  // what older versions take for "to be computed"
        set("recalc_alt_frecency", "1");
        set("alt_frecency", "NULL");
        if (!reset.empty())
            db.Exec("UPDATE moz_places SET " + reset + " WHERE id IN " + kDoomed0);
        if (db.HasColumn("moz_places", "origin_id"))
            ExecIf(db, "moz_origins", nullptr,
                   "DELETE FROM moz_origins WHERE id NOT IN (SELECT origin_id FROM moz_places WHERE origin_id IS NOT "
                   "NULL)");
    };
    return edit;
}

// The addresses of the pages a bookmark needs, which keep their icons. None when places.sqlite
// cannot be read: then no icon is known to be unneeded.
std::optional<std::set<std::string>> BookmarkedPages(const std::string& places) {
    try {
        SqliteDatabase db(places, 100);
        db.BeginRead();
        std::set<std::string> urls;
        if (db.HasTable("moz_places")) {
            SqliteStatement s = db.Prepare("SELECT p.url FROM moz_places p WHERE " + BookmarkedCondition(db));
            while (s.Step())
                urls.insert(s.Text(0));
        }
        db.Rollback();
        return urls;
    } catch (const DatabaseError&) {
        return std::nullopt;
    }
}

// The icon references of pages that go (kind 0), and the site icons (favicon.ico) of sites no
// kept page is on (kind 1); icons left without a page go with them.
DatabaseEdit FaviconsEdit(std::set<std::string> keep) {
    std::set<std::string> keptHosts;
    for (const std::string& url : keep)
        keptHosts.insert(HostOfUrl(url));
    DatabaseEdit edit;
    edit.what = "favicons";
    edit.kinds = 2;
    edit.find = [keep = std::move(keep), keptHosts = std::move(keptHosts)](SqliteDatabase& db) {
        std::vector<RowGroup> groups;
        if (db.HasTable("moz_pages_w_icons") && db.HasColumn("moz_pages_w_icons", "page_url")) {
            SqliteStatement s =
                db.Prepare("SELECT id, page_url, length(page_url) + 32 FROM moz_pages_w_icons ORDER BY id");
            while (s.Step())
                if (std::string page = s.Text(1); !keep.count(page))
                    groups.push_back({std::move(page), s.Int(2), 0, {s.Int(0)}});
        }
        if (db.HasTable("moz_icons") && db.HasColumn("moz_icons", "root") && db.HasColumn("moz_icons", "icon_url")) {
            SqliteStatement s = db.Prepare(
                "SELECT id, icon_url, length(icon_url) + ifnull(length(data), 0) FROM moz_icons WHERE root = 1 ORDER "
                "BY id");
            while (s.Step())
                if (std::string icon = s.Text(1); !keptHosts.count(HostOfUrl(icon)))
                    groups.push_back({std::move(icon), s.Int(2), 1, {s.Int(0)}});
        }
        return groups;
    };
    edit.remove = [](SqliteDatabase& db) {
        ExecIf(db, "moz_icons_to_pages", "page_id",
               std::string("DELETE FROM moz_icons_to_pages WHERE page_id IN ") + kDoomed0);
        ExecIf(db, "moz_pages_w_icons", nullptr, std::string("DELETE FROM moz_pages_w_icons WHERE id IN ") + kDoomed0);
        if (db.HasTable("moz_icons")) {
            if (db.HasTable("moz_icons_to_pages"))
                db.Exec(std::string("DELETE FROM moz_icons_to_pages WHERE icon_id IN ") + kDoomed1);
            db.Exec(std::string("DELETE FROM moz_icons WHERE id IN ") + kDoomed1);
            if (db.HasTable("moz_icons_to_pages") && db.HasColumn("moz_icons", "root"))
                db.Exec("DELETE FROM moz_icons WHERE root = 0 AND id NOT IN (SELECT icon_id FROM moz_icons_to_pages)");
        }
    };
    return edit;
}

DatabaseEdit CookiesEdit() {
    DatabaseEdit edit;
    edit.what = "cookies";
    edit.find = [](SqliteDatabase& db) {
        if (!db.HasTable("moz_cookies") || !db.HasColumn("moz_cookies", "host"))
            return std::vector<RowGroup>();
        // ".example.com" and "example.com" are one host to the user.
        return RowsByName(
            db,
            "SELECT rowid, ltrim(host, '.') AS site, ifnull(length(name), 0) + ifnull(length(value), 0) + "
            "ifnull(length(path), 0) FROM moz_cookies ORDER BY site, rowid");
    };
    edit.remove = [](SqliteDatabase& db) {
        db.Exec(std::string("DELETE FROM moz_cookies WHERE rowid IN ") + kDoomed0);
    };
    return edit;
}

DatabaseEdit FormHistoryEdit() {
    DatabaseEdit edit;
    edit.what = "form history";
    edit.find = [](SqliteDatabase& db) {
        if (!db.HasTable("moz_formhistory") || !db.HasColumn("moz_formhistory", "fieldname"))
            return std::vector<RowGroup>();
        return RowsByName(db,
                          "SELECT id, fieldname, length(fieldname) + ifnull(length(value), 0) FROM moz_formhistory "
                          "ORDER BY fieldname, id");
    };
    edit.remove = [](SqliteDatabase& db) {
        ExecIf(db, "moz_history_to_sources", "history_id",
               std::string("DELETE FROM moz_history_to_sources WHERE history_id IN ") + kDoomed0);
        db.Exec(std::string("DELETE FROM moz_formhistory WHERE id IN ") + kDoomed0);
        if (db.HasTable("moz_history_to_sources"))
            ExecIf(db, "moz_sources", nullptr,
                   "DELETE FROM moz_sources WHERE id NOT IN (SELECT source_id FROM moz_history_to_sources)");
    };
    return edit;
}

// Firefox holds parent.lock open on Windows, and places.sqlite and cookies.sqlite everywhere.
const BrowserFamily kFirefox{FirefoxProfiles,
                             [](const std::string&, const BrowserProfile& p) {
                                 return JoinPath(p.folder, "parent.lock");
                             },
                             {"places.sqlite", "cookies.sqlite"}};

}  // namespace

PrivacyValuesPtr ParseFirefoxHistory(CustomizeParse& parser, const ParserArguments& args, SeekContext& ctx) {
    return ForEachProfile(parser, args, ctx, kFirefox, [](BrowserRun& run, const BrowserProfile& p, bool inUse) {
        std::string places = JoinPath(p.folder, "places.sqlite");
        // Read first: the bookmarked pages are the same before and after the clear.
        std::optional<std::set<std::string>> keep =
            run.Files().FileExists(places) ? BookmarkedPages(places) : std::nullopt;
        // Icons go only with their pages: not while the pages stay after a failure, or while a
        // program holds places.sqlite that the profile check did not see.
        DatabaseOutcome pages = EditDatabase(run, p, places, PlacesEdit(), inUse);
        if (pages == DatabaseOutcome::NotChanged)
            return;
        if (keep)
            EditDatabase(run, p, JoinPath(p.folder, "favicons.sqlite"), FaviconsEdit(std::move(*keep)),
                         inUse || pages == DatabaseOutcome::Held);
    });
}

PrivacyValuesPtr ParseFirefoxCookies(CustomizeParse& parser, const ParserArguments& args, SeekContext& ctx) {
    return ForEachProfile(parser, args, ctx, kFirefox, [](BrowserRun& run, const BrowserProfile& p, bool inUse) {
        EditDatabase(run, p, JoinPath(p.folder, "cookies.sqlite"), CookiesEdit(), inUse);
        ClearFolderContents(run, JoinPath(JoinPath(p.folder, "storage"), "default"), inUse);
    });
}

PrivacyValuesPtr ParseFirefoxFormData(CustomizeParse& parser, const ParserArguments& args, SeekContext& ctx) {
    return ForEachProfile(parser, args, ctx, kFirefox, [](BrowserRun& run, const BrowserProfile& p, bool inUse) {
        EditDatabase(run, p, JoinPath(p.folder, "formhistory.sqlite"), FormHistoryEdit(), inUse);
    });
}

PrivacyValuesPtr ParseFirefoxSessions(CustomizeParse& parser, const ParserArguments& args, SeekContext& ctx) {
    return ForEachProfile(parser, args, ctx, kFirefox, [](BrowserRun& run, const BrowserProfile& p, bool inUse) {
        for (const char* file : {"sessionstore.jsonlz4", "sessionstore.js", "sessionstore.bak"})
            ClearProfileFile(run, JoinPath(p.folder, file), inUse);
        ClearFolderContents(run, JoinPath(p.folder, "sessionstore-backups"), inUse);
    });
}

PrivacyValuesPtr ParseFirefoxCache(CustomizeParse& parser, const ParserArguments& args, SeekContext& ctx) {
    return ForEachProfile(parser, args, ctx, kFirefox, [](BrowserRun& run, const BrowserProfile& p, bool inUse) {
        ClearFolderContents(run, JoinPath(p.localFolder, "cache2"), inUse);
    });
}

}  // namespace lumo
