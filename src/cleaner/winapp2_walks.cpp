// The walks of winapp2.ini items. Each trace is added once its handling is over, with the status
// it ended with, so its one log line is its last (a scan says "Keep locked" already of what a
// clear would keep): "Delete" for what is gone, "Keep locked" for
// what stays on purpose (excluded, or a folder or key that still holds something kept), "Unknown"
// for what stays after a failure. Folders are walked a level at a time from a list of their own,
// so no tree is too deep; links are never entered nor written through: a link to a folder that a
// walk meets is removed as itself where folders are removed, and otherwise left with a line in
// the log.
#include "cleaner/winapp2_walks.h"

#include <optional>
#include <utility>

#include "base/text.h"
#include "cleaner/privacy_item.h"
#include "cleaner/step_guard.h"
#include "cleaner/winapp2_paths.h"
#include "platform/file_system.h"
#include "registry/reg_key.h"
#include "registry/registry_access.h"

namespace lumo {

namespace {

// What is left of a folder or key after its walk, worst last.
enum class Left : uint8_t { Nothing, OnPurpose, Failure, Stopped };

Left Worse(Left a, Left b) { return a > b ? a : b; }

void Note(SeekContext& ctx, const std::string& text) {
    if (ctx.log)
        ctx.log->AppendString(ctx.log->DateTimeText() + "--" + text);
}

// The item's exclusions, as the walks use them.
class Exclusions {
public:
    explicit Exclusions(const PrivacyItem& item) {
        if (!item.HoldFlag)
            return;
        for (const std::string& hold : item.HoldSettings) {
            std::vector<std::string> parts = Split(hold, "|");
            std::string kind = UpperCase(parts[0]);
            if (parts.size() < 2)
                continue;
            if (kind == "FILE" || kind == "PATH") {
                bool hasPatterns = parts.size() > 2 && !TrimBlanks(parts[2]).empty();
                if (kind == "PATH" && !hasPatterns)
                    wholeFolders_.emplace_back(parts[1]);
                else
                    files_.push_back(
                        {FolderPattern(parts[1]), NamePatterns(hasPatterns ? parts[2] : "*"), kind == "PATH"});
            } else if (kind == "REG") {
                size_t cut = parts[1].find('\\');
                std::string root = cut == std::string::npos ? parts[1] : parts[1].substr(0, cut);
                std::string path = cut == std::string::npos ? std::string() : parts[1].substr(cut + 1);
                RegRule rule{RegKey::TransRootKey(root), PathKey(path), std::nullopt};
                if (parts.size() > 2)
                    rule.value = UpperCase(hold.substr(parts[0].size() + parts[1].size() + 2));
                registry_.push_back(std::move(rule));
            }
        }
    }

    // The rules that apply to the files of one folder.
    struct InFolder {
        bool whole = false;  // the folder itself is excluded: nothing in it is touched
        std::vector<const NamePatterns*> names;
        bool Excludes(std::string_view name) const {
            if (whole)
                return true;
            for (const NamePatterns* n : names)
                if (n->Matches(name))
                    return true;
            return false;
        }
    };

    InFolder ForFolder(const std::string& folder) const {
        InFolder rules;
        rules.whole = FolderExcluded(folder);
        for (const FileRule& r : files_)
            if (r.below ? r.folder.Covers(folder) : r.folder.Matches(folder))
                rules.names.push_back(&r.names);
        return rules;
    }

    bool FolderExcluded(const std::string& folder) const {
        for (const FolderPattern& f : wholeFolders_)
            if (f.Covers(folder))
                return true;
        return false;
    }

    // The key (root, path) is excluded with everything below it.
    bool KeyExcluded(int32_t root, const std::string& path) const {
        std::string key = PathKey(path);
        for (const RegRule& r : registry_)
            if (!r.value && r.root == root && (key == r.key || StartsWith(key, r.key + "\\")))
                return true;
        return false;
    }

    bool ValueExcluded(int32_t root, const std::string& keyPath, std::string_view valueName) const {
        if (KeyExcluded(root, keyPath))
            return true;
        std::string key = PathKey(keyPath);
        std::string name = UpperCase(valueName);
        for (const RegRule& r : registry_)
            if (r.value && r.root == root && r.key == key && *r.value == name)
                return true;
        return false;
    }

private:
    struct FileRule {
        FolderPattern folder;
        NamePatterns names;
        bool below;  // PATH: in the folder and every folder below it; FILE: in the folder only
    };
    struct RegRule {
        int32_t root;
        std::string key;
        std::optional<std::string> value;
    };
    std::vector<FolderPattern> wholeFolders_;
    std::vector<FileRule> files_;
    std::vector<RegRule> registry_;
};

// What one seek of an item needs at every level.
struct Walk {
    PrivacyItem& item;
    SeekContext& ctx;
    const bool clear;
    Exclusions exclusions;

