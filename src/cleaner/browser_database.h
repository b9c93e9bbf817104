// What every browser parser shares: one call's collection and events, the notices it gives, and
// the three kinds of clearing a profile needs — row groups of a SQLite database edited in one
// transaction, single files, and the contents of a folder. A profile whose browser is running
// is never changed: what is found in it ends "Unknown" and the user is told to close the browser.
#pragma once

#include <cstdint>
#include <functional>
#include <set>
#include <string>
#include <string_view>
#include <vector>

#include "cleaner/customize_parse.h"
#include "cleaner/privacy_value.h"

namespace lumo {

class FileSystem;
class SqliteDatabase;
struct BrowserProfile;

// One call of a browser parser.
class BrowserRun {
public:
    BrowserRun(CustomizeParse& parser, const ParserArguments& args, SeekContext& ctx);

    bool Clear() const { return args_.clearValue; }
    bool Stop() const;
    FileSystem& Files() const { return files_; }
    SeekContext& Context() const { return ctx_; }
    const std::string& Element(size_t i) const { return args_.Element(i); }
    // The browser's name for messages: the calling item's software.
    const std::string& Browser() const { return browser_; }

    // Hands a trace just added to the calling item.
    void Report(const PrivacyValuePtr& pv);
    // Tells the user something once per call (the same text again is dropped).
    void Notice(const std::string& text);
    // The notice for a profile the running browser holds (to close the browser), once per profile.
    void NoticeInUse(const BrowserProfile& profile);

    PrivacyValuesPtr result;

private:
    CustomizeParse& parser_;
    const ParserArguments& args_;
    SeekContext& ctx_;
    FileSystem& files_;
    std::string browser_;
    std::set<std::string> noticed_;
};

// A group of rows the user understands as one trace (one visited page with its visits, one
// cookie host, one form field name): its name, a size estimate, and the ids of its rows in the
// doomed table of its kind (temp.lumo_doomed0, temp.lumo_doomed1, ...).
struct RowGroup {
    std::string name;
    int64_t size = 0;
    int kind = 0;
    std::vector<int64_t> ids;
};

// Builds groups from rows that come ordered by group name: consecutive rows of the same name
// make one group.
class RowGrouper {
public:
    explicit RowGrouper(int kind = 0) : kind_(kind) {}
    void Add(std::string name, int64_t id, int64_t size);
    std::vector<RowGroup> Take() { return std::move(groups_); }

private:
    int kind_;
    std::vector<RowGroup> groups_;
};

// Consecutive rows of the same name of `sql`'s result (id, name, size; ordered by name) as one
// group each.
std::vector<RowGroup> RowsByName(SqliteDatabase& db, const std::string& sql);

// What a parser does to one database.
struct DatabaseEdit {
    std::string what;  // for messages: "history", "cookies", "form data", ...
    int kinds = 1;  // doomed tables the removal reads
    // The row groups, read inside the run's transaction.
    std::function<std::vector<RowGroup>(SqliteDatabase&)> find;
    // Removes every row tied to the ids of the doomed tables, inside the same transaction.
    std::function<void(SqliteDatabase&)> remove;
};

// Deletes the rows of `table` whose key `idColumn` is listed in the temporary table `ids`, whose
// ids were all taken from that column in the same transaction. When they are every row (the
// usual clear of a whole history), the table is emptied in one step rather than row by row.
void DeleteListedRows(SqliteDatabase& db, const std::string& table, const std::string& idColumn,
                      const std::string& ids);

enum class DatabaseOutcome {
    Missing,  // no such database
    Done,  // found (and, in a clear run, removed)
    Held,  // the running browser holds it: found where it could be read, nothing changed
    NotChanged,  // damaged, a link, or the change failed: nothing changed
};

// Finds the row groups of the database `path` and, in a clear run of a profile that is not in
// use, removes them in one transaction, then compacts the file (VACUUM) so the removed data is
// gone from it. A database that is held, damaged, a link or refuses the change is left as it
// was, with one "Unknown" trace for the file (or its groups ending "Unknown") and a notice.
DatabaseOutcome EditDatabase(BrowserRun& run, const BrowserProfile& profile, const std::string& path,
                             const DatabaseEdit& edit, bool profileInUse);

// Whether a running browser holds the profile: its lock file is there and cannot be opened (as
// Windows browsers hold "parent.lock" and "lockfile"), or one of `databases` is locked.
bool ProfileInUse(FileSystem& files, const std::string& lockFile, const std::vector<std::string>& databases);

// How one browser family keeps its profiles and shows that it is running.
struct BrowserFamily {
    // The profiles the call's data folder (argument 2) and local folder (argument 3) hold, with a
    // note for each that could not be entered.
    std::vector<BrowserProfile> (*profiles)(FileSystem& files, const std::string& dataFolder,
                                            const std::string& localFolder, std::vector<std::string>& notes);
    // The file the running browser holds open on Windows.
    std::string (*lockFile)(const std::string& dataFolder, const BrowserProfile& profile);
    // The profile's databases the running browser holds everywhere.
    std::vector<std::string> heldDatabases;
};

// One browser call over every profile of `family`: the notes on profiles that were not entered,
// then `each` per profile (told whether the browser holds it, after its notice) until Stop.
PrivacyValuesPtr ForEachProfile(
    CustomizeParse& parser, const ParserArguments& args, SeekContext& ctx, const BrowserFamily& family,
    const std::function<void(BrowserRun& run, const BrowserProfile& profile, bool inUse)>& each);

// One file of a profile: found, and deleted when clearing a profile not in use.
void ClearProfileFile(BrowserRun& run, const std::string& path, bool profileInUse);
// Everything in the folder `folder` (which stays), walked as the engine walks a folder: found,
// and removed when clearing a profile not in use. A folder that is a link is not entered.
void ClearFolderContents(BrowserRun& run, const std::string& folder, bool profileInUse);

// The host of a URL in lower case ("" when it has none), to match pages with their site's icons.
std::string HostOfUrl(std::string_view url);

}  // namespace lumo
