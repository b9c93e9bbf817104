// Clearing the databases, files and folders of browser profiles.
#include "cleaner/browser_database.h"

#include <exception>
#include <functional>

#include "base/text.h"
#include "cleaner/browser_profiles.h"
#include "cleaner/file_clearing.h"
#include "cleaner/item_processing.h"
#include "cleaner/privacy_item.h"
#include "cleaner/seek_context.h"
#include "cleaner/sqlite_database.h"
#include "platform/file_system.h"

namespace lumo {

namespace {

// How long an edit waits for a lock the browser holds: a running browser holds it for good, so
// a longer wait would only slow every run while a browser is open.
constexpr int kBusyMilliseconds = 100;

const std::string kSomeBrowser = "the browser";

int32_t FoundStatus(const BrowserRun& run, bool profileInUse) {
    return !run.Clear() ? vsFind : profileInUse ? vsUnknown : vsDelete;
}

// The database file itself as one trace, when nothing in it can be read or changed.
void DatabaseFileTrace(BrowserRun& run, const std::string& path) {
    PrivacyValuePtr pv = run.result->AddFile(path, run.Files().FileSize(path).value_or(0), vsUnknown);
    run.Report(pv);
}

std::string DoomedTable(int kind) { return "temp.lumo_doomed" + std::to_string(kind); }

void FillDoomed(SqliteDatabase& db, int kinds, const std::vector<RowGroup>& groups, size_t reported) {
    for (int kind = 0; kind < kinds; ++kind)
        db.Exec("CREATE TEMP TABLE IF NOT EXISTS lumo_doomed" + std::to_string(kind) + "(id INTEGER PRIMARY KEY)");
    std::vector<SqliteStatement> inserts;
    for (int kind = 0; kind < kinds; ++kind)
        inserts.push_back(db.Prepare("INSERT OR IGNORE INTO " + DoomedTable(kind) + "(id) VALUES (?1)"));
    for (size_t i = 0; i < reported; ++i) {
        const RowGroup& g = groups[i];
        SqliteStatement& insert = inserts.at(static_cast<size_t>(g.kind));
        for (int64_t id : g.ids) {
            insert.Bind(1, id);
            insert.Step();
            insert.Reset();
        }
    }
}

// After a commit: the freed pages rebuilt away, and a write-ahead log emptied, so nothing of
// the removed rows stays in the files. secure_delete has already overwritten them in place, so
// a failure here leaves no removed data readable; the user is told all the same.
void Compact(BrowserRun& run, SqliteDatabase& db, const std::string& path) {
    try {
        db.Exec("VACUUM");
        if (LowerCase(db.QueryText("PRAGMA main.journal_mode")) == "wal")
            db.Exec("PRAGMA main.wal_checkpoint(TRUNCATE)");
    } catch (const DatabaseError& e) {
        run.Notice("The database " + path + " was cleared but could not be compacted (" + e.what() +
                   "); the removed data was overwritten in place");
    }
}

// The companions SQLite writes beside a database: none of them may be a link either.
bool AnyLink(FileSystem& files, const std::string& path) {
    for (const char* suffix : {"", "-wal", "-journal", "-shm"})
        if (files.IsLink(path + suffix))
            return true;
    return false;
}

}  // namespace

BrowserRun::BrowserRun(CustomizeParse& parser, const ParserArguments& args, SeekContext& ctx)
    : result(std::make_shared<PrivacyValues>(ctx.log)),
      parser_(parser),
      args_(args),
      ctx_(ctx),
      files_(*ctx.files),
      browser_(args.item && !args.item->Software.empty() ? args.item->Software : kSomeBrowser) {}

bool BrowserRun::Stop() const { return ctx_.StopRequested(); }

void BrowserRun::Report(const PrivacyValuePtr& pv) {
    if (args_.item)
        parser_.AppendValue(*args_.item, pv);
}

void BrowserRun::Notice(const std::string& text) {
    if (noticed_.insert(text).second)
        result->AddNotice(text);
}

void BrowserRun::NoticeInUse(const BrowserProfile& profile) {
    if (Clear())
        Notice(browser_ + " is running with the profile " + profile.name + " (" + profile.folder +
               "), which was not changed: close " + browser_ + " and clear again");
    else
        Notice(browser_ + " is running with the profile " + profile.name + " (" + profile.folder + "): close " +
               browser_ + " before clearing it");
}

void RowGrouper::Add(std::string name, int64_t id, int64_t size) {
    if (groups_.empty() || groups_.back().name != name) {
        groups_.push_back({std::move(name), 0, kind_, {}});
    }
    groups_.back().ids.push_back(id);
    groups_.back().size += size;
}

DatabaseOutcome EditDatabase(BrowserRun& run, const BrowserProfile& profile, const std::string& path,
                             const DatabaseEdit& edit, bool profileInUse) {
    FileSystem& files = run.Files();
    if (run.Stop() || !files.FileExists(path))
        return DatabaseOutcome::Missing;
    if (AnyLink(files, path)) {
        DatabaseFileTrace(run, path);
        run.Notice("The database " + path +
                   " or a file beside it is a link (symbolic link, junction or mount point); it was not opened");
        return DatabaseOutcome::NotChanged;
    }
    std::vector<PrivacyValuePtr> found;
    try {
        SqliteDatabase db(path, kBusyMilliseconds);
        bool write = run.Clear() && !profileInUse;
        if (write) {
            try {
                db.BeginWrite();
            } catch (const DatabaseError& e) {
                if (e.Failure() != DatabaseFailure::InUse)
                    throw;
                // Held by a program the profile check did not see: read what it allows.
                write = false;
                profileInUse = true;
                run.NoticeInUse(profile);
                db.BeginRead();
            }
        } else {
            db.BeginRead();
        }
        // A damaged database is neither counted nor changed, in a Show as in a Clear.
        if (std::string check = db.QuickCheck(); check != "ok")
            throw DatabaseError::Damaged(check);
        std::vector<RowGroup> groups = edit.find(db);
        int32_t status = FoundStatus(run, profileInUse);
        for (const RowGroup& g : groups) {
            if (run.Stop())
                break;
            PrivacyValue pv;
            pv.Path = path + ":" + g.name;
            pv.ValueName = g.name;
            pv.Value = g.name;
            pv.Size = g.size;
            pv.ValueType = 7;  // an entry of a file, as INI entries are
            found.push_back(run.result->AddTrace(std::move(pv), status));
            run.Report(found.back());
        }
        if (!write || found.empty()) {
            db.Rollback();
            return profileInUse ? DatabaseOutcome::Held : DatabaseOutcome::Done;
        }
        try {
            db.Exec("PRAGMA secure_delete = ON");
            FillDoomed(db, edit.kinds, groups, found.size());
            edit.remove(db);
            db.Commit();
        } catch (const std::exception& e) {
            db.Rollback();
            for (const PrivacyValuePtr& pv : found)
                run.result->Settle(*pv, vsUnknown);
            run.Notice("The " + edit.what + " database " + path + " could not be changed (" + e.what() +
                       "); nothing was removed from it");
            return DatabaseOutcome::NotChanged;
        }
        Compact(run, db, path);
        return DatabaseOutcome::Done;
    } catch (const DatabaseError& e) {
        // Nothing was changed: a failed open or read happens before any change, and a failed
        // change was rolled back above.
        for (const PrivacyValuePtr& pv : found)
            if (run.Clear() && pv->ValueStatus != vsUnknown)
                run.result->Settle(*pv, vsUnknown);
        if (found.empty())
            DatabaseFileTrace(run, path);
        switch (e.Failure()) {
        case DatabaseFailure::InUse:
            run.NoticeInUse(profile);
            return DatabaseOutcome::Held;
        case DatabaseFailure::Damaged:
            run.Notice("The " + edit.what + " database " + path + " is damaged or not a database (" + e.what() +
                       "); nothing in it was changed");
            break;
        default:
            run.Notice("The " + edit.what + " database " + path + " could not be " +
                       (run.Clear() ? "cleared" : "read") + " (" + e.what() + "); nothing in it was changed");
            break;
        }
        return DatabaseOutcome::NotChanged;
    }
}

void DeleteListedRows(SqliteDatabase& db, const std::string& table, const std::string& idColumn,
                      const std::string& ids) {
    if (db.QueryInt("SELECT (SELECT count(*) FROM " + table + ") = (SELECT count(*) FROM " + ids + ")"))
        db.Exec("DELETE FROM " + table);
    else
        db.Exec("DELETE FROM " + table + " WHERE " + idColumn + " IN (SELECT id FROM " + ids + ")");
}

std::vector<RowGroup> RowsByName(SqliteDatabase& db, const std::string& sql) {
    RowGrouper grouper;
    SqliteStatement s = db.Prepare(sql);
    while (s.Step())
        grouper.Add(s.Text(1), s.Int(0), s.Int(2));
    return grouper.Take();
}

PrivacyValuesPtr ForEachProfile(
    CustomizeParse& parser, const ParserArguments& args, SeekContext& ctx, const BrowserFamily& family,
    const std::function<void(BrowserRun& run, const BrowserProfile& profile, bool inUse)>& each) {
    BrowserRun run(parser, args, ctx);
    if (!ctx.files)
        return run.result;
    FileSystem& files = *ctx.files;
    const std::string& dataFolder = args.Element(2);
    std::vector<std::string> notes;
    std::vector<BrowserProfile> profiles = family.profiles(files, dataFolder, args.Element(3), notes);
    for (const std::string& note : notes)
        run.Notice(note);
    for (const BrowserProfile& profile : profiles) {
        if (run.Stop())
            break;
        std::vector<std::string> held;
        for (const std::string& name : family.heldDatabases)
            held.push_back(JoinPath(profile.folder, name));
        bool inUse = ProfileInUse(files, family.lockFile(dataFolder, profile), held);
        if (inUse)
            run.NoticeInUse(profile);
        each(run, profile, inUse);
    }
    return run.result;
}

bool ProfileInUse(FileSystem& files, const std::string& lockFile, const std::vector<std::string>& databases) {
    // Opening for appending writes nothing; it fails only while another program holds the file.
    if (!lockFile.empty() && files.FileExists(lockFile) && !files.IsLink(lockFile) &&
        !files.OpenForWrite(lockFile, WriteMode::Append))
        return true;
    for (const std::string& path : databases) {
        if (!files.FileExists(path) || AnyLink(files, path))
            continue;
        try {
            SqliteDatabase db(path, kBusyMilliseconds);
            db.BeginWrite();
            db.Rollback();
        } catch (const DatabaseError& e) {
            if (e.Failure() == DatabaseFailure::InUse)
                return true;
        }
    }
    return false;
}

void ClearProfileFile(BrowserRun& run, const std::string& path, bool profileInUse) {
    FileSystem& files = run.Files();
    if (run.Stop() || !files.FileExists(path))
        return;
    PrivacyValuePtr pv;
    try {
        pv = run.result->AddFile(files, path, FoundStatus(run, profileInUse) == vsUnknown ? vsUnknown : vsFind);
    } catch (const std::exception&) {
        return;  // gone meanwhile
    }
    if (run.Clear() && !profileInUse) {
        if (DeleteFileOrFill(files, path, false, 1) == 0)
            pv->ValueStatus = vsDelete;
        else
            run.result->Settle(*pv, vsUnknown);  // the file stays: its last line says so
    }
    run.Report(pv);
}

void ClearFolderContents(BrowserRun& run, const std::string& folder, bool profileInUse) {
    FileSystem& files = run.Files();
    if (run.Stop() || !files.FolderExists(folder))
        return;
    if (files.IsLink(folder)) {
        run.Notice("The folder " + folder + " is a link (symbolic link, junction or mount point) and was not entered");
        return;
    }
    bool held = run.Clear() && profileInUse;
    // What a running browser holds is listed as a Show lists it, each trace then settled
    // "Unknown", so its last line says it stays.
    std::function<void(const PrivacyValuePtr&)> report = [&run, held](const PrivacyValuePtr& pv) {
        if (held)
            run.result->Settle(*pv, vsUnknown);
        run.Report(pv);
    };
    WalkFolderWithoutHolds(*run.result, report, run.Context(), folder, run.Clear() && !profileInUse);
}

std::string HostOfUrl(std::string_view url) {
    size_t scheme = url.find("://");
    if (scheme == std::string_view::npos)
        return {};
    std::string_view rest = url.substr(scheme + 3);
    rest = rest.substr(0, rest.find_first_of("/?#"));
    size_t at = rest.rfind('@');
    if (at != std::string_view::npos)
        rest.remove_prefix(at + 1);
    return LowerCase(rest);
}

}  // namespace lumo