    Walk(PrivacyItem& item, SeekContext& ctx, bool clear) : item(item), ctx(ctx), clear(clear), exclusions(item) {}

    PrivacyValues& Values() { return *item.Values(); }
    bool Stop() const { return ctx.StopRequested(); }
    void Report(const PrivacyValuePtr& pv) { item.ReportValue(pv); }
};

// The status a folder or key ends with, from what is left of it.
int32_t FinalStatus(Left left) {
    return left == Left::Nothing ? vsDelete : left == Left::OnPurpose ? vsKeepLocked : vsUnknown;
}

// ---- files

class FileWalk {
public:
    FileWalk(Walk& w, const NamePatterns& patterns, FileKeyReach reach) : w_(w), patterns_(patterns), reach_(reach) {}

    // The walk of one folder the item names; false when a stop request ended it.
    bool Run(const std::string& root) {
        std::vector<Level> path;
        path.push_back(Enter(root));
        while (!path.empty()) {
            Level& top = path.back();
            if (top.left == Left::Stopped)
                return false;
            if (top.next < top.subfolders.size()) {
                if (w_.Stop())
                    return false;
                path.push_back(Enter(top.subfolders[top.next++]));
                continue;
            }
            Level done = std::move(top);
            path.pop_back();
            Left left = Finish(done);
            if (left == Left::Stopped)
                return false;
            if (!path.empty())
                path.back().left = Worse(path.back().left, left);
        }
        return true;
    }

private:
    struct Level {
        std::string folder;
        std::vector<std::string> subfolders;
        size_t next = 0;
        Left left = Left::Nothing;
    };

    bool RemovesFolders() const { return reach_ == FileKeyReach::RemoveSelf; }

    // Lists one folder, handles its files and notes the subfolders to walk.
    Level Enter(std::string folder) {
        Level level;
        level.folder = std::move(folder);
        if (!w_.ctx.files->ListFolder(level.folder, entries_)) {
            Note(w_.ctx, "The folder " + level.folder + " could not be listed; nothing in it was sought");
            level.left = Left::Failure;
            return level;
        }
        Exclusions::InFolder rules = w_.exclusions.ForFolder(level.folder);
        for (const FolderEntry& e : entries_) {
            if (e.isFolder)
                continue;
            if (!patterns_.Matches(e.name)) {
                level.left = Worse(level.left, Left::OnPurpose);  // stays, so does its folder
                continue;
            }
            if (w_.Stop()) {
                level.left = Left::Stopped;
                return level;
            }
            level.left = Worse(level.left, File(JoinPath(level.folder, e.name), e.size, rules.Excludes(e.name)));
        }
        if (reach_ != FileKeyReach::Files) {
            for (const FolderEntry& e : entries_) {
                if (!e.isFolder)
                    continue;
                std::string sub = JoinPath(level.folder, e.name);
                if (w_.exclusions.FolderExcluded(sub) || e.isLink) {
                    if (w_.Stop()) {
                        level.left = Left::Stopped;
                        return level;
                    }
                    level.left = Worse(level.left, Untouched(sub, e.isLink, w_.exclusions.FolderExcluded(sub)));
                    continue;
                }
                level.subfolders.push_back(std::move(sub));
            }
        }
        return level;
    }

    // One file: kept when excluded, else found, or removed when clearing.
    Left File(std::string path, int64_t size, bool excluded) {
        Left left = Left::Failure;
        StepGuard([&] {
            int32_t status = excluded ? vsKeepLocked : vsFind;
            if (w_.clear && !excluded) {
                FileResult r = w_.ctx.files->RemoveFile(path);
                status = r == FileResult::Deleted || r == FileResult::NotFound ? vsDelete : vsUnknown;
            }
            w_.Report(w_.Values().AddFile(std::move(path), size, status));
            left = status == vsUnknown ? Left::Failure : status == vsKeepLocked ? Left::OnPurpose : Left::Nothing;
        });
        return left;
    }

