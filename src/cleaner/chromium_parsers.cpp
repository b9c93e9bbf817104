// The parsers of Chromium-based browsers (Chrome, Edge, Brave, Vivaldi, Opera). Their databases:
// History (urls and visits, downloads), Top Sites, Favicons, Shortcuts, Network Action
// Predictor, Cookies (Network\Cookies from Chrome 96 on Windows), Web Data (autofill). The
// schema differs between versions: every table and column is looked for before it is used.
#include <optional>
#include <set>

#include "cleaner/browser_database.h"
#include "cleaner/browser_parsers.h"
#include "cleaner/browser_profiles.h"
#include "cleaner/json_reader.h"
#include "cleaner/seek_context.h"
#include "cleaner/sqlite_database.h"
#include "platform/file_system.h"

namespace lumo {

namespace {

// Runs `sql` when the database has `table` (and `column`, when given).
void ExecIf(SqliteDatabase& db, const char* table, const char* column, const std::string& sql) {
    if (db.HasTable(table) && (!column || db.HasColumn(table, column)))
        db.Exec(sql);
}

constexpr const char* kDoomed0 = "(SELECT id FROM temp.lumo_doomed0)";
constexpr const char* kDoomed1 = "(SELECT id FROM temp.lumo_doomed1)";
constexpr const char* kVisits = "(SELECT id FROM temp.lumo_visits)";

// One group per row of `sql`'s result: id, name, size.
std::vector<RowGroup> RowPerGroup(SqliteDatabase& db, const std::string& sql, int kind) {
    std::vector<RowGroup> groups;
    SqliteStatement s = db.Prepare(sql);
    while (s.Step())
        groups.push_back({s.Text(1), s.Int(2), kind, {s.Int(0)}});
    return groups;
}

// Each visited page with its visits (kind 0) and each download (kind 1).
DatabaseEdit HistoryEdit() {
    DatabaseEdit edit;
    edit.what = "history";
    edit.kinds = 2;
    edit.find = [](SqliteDatabase& db) {
        std::vector<RowGroup> groups;
        if (db.HasTable("urls")) {
            std::string visits = db.HasTable("visits") && db.HasColumn("visits", "url")
                                     ? "(SELECT count(*) FROM visits v WHERE v.url = u.id)"
                                     : "0";
            // The size: the page's address and title, and a visit row's worth per visit.
            groups = RowPerGroup(db,
                                 "SELECT u.id, u.url, length(u.url) + ifnull(length(u.title), 0) + 32 * " + visits +
                                     " FROM urls u ORDER BY u.id",
                                 0);
        }
        if (db.HasTable("downloads") && db.HasColumn("downloads", "target_path")) {
            bool chains = db.HasTable("downloads_url_chains");
            std::string firstUrl = chains ? "(SELECT c.url FROM downloads_url_chains c WHERE c.id = d.id ORDER BY "
                                            "c.chain_index LIMIT 1)"
                                          : "''";
            std::string chainBytes =
                chains ? "ifnull((SELECT sum(length(c.url)) FROM downloads_url_chains c WHERE c.id = d.id), 0)" : "0";
            std::vector<RowGroup> downloads =
                RowPerGroup(db,
                            "SELECT d.id, CASE WHEN d.target_path <> '' THEN d.target_path ELSE ifnull(" + firstUrl +
                                ", '') END, length(d.target_path) + 32 + " + chainBytes +
                                " FROM downloads d ORDER BY d.id",
                            1);
            groups.insert(groups.end(), downloads.begin(), downloads.end());
        }
        return groups;
    };
    edit.remove = [](SqliteDatabase& db) {
        db.Exec("CREATE TEMP TABLE IF NOT EXISTS lumo_visits(id INTEGER PRIMARY KEY)");
        ExecIf(db, "visits", "url",
               std::string("INSERT OR IGNORE INTO temp.lumo_visits SELECT id FROM visits WHERE url IN ") + kDoomed0);
        ExecIf(db, "visit_source", nullptr, std::string("DELETE FROM visit_source WHERE id IN ") + kVisits);
        ExecIf(db, "content_annotations", "visit_id",
               std::string("DELETE FROM content_annotations WHERE visit_id IN ") + kVisits);
        ExecIf(db, "context_annotations", "visit_id",
               std::string("DELETE FROM context_annotations WHERE visit_id IN ") + kVisits);
        ExecIf(db, "clusters_and_visits", "visit_id",
               std::string("DELETE FROM clusters_and_visits WHERE visit_id IN ") + kVisits);
        ExecIf(db, "cluster_visit_duplicates", "duplicate_visit_id",
               std::string("DELETE FROM cluster_visit_duplicates WHERE visit_id IN ") + kVisits +
                   " OR duplicate_visit_id IN " + kVisits);
        if (db.HasTable("clusters_and_visits"))
            ExecIf(db, "clusters", "cluster_id",
                   "DELETE FROM clusters WHERE cluster_id NOT IN (SELECT cluster_id FROM clusters_and_visits)");
        if (db.HasTable("clusters"))
            ExecIf(db, "cluster_keywords", "cluster_id",
                   "DELETE FROM cluster_keywords WHERE cluster_id NOT IN (SELECT cluster_id FROM clusters)");
        if (db.HasColumn("visits", "visit_time")) {
            ExecIf(db, "journey_history_entries", "visit_timestamp_micros",
                   std::string("DELETE FROM journey_history_entries WHERE visit_timestamp_micros IN (SELECT visit_time "
                               "FROM visits WHERE id IN ") +
                       kVisits + ")");
        }
        if (db.HasTable("journey_history_entries")) {
            ExecIf(db, "journeys", "journey_id",
                   "DELETE FROM journeys WHERE journey_id NOT IN (SELECT journey_id FROM journey_history_entries)");
            if (db.HasTable("journeys"))
                ExecIf(db, "journey_continuation_queries", "journey_id",
                       "DELETE FROM journey_continuation_queries WHERE journey_id NOT IN (SELECT journey_id FROM "
                       "journeys)");
        }
        if (db.HasTable("visits"))
            DeleteListedRows(db, "visits", "id", "temp.lumo_visits");
        ExecIf(db, "keyword_search_terms", "url_id",
               std::string("DELETE FROM keyword_search_terms WHERE url_id IN ") + kDoomed0);
        if (db.HasTable("segments") && db.HasColumn("segments", "url_id")) {
            ExecIf(db, "segment_usage", "segment_id",
                   std::string("DELETE FROM segment_usage WHERE segment_id IN (SELECT id FROM segments WHERE url_id "
                               "IN ") +
                       kDoomed0 + ")");
            db.Exec(std::string("DELETE FROM segments WHERE url_id IN ") + kDoomed0);
        }
        ExecIf(db, "visited_links", "link_url_id",
               std::string("DELETE FROM visited_links WHERE link_url_id IN ") + kDoomed0);
        if (db.HasTable("urls"))
            DeleteListedRows(db, "urls", "id", "temp.lumo_doomed0");
        ExecIf(db, "downloads_url_chains", nullptr,
               std::string("DELETE FROM downloads_url_chains WHERE id IN ") + kDoomed1);
        ExecIf(db, "downloads_slices", "download_id",
               std::string("DELETE FROM downloads_slices WHERE download_id IN ") + kDoomed1);
        ExecIf(db, "downloads", nullptr, std::string("DELETE FROM downloads WHERE id IN ") + kDoomed1);
    };
    return edit;
}

// Tables whose every row is one page, such as the most visited sites; table i's rows go to the
// doomed table of kind i.
struct PageTable {
    std::string table, nameColumn, sizeExpression;
};

DatabaseEdit PagesEdit(std::string what, const std::vector<PageTable>& tables) {
    DatabaseEdit edit;
    edit.what = std::move(what);
    edit.kinds = static_cast<int>(tables.size());
    edit.find = [tables](SqliteDatabase& db) {
        std::vector<RowGroup> groups;
        for (size_t i = 0; i < tables.size(); ++i) {
            const PageTable& t = tables[i];
            if (!db.HasTable(t.table) || !db.HasColumn(t.table, t.nameColumn))
                continue;
            std::vector<RowGroup> rows = RowPerGroup(db,
                                                     "SELECT rowid, " + t.nameColumn + ", " + t.sizeExpression +
                                                         " FROM " + t.table + " ORDER BY rowid",
                                                     static_cast<int>(i));
            groups.insert(groups.end(), rows.begin(), rows.end());
        }
        return groups;
    };
    edit.remove = [tables](SqliteDatabase& db) {
        for (size_t i = 0; i < tables.size(); ++i)
            if (db.HasTable(tables[i].table))
                db.Exec("DELETE FROM " + tables[i].table + " WHERE rowid IN (SELECT id FROM temp.lumo_doomed" +
                        std::to_string(i) + ")");
    };
    return edit;
}

// The pages whose icons are kept: every address the Bookmarks file names. None when the file is
// there but cannot be read: then no favicon is known to be unneeded.
std::optional<std::set<std::string>> BookmarkedUrls(FileSystem& files, const std::string& profileFolder) {
    std::set<std::string> urls;
    std::string path = JoinPath(profileFolder, "Bookmarks");
    if (!files.FileExists(path))
        return urls;
    std::optional<std::string> text = files.ReadFile(path);
    std::optional<JsonValue> tree = text ? ParseJson(*text) : std::nullopt;
    if (!tree)
        return std::nullopt;
    std::vector<const JsonValue*> pending{&*tree};
    while (!pending.empty()) {
        const JsonValue* v = pending.back();
        pending.pop_back();
        if (const JsonValue* url = v->Member("url"); url && url->kind == JsonValue::Kind::String)
            urls.insert(url->text);
        for (const JsonMember& member : v->members)
            pending.push_back(&member.value);
        for (const JsonValue& item : v->items)
            pending.push_back(&item);
    }
    return urls;
}

// The icon references of pages no bookmark names, one group per page; icons left without any
// reference go with them.
DatabaseEdit FaviconsEdit(std::set<std::string> keep) {
    DatabaseEdit edit;
    edit.what = "favicons";
    edit.find = [keep = std::move(keep)](SqliteDatabase& db) {
        std::vector<RowGroup> groups;
        if (!db.HasTable("icon_mapping") || !db.HasColumn("icon_mapping", "page_url"))
            return groups;
        RowGrouper grouper;
        SqliteStatement s =
            db.Prepare("SELECT id, page_url, length(page_url) + 32 FROM icon_mapping ORDER BY page_url, id");
        while (s.Step()) {
            std::string page = s.Text(1);
            if (!keep.count(page))
                grouper.Add(std::move(page), s.Int(0), s.Int(2));
        }
        return grouper.Take();
    };
    edit.remove = [](SqliteDatabase& db) {
        db.Exec(std::string("DELETE FROM icon_mapping WHERE id IN ") + kDoomed0);
        const std::string referenced = "(SELECT icon_id FROM icon_mapping WHERE icon_id IS NOT NULL)";
        ExecIf(db, "favicon_bitmaps", "icon_id", "DELETE FROM favicon_bitmaps WHERE icon_id NOT IN " + referenced);
        ExecIf(db, "favicons", nullptr, "DELETE FROM favicons WHERE id NOT IN " + referenced);
    };
    return edit;
}

DatabaseEdit CookiesEdit() {
    DatabaseEdit edit;
    edit.what = "cookies";
    edit.find = [](SqliteDatabase& db) {
        if (!db.HasTable("cookies") || !db.HasColumn("cookies", "host_key"))
            return std::vector<RowGroup>{};
        std::string size = "length(name) + length(value) + length(path)";
        if (db.HasColumn("cookies", "encrypted_value"))
            size += " + length(encrypted_value)";
        // ".example.com" and "example.com" are one host to the user.
        return RowsByName(db,
                          "SELECT rowid, ltrim(host_key, '.') AS host, " + size + " FROM cookies ORDER BY host, rowid");
    };
    edit.remove = [](SqliteDatabase& db) { db.Exec(std::string("DELETE FROM cookies WHERE rowid IN ") + kDoomed0); };
    return edit;
}

DatabaseEdit FormDataEdit() {
    DatabaseEdit edit;
    edit.what = "form data";
    edit.find = [](SqliteDatabase& db) {
        if (!db.HasTable("autofill") || !db.HasColumn("autofill", "name") || !db.HasColumn("autofill", "value"))
            return std::vector<RowGroup>{};
        return RowsByName(db, "SELECT rowid, name, length(name) + length(value) FROM autofill ORDER BY name, rowid");
    };
    edit.remove = [](SqliteDatabase& db) { db.Exec(std::string("DELETE FROM autofill WHERE rowid IN ") + kDoomed0); };
    return edit;
}

// Runs `each` (run, profile, in use) for every profile of the browser and returns what it found.
// The running browser holds "lockfile" of the user data folder open on Windows, and History and
// Web Data everywhere.
const BrowserFamily kChromium{ChromiumProfiles,
                              [](const std::string& userData, const BrowserProfile&) {
                                  return JoinPath(userData, "lockfile");
                              },
                              {"History", "Web Data"}};

}  // namespace

PrivacyValuesPtr ParseChromiumHistory(CustomizeParse& parser, const ParserArguments& args, SeekContext& ctx) {
    return ForEachProfile(parser, args, ctx, kChromium, [](BrowserRun& run, const BrowserProfile& p, bool inUse) {
        EditDatabase(run, p, JoinPath(p.folder, "History"), HistoryEdit(), inUse);
        // Chrome 80 and later keep top_sites; older versions kept thumbnails with the images.
        EditDatabase(run, p, JoinPath(p.folder, "Top Sites"),
                     PagesEdit("top sites", {{"top_sites", "url", "length(url) + ifnull(length(title), 0)"},
                                             {"thumbnails", "url", "length(url) + ifnull(length(thumbnail), 0)"}}),
                     inUse);
        if (std::optional<std::set<std::string>> keep = BookmarkedUrls(run.Files(), p.folder))
            EditDatabase(run, p, JoinPath(p.folder, "Favicons"), FaviconsEdit(std::move(*keep)), inUse);
        else if (run.Files().FileExists(JoinPath(p.folder, "Favicons")))
            run.Notice("The bookmarks of " + p.folder + " could not be read, so its favicons were left alone");
        EditDatabase(run, p, JoinPath(p.folder, "Shortcuts"),
                     PagesEdit("shortcuts", {{"omni_box_shortcuts", "url",
                                              "length(url) + ifnull(length(text), 0) + ifnull(length(contents), 0)"}}),
                     inUse);
        EditDatabase(run, p, JoinPath(p.folder, "Network Action Predictor"),
                     PagesEdit("predictor",
                               {{"network_action_predictor", "url", "length(url) + ifnull(length(user_text), 0)"}}),
                     inUse);
        ClearProfileFile(run, JoinPath(p.folder, "Visited Links"), inUse);
    });
}

PrivacyValuesPtr ParseChromiumCookies(CustomizeParse& parser, const ParserArguments& args, SeekContext& ctx) {
    return ForEachProfile(parser, args, ctx, kChromium, [](BrowserRun& run, const BrowserProfile& p, bool inUse) {
        EditDatabase(run, p, JoinPath(JoinPath(p.folder, "Network"), "Cookies"), CookiesEdit(), inUse);
        EditDatabase(run, p, JoinPath(p.folder, "Cookies"), CookiesEdit(), inUse);
        for (const char* folder :
             {"Local Storage", "IndexedDB", "databases", "File System", "Service Worker", "WebStorage"})
            ClearFolderContents(run, JoinPath(p.folder, folder), inUse);
    });
}

PrivacyValuesPtr ParseChromiumFormData(CustomizeParse& parser, const ParserArguments& args, SeekContext& ctx) {
    return ForEachProfile(parser, args, ctx, kChromium, [](BrowserRun& run, const BrowserProfile& p, bool inUse) {
        EditDatabase(run, p, JoinPath(p.folder, "Web Data"), FormDataEdit(), inUse);
    });
}

PrivacyValuesPtr ParseChromiumSessions(CustomizeParse& parser, const ParserArguments& args, SeekContext& ctx) {
    return ForEachProfile(parser, args, ctx, kChromium, [](BrowserRun& run, const BrowserProfile& p, bool inUse) {
        for (const char* file : {"Current Session", "Current Tabs", "Last Session", "Last Tabs"})
            ClearProfileFile(run, JoinPath(p.folder, file), inUse);
        for (const char* folder : {"Sessions", "Sessions_Encrypted", "Session Storage"})
            ClearFolderContents(run, JoinPath(p.folder, folder), inUse);
    });
}

PrivacyValuesPtr ParseChromiumCache(CustomizeParse& parser, const ParserArguments& args, SeekContext& ctx) {
    return ForEachProfile(parser, args, ctx, kChromium, [](BrowserRun& run, const BrowserProfile& p, bool inUse) {
        for (const char* folder :
             {"Cache", "Code Cache", "GPUCache", "Media Cache", "DawnGraphiteCache", "DawnWebGPUCache"})
            ClearFolderContents(run, JoinPath(p.localFolder, folder), inUse);
    });
}

}  // namespace lumo