    // A subfolder the walk does not enter: an excluded one stays; a link is removed as itself
    // where folders are removed, and otherwise stays with a line saying so.
    Left Untouched(const std::string& sub, bool isLink, bool excluded) {
        if (!RemovesFolders()) {
            if (isLink && !excluded)
                Note(w_.ctx,
                     "The folder " + sub + " is a link (symbolic link, junction or mount point) and was not entered");
            return excluded ? Left::OnPurpose : Left::Nothing;
        }
        Left left = Left::Failure;
        StepGuard([&] {
            int32_t status = excluded ? vsKeepLocked : vsFind;
            if (w_.clear && !excluded) {
                FileResult r = w_.ctx.files->RemoveFolder(sub);
                status = r == FileResult::Deleted || r == FileResult::NotFound ? vsDelete : vsUnknown;
            }
            w_.Report(w_.Values().AddFolder(sub, status));
            left = status == vsUnknown ? Left::Failure : status == vsKeepLocked ? Left::OnPurpose : Left::Nothing;
        });
        return left;
    }

    // After a folder's walk: where folders are removed, it goes when nothing is left in it, and
    // its trace says what became of it.
    Left Finish(const Level& level) {
        if (level.left == Left::Stopped || !RemovesFolders())
            return level.left;
        if (w_.Stop())
            return Left::Stopped;
        Left left = level.left;
        StepGuard([&] {
            int32_t status = left == Left::OnPurpose ? vsKeepLocked : vsFind;
            if (w_.clear) {
                if (left == Left::Nothing) {
                    FileResult r = w_.ctx.files->RemoveFolder(level.folder);
                    if (r != FileResult::Deleted && r != FileResult::NotFound)
                        left = Left::Failure;
                }
                status = FinalStatus(left);
            }
            w_.Report(w_.Values().AddFolder(level.folder, status));
        });
        return left;
    }

    Walk& w_;
    const NamePatterns& patterns_;
    const FileKeyReach reach_;
    std::vector<FolderEntry> entries_;  // one listing at a time, its storage reused
};

// Whether the folder an item names is itself a link: then nothing found there would lie where
// the item says. Read from the listing of the folder above, which reports links as links.
bool NamedFolderIsLink(FileSystem& files, const std::string& folder) {
    std::vector<std::string_view> segments = PathSegments(folder);
    if (segments.size() < 2)
        return false;
    std::string_view name = segments.back();
    std::string parent = folder.substr(0, static_cast<size_t>(name.data() - folder.data()));
    std::vector<FolderEntry> entries;
    if (!files.ListFolder(parent, entries))
        return false;
    // The name as written first; Windows compares names without regard to case.
    const FolderEntry* sameLetters = nullptr;
    for (const FolderEntry& e : entries) {
        if (e.name == name)
            return e.isLink;
        if (!sameLetters && EqualsIgnoreCase(e.name, name))
            sameLetters = &e;
    }
    return sameLetters && sameLetters->isLink;
}

// ---- registry

class KeyWalk {
public:
    explicit KeyWalk(Walk& w) : w_(w) {}

    // The key with everything below it, deepest first; the key's own trace comes last.
    Left Run(RegKey& key) {
        if (w_.exclusions.KeyExcluded(key.RootKey, key.Path))
            return Add([&] { return w_.Values().AddRegKey(key, vsKeepLocked); }, Left::OnPurpose);
        Left left = Left::Nothing;
        if (!StepGuard([&] {
                for (RegKey& sub : key.SubKeys()) {
                    if (w_.Stop()) {
                        left = Left::Stopped;
                        return;
                    }
                    left = Worse(left, Run(sub));
                    if (left == Left::Stopped)
                        return;
                }
                for (RegValue& rv : key.SubValues()) {
                    if (w_.Stop()) {
                        left = Left::Stopped;
                        return;
                    }
                    left = Worse(left, Value(rv));
                }
            }))
            left = Worse(left, Left::Failure);
        if (left == Left::Stopped || w_.Stop())
            return Left::Stopped;
        if (w_.clear && left == Left::Nothing) {
            bool deleted = false;
            StepGuard([&] { deleted = key.DeleteRegKey(false, key.RootKey, key.Path); });
            if (!deleted)
                left = Left::Failure;
        }
        int32_t status = w_.clear ? FinalStatus(left) : left == Left::OnPurpose ? vsKeepLocked : vsFind;
        return Add([&] { return w_.Values().AddRegKey(key, status); }, left);
    }

    Left Value(RegValue& rv) {
        bool excluded = w_.exclusions.ValueExcluded(rv.RootKey, rv.KeyPath, rv.ValueName);
        Left left = excluded ? Left::OnPurpose : Left::Nothing;
        if (w_.clear && !excluded) {
            bool deleted = false;
            StepGuard([&] { deleted = rv.Delete(); });
            if (!deleted)
                left = Left::Failure;
        }
        int32_t status = excluded ? vsKeepLocked : w_.clear ? FinalStatus(left) : vsFind;
        return Add([&] { return w_.Values().AddRegValue(rv, status); }, left);
    }

private:
    // Adds and reports a trace; a trace that cannot be added counts as what is left.
    template <class Adder>
    Left Add(Adder&& add, Left left) {
        if (!StepGuard([&] { w_.Report(add()); }))
            return Worse(left, Left::Failure);
        return left;
    }

    Walk& w_;
};

bool KeyExists(RegistryApi& api, int32_t root, const std::string& path) {
    registry_access::KeyHandle key(api);
    return api.OpenKey(RootHandle(root), path, keyQueryValue, key.Out()) == regOk;
}

}  // namespace

bool FileKeyReachFromWord(std::string_view word, FileKeyReach& reach) {
    std::string w = UpperCase(TrimBlanks(word));
    if (w.empty())
        reach = FileKeyReach::Files;
    else if (w == "RECURSE")
        reach = FileKeyReach::Recurse;
    else if (w == "REMOVESELF")
        reach = FileKeyReach::RemoveSelf;
    else
        return false;
    return true;
}

const char* FileKeyReachWord(FileKeyReach reach) {
    switch (reach) {
    case FileKeyReach::Recurse:
        return "RECURSE";
    case FileKeyReach::RemoveSelf:
        return "REMOVESELF";
    default:
        return "";
    }
}

void ProtectedFolders::Add(std::string_view folder, FileKeyReach from, std::string what) {
    if (!TrimBlanks(folder).empty())
        folders_.push_back({PathKey(folder), from, std::move(what)});
}

std::string ProtectedFolders::Refusal(std::string_view folder, FileKeyReach reach) const {
    if (IsDriveRoot(folder))
        return "a drive root";
    std::string key = PathKey(folder);
    for (const Entry& e : folders_)
        if (e.key == key && reach >= e.from)
            return e.what;
    return {};
}

bool IsDriveRoot(std::string_view path) {
    std::vector<std::string_view> segments = PathSegments(path);
    bool rooted = !path.empty() && (path[0] == '\\' || path[0] == '/');
    if (segments.empty())
        return rooted;  // "\" or "/"
    bool network = path.size() > 1 && rooted && (path[1] == '\\' || path[1] == '/');
    if (network)
        return segments.size() <= 2;
    return !rooted && segments.size() == 1 && segments[0].size() == 2 && segments[0][1] == ':';
}

void SeekWinapp2Files(PrivacyItem& item, SeekContext& ctx, bool bClearValue) {
    FileKeyReach reach;
    if (!ctx.files || !item.Values() || !FileKeyReachFromWord(item.SeekSetting(3), reach))
        return;
    Walk w(item, ctx, bClearValue);
    NamePatterns patterns(item.SeekSetting(2));
    auto onLink = [&ctx](const std::string& link) {
        Note(ctx, "The folder " + link + " is a link (symbolic link, junction or mount point) and was not entered");
    };
    for (const std::string& folder : ExpandWildcardPath(*ctx.files, item.SeekSetting(1), false, onLink)) {
        if (w.Stop())
            return;
        std::string refusal = ctx.protectedFolders ? ctx.protectedFolders->Refusal(folder, reach)
                                                   : (IsDriveRoot(folder) ? "a drive root" : "");
        if (!refusal.empty()) {
            Note(ctx, "The folder " + folder + " was not sought: it is " + refusal + ", which no entry may clean");
            continue;
        }
        if (NamedFolderIsLink(*ctx.files, folder)) {
            onLink(folder);
            continue;
        }
        if (!FileWalk(w, patterns, reach).Run(folder))
            return;
    }
}

void SeekWinapp2Registry(PrivacyItem& item, SeekContext& ctx, bool bClearValue) {
    if (!ctx.registry || !item.Values())
        return;
    int32_t root = RegKey::TransRootKey(item.SeekSetting(1));
    const std::string& path = item.SeekSetting(2);
    // A key path is needed: an empty one would stand for the whole root.
    if (root == 0 || TrimBlanks(path).empty() || !KeyExists(*ctx.registry, root, path))
        return;
    Walk w(item, ctx, bClearValue);
    RegKey key(*ctx.registry, root, path);
    if (!item.HasSeekSetting(3)) {
        KeyWalk(w).Run(key);
        return;
    }
    StepGuard([&] {
        for (RegValue& rv : key.SubValues())
            if (EqualsIgnoreCase(rv.ValueName, item.SeekSetting(3))) {
                if (!w.Stop())
                    KeyWalk(w).Value(rv);
                return;
            }
    });
}

}  // namespace lumo
