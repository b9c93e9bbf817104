// The seek-and-clear engine behind PrivacyItem::GetPrivacyValue: one routine per item type, the
// folder and registry-key walks, all finding and (when clearing) removing trace by trace.
//
// Failures are handled in one place per step: each trace's handling runs inside StepGuard, so a
// failing step is skipped and the walk goes on. A removal that fails is never left looking like
// success, and the last log line naming a path is true: a trace whose handling ends otherwise
// than its first line says (a file not removed or overwritten instead, a subfolder that stays,
// an entry that keeps its value) gets its final status and one more line. A folder walk never
// ends silently either: a folder it cannot list and a named folder that is a link get a line.
#include "cleaner/item_processing.h"

#include <exception>
#include <functional>
#include <optional>
#include <string>
#include <unordered_map>
#include <utility>
#include <vector>

#include "base/registry_error.h"
#include "base/text.h"
#include "cleaner/customize_parse.h"
#include "cleaner/file_clearing.h"
#include "cleaner/privacy_item.h"
#include "cleaner/wildcard.h"
#include "cleaner/winapp2_walks.h"
#include "platform/ansi.h"
#include "platform/file_system.h"
#include "platform/profile_api.h"
#include "registry/reg_key.h"
#include "registry/reg_value.h"

namespace lumo {

namespace {

// Locked files of this name are overwritten instead; the name is ASCII, so comparing ASCII letters
// without regard to case is exact (and costs no allocation per file).
bool IsIndexDat(std::string_view name) {
    static constexpr std::string_view kName = "index.dat";
    if (name.size() != kName.size())
        return false;
    for (size_t i = 0; i < name.size(); ++i) {
        char c = name[i];
        if (c >= 'A' && c <= 'Z')
            c = static_cast<char>(c - 'A' + 'a');
        if (c != kName[i])
            return false;
    }
    return true;
}

// What is left of a folder after its walk, worst last: a failure outweighs what stays on
// purpose, and a stop request ends everything.
enum class Left : uint8_t { Nothing, OnPurpose, Failure, Stopped };

Left Worse(Left a, Left b) { return a > b ? a : b; }

// What one seek needs at every level of its walks.
class Walk {
public:
    Walk(PrivacyItem& item, SeekContext& ctx, bool clear)
        : values(*item.Values()), ctx(ctx), clear(clear), item_(&item) {
        if (item.HoldFlag)
            for (const std::string& hold : item.HoldSettings)
                holds_.push_back(UpperCase(hold));
    }
    // A walk without hold settings and without overwriting, its traces handed to `report`.
    Walk(PrivacyValues& values, const std::function<void(const PrivacyValuePtr&)>& report, SeekContext& ctx, bool clear)
        : values(values), ctx(ctx), clear(clear), fillIndexDat(false), report_(&report) {}

    PrivacyValues& values;
    SeekContext& ctx;
    const bool clear;
    const bool fillIndexDat = true;
    std::vector<FolderEntry> entries;  // one listing at a time, reused from folder to folder

    bool Stop() const { return ctx.StopRequested(); }
    void Report(const PrivacyValuePtr& pv) {
        if (item_)
            item_->ReportValue(pv);
        else
            (*report_)(pv);
    }

    bool IsHeld(std::string_view path) const {
        if (holds_.empty())
            return false;
        std::string upper = UpperCase(path);
        for (const std::string& hold : holds_)
            if (hold == upper)
                return true;
        return false;
    }

    // A free line of the activity log, stamped as the registry walk stamps its failures.
    void Note(const std::string& text) {
        if (ctx.log)
            ctx.log->AppendString(ctx.log->DateTimeText() + "--" + text);
    }

    // The folder an item names is never entered when it is itself a link: everything the walk
    // then found and removed would lie elsewhere. True (and a line in the log) for such a folder.
    bool NamedFolderIsLink(const std::string& folder) {
        if (!ctx.files->IsLink(folder))
            return false;
        Note("The folder " + folder + " is a link (symbolic link, junction or mount point) and was not entered");
        return true;
    }

    // A listing; one that fails is written to the log, so a walk never ends silently.
    bool List(const std::string& folder, std::vector<FolderEntry>& into) {
        if (ctx.files->ListFolder(folder, into))
            return true;
        Note("The folder " + folder + " could not be listed; nothing in it was sought");
        return false;
    }

    // One file: the hold check, the trace, the deletion or overwriting, the report. Says what is
    // left of it: nothing, the file kept on purpose (held, or overwritten in place), or the file
    // after a failure.
    Left HandleFile(std::string path, int64_t size) {
        bool held = IsHeld(path);
        PrivacyValuePtr pv = values.AddFile(std::move(path), size, held ? vsKeepLocked : vsFind);
        Left left = held ? Left::OnPurpose : Left::Nothing;
        if (clear && !held) {
            bool fill = fillIndexDat && IsIndexDat(pv->ValueName);
            int16_t result = DeleteFileOrFill(*ctx.files, pv->Path, fill, ctx.securityFillTimes);
            if (result == 0) {
                pv->ValueStatus = vsDelete;
            } else {
                values.Settle(*pv, result == 1 ? vsFillBlank : vsUnknown);
                left = result == 1 ? Left::OnPurpose : Left::Failure;
            }
        }
        Report(pv);
        return left;
    }

    // The registry functions return their codes instead of setting the thread's last error, so
    // the code that ends the line is the one the failing registry call returned.
    void RegistryFailure(const RegistryError& e) {
        if (!ctx.log)
            return;
        ctx.log->AppendString(ctx.log->DateTimeText() + "--" + std::to_string(e.Number) + "," + e.Source +
                              "(GetRegKeyAllSub)," + e.Description + "," + std::to_string(e.SystemError));
    }

private:
    PrivacyItem* item_ = nullptr;
    const std::function<void(const PrivacyValuePtr&)>* report_ = nullptr;
    std::vector<std::string> holds_;
};

// Runs one step; a failure skips it. Returns false when the step failed.
template <class Step>
bool StepGuard(Step&& step) {
    try {
        step();
        return true;
    } catch (const std::exception&) {
        return false;
    }
}

// One folder of a walk: its trace (none for the folder the walk starts in), the subfolders its
// listing gave and how far the walk is through them, and what is left of it so far.
struct Level {
    std::string folder;
    PrivacyValuePtr trace;
    struct Subfolder {
        PrivacyValuePtr trace;
        bool isLink;
    };
    std::vector<Subfolder> subfolders;
    size_t next = 0;
    Left left = Left::Nothing;
};

// Lists one folder and runs its first two passes: a trace for every subfolder, then every file
// handled.
Level Enter(Walk& w, std::string folder, PrivacyValuePtr trace) {
    Level level;
    level.folder = std::move(folder);
    level.trace = std::move(trace);
    if (!w.List(level.folder, w.entries)) {
        level.left = Left::Failure;
        return level;
    }
    for (const FolderEntry& e : w.entries) {
        if (!e.isFolder)
            continue;
        if (w.Stop()) {
            level.left = Left::Stopped;
            return level;
        }
        bool added = StepGuard([&] {
            PrivacyValuePtr pv = w.values.AddFolder(JoinPath(level.folder, e.name), w.clear ? vsDelete : vsFind);
            level.subfolders.push_back({pv, e.isLink});
            w.Report(pv);
        });
        if (!added)
            level.left = Left::Failure;
    }
    for (const FolderEntry& e : w.entries) {
        if (e.isFolder)
            continue;
        if (w.Stop()) {
            level.left = Left::Stopped;
            return level;
        }
        Left file = Left::Failure;
        StepGuard([&] { file = w.HandleFile(JoinPath(level.folder, e.name), e.size); });
        level.left = Worse(level.left, file);
    }
    return level;
}

// After the walk of a subfolder: when clearing, an emptied subfolder is removed; one that stays
// gets a last line saying why ("Keep locked" for what stays on purpose, "Unknown" otherwise).
void Finish(Walk& w, Level& parent, const PrivacyValuePtr& trace, Left left) {
    if (left == Left::Stopped) {
        parent.left = Left::Stopped;
        return;
    }
    if (!w.clear)
        return;
    if (left == Left::Nothing) {
        bool removed = false;
        StepGuard([&] {
            FileResult r = w.ctx.files->RemoveFolder(trace->Path);
            removed = r == FileResult::Deleted || r == FileResult::NotFound;
        });
        if (removed)
            return;
        left = Left::Failure;
    }
    w.values.Settle(*trace, left == Left::OnPurpose ? vsKeepLocked : vsUnknown);
    parent.left = Worse(parent.left, left);
}

// The three passes at every level below `root`, depth first. The levels the walk is in are kept
// in a list of its own rather than on the call stack: a tree of any depth is walked.
Left FolderWalk(Walk& w, const std::string& root) {
    std::vector<Level> path;
    path.push_back(Enter(w, root, nullptr));
    for (;;) {
        Level& top = path.back();
        if (top.left != Left::Stopped && top.next < top.subfolders.size()) {
            if (w.Stop()) {
                top.left = Left::Stopped;
                continue;
            }
            Level::Subfolder sub = top.subfolders[top.next++];
            if (sub.isLink)
                Finish(w, top, sub.trace, Left::Nothing);  // never entered: removing it removes the link
            else
                path.push_back(Enter(w, sub.trace->Path, sub.trace));
            continue;
        }
        Level done = std::move(top);
        path.pop_back();
        if (path.empty())
            return done.left;
        Finish(w, path.back(), done.trace, done.left);
    }
}

// The walk of the folder an item names.
Left NamedFolderWalk(Walk& w, const std::string& folder) {
    return w.NamedFolderIsLink(folder) ? Left::OnPurpose : FolderWalk(w, folder);
}

void RegKeyWalk(Walk& w, RegKey& key) {
    auto guard = [&w](auto&& step) {
        try {
            step();
            return true;
        } catch (const RegistryError& e) {
            w.RegistryFailure(e);
        } catch (const std::exception&) {
        }
        return false;
    };

    std::vector<std::pair<RegKey*, PrivacyValuePtr>> subkeys;
    guard([&] {
        for (RegKey& sub : key.SubKeys()) {
            if (w.Stop())
                return;
            guard([&] {
                PrivacyValuePtr pv = w.values.AddRegKey(sub, w.clear ? vsDelete : vsFind);
                subkeys.emplace_back(&sub, pv);
                w.Report(pv);
            });
        }
    });
    if (w.Stop())
        return;

    guard([&] {
        for (RegValue& rv : key.SubValues()) {
            if (w.Stop())
                return;
            guard([&] {
                bool held = w.IsHeld(rv.KeyPath + "\\" + rv.ValueName);
                PrivacyValuePtr pv = w.values.AddRegValue(rv, held ? vsKeepLocked : vsFind);
                if (w.clear && !held) {
                    bool deleted = false;
                    guard([&] { deleted = rv.Delete(); });
                    if (deleted)
                        pv->ValueStatus = vsDelete;
                    else
                        w.values.Settle(*pv, vsUnknown);
                }
                w.Report(pv);
            });
        }
    });
    if (w.Stop())
        return;

    for (auto& subkey : subkeys) {
        if (w.Stop())
            return;
        RegKey& sub = *subkey.first;
        RegKeyWalk(w, sub);
        if (!w.clear)
            continue;
        bool deleted = false;
        guard([&] { deleted = sub.DeleteRegKey(true, sub.RootKey, sub.Path); });
        if (!deleted)
            w.values.Settle(*subkey.second, vsUnknown);
    }
}

// The values of one key (all, or those whose names match `pattern`), each added, reported and,
// when clearing, deleted. False when the stop request ended it.
bool ValuesOfKey(Walk& w, RegKey& key, const std::optional<WildcardPattern>& pattern) {
    for (RegValue& rv : key.SubValues()) {
        if (pattern && !pattern->Matches(rv.ValueName))
            continue;
        if (w.Stop())
            return false;
        StepGuard([&] {
            PrivacyValuePtr pv = w.values.AddRegValue(rv, w.clear ? vsDelete : vsFind);
            w.Report(pv);
            if (w.clear) {
                bool deleted = false;
                StepGuard([&] { deleted = rv.Delete(); });
                if (!deleted)
                    w.values.Settle(*pv, vsUnknown);
            }
        });
    }
    return true;
}

void SeekRegValue(Walk& w, const PrivacyItem& item) {
    if (!w.ctx.registry)
        return;
    RegKey key(*w.ctx.registry, RegKey::TransRootKey(item.SeekSetting(1)), item.SeekSetting(2));
    std::optional<WildcardPattern> pattern;
    if (item.HasSeekSetting(3))
        pattern.emplace(item.SeekSetting(3));
    ValuesOfKey(w, key, pattern);
}

void SeekRegKey(Walk& w, const PrivacyItem& item) {
    if (!w.ctx.registry)
        return;
    RegKey key(*w.ctx.registry, RegKey::TransRootKey(item.SeekSetting(1)), item.SeekSetting(2));
    RegKeyWalk(w, key);
}

void SeekRegSubKeyValue(Walk& w, const PrivacyItem& item) {
    // Without a subkey pattern there is nothing to match.
    if (!w.ctx.registry || !item.HasSeekSetting(3))
        return;
    RegKey key(*w.ctx.registry, RegKey::TransRootKey(item.SeekSetting(1)), item.SeekSetting(2));
    WildcardPattern subKeyPattern(item.SeekSetting(3));
    for (RegKey& sub : key.EnumSubKeys(key.RootKey, key.Path)) {
        if (!subKeyPattern.Matches(sub.Name))
            continue;
        if (w.Stop())
            return;
        StepGuard([&] { ValuesOfKey(w, sub, std::nullopt); });
    }
}

void SeekFile(Walk& w, const PrivacyItem& item) {
    FileSystem& files = *w.ctx.files;
    const std::string& where = item.SeekSetting(1);
    if (files.FolderExists(where)) {
        std::vector<FolderEntry> entries;
        if (w.NamedFolderIsLink(where) || !w.List(where, entries))
            return;
        std::optional<WildcardPattern> pattern;
        if (item.HasSeekSetting(2))
            pattern.emplace(item.SeekSetting(2));
        for (FolderEntry& e : entries) {
            if (e.isFolder || (pattern && !pattern->Matches(e.name)))
                continue;
            if (w.Stop())
                return;
            StepGuard([&] { w.HandleFile(JoinPath(where, e.name), e.size); });
        }
    } else if (files.FileExists(where)) {
        std::optional<int64_t> size = files.FileSize(where);
        if (size)
            w.HandleFile(where, *size);
    }
}

void SeekFolder(Walk& w, const PrivacyItem& item) {
    const std::string& folder = item.SeekSetting(1);
    if (w.ctx.files->FolderExists(folder))
        NamedFolderWalk(w, folder);
}

// The entries of one INI section, in file order, as the system reads them.
std::vector<std::string> SectionEntries(ProfileApi& profiles, const std::string& section, const std::string& file) {
    std::vector<char> buffer(1000);
    uint32_t count = 0;
    for (;;) {
        count = profiles.GetSection(section, buffer.data(), static_cast<uint32_t>(buffer.size()), file);
        if (count != buffer.size() - 2)
            break;
        buffer.resize(buffer.size() * 5);
    }
    if (count < 3)
        return {};
    return Split(FromAnsi(std::string_view(buffer.data(), count - 1)), std::string_view("\0", 1));
}

// The key name and value text of an entry; none for an entry without "=".
std::optional<std::pair<std::string_view, std::string_view>> KeyAndValue(std::string_view entry) {
    size_t eq = entry.find('=');
    if (eq == std::string_view::npos)
        return std::nullopt;
    return std::make_pair(entry.substr(0, eq), entry.substr(eq + 1));
}

bool IsFilled(std::string_view value) { return !value.empty() && value != "\"\""; }

void SeekIniFileItem(Walk& w, const PrivacyItem& item) {
    const std::string& file = item.SeekSetting(1);
    if (!w.ctx.profiles || !w.ctx.files->FileExists(file))
        return;
    std::string section = ToAnsi(item.SeekSetting(2));
    std::optional<WildcardPattern> pattern;
    if (item.HasSeekSetting(3))
        pattern.emplace(item.SeekSetting(3));
    // Emptying a key reaches only its first entry in the section; a later entry of the same
    // name keeps its value, and is looked at again once the section is done.
    struct Repeated {
        PrivacyValuePtr trace;
        std::string name;  // upper case
        size_t occurrence;
    };
    std::vector<Repeated> repeated;
    std::unordered_map<std::string, size_t> seen;
    for (const std::string& entry : SectionEntries(*w.ctx.profiles, section, file)) {
        auto kv = KeyAndValue(entry);
        if (!kv || kv->first.empty())
            continue;
        std::string_view key = kv->first, value = kv->second;
        size_t occurrence = seen[UpperCase(key)]++;
        if (!IsFilled(value) || (pattern && !pattern->Matches(key)))
            continue;
        if (w.Stop())
            return;
        StepGuard([&] {
            PrivacyValuePtr pv = w.values.AddIniFileItem(file, key, value, w.clear ? vsDelete : vsFind);
            w.Report(pv);
            if (!w.clear)
                return;
            bool written = false;
            StepGuard([&] { written = w.ctx.profiles->WriteString(section, ToAnsi(pv->ValueName), "", file); });
            if (!written)
                w.values.Settle(*pv, vsUnknown);
            else if (occurrence > 0)
                repeated.push_back({pv, UpperCase(pv->ValueName), occurrence});
        });
    }
    if (repeated.empty())
        return;
    // Each repeated entry that still holds a value after the clear gets its true last line.
    std::unordered_map<std::string, std::vector<std::string>> valuesByName;
    for (const std::string& entry : SectionEntries(*w.ctx.profiles, section, file))
        if (auto kv = KeyAndValue(entry); kv && !kv->first.empty())
            valuesByName[UpperCase(kv->first)].emplace_back(kv->second);
    for (const Repeated& r : repeated) {
        const std::vector<std::string>& now = valuesByName[r.name];
        if (r.occurrence < now.size() && IsFilled(now[r.occurrence]))
            w.values.Settle(*r.trace, vsUnknown);
    }
}

void SeekCustomize(Walk& w, PrivacyItem& item) {
    if (!w.ctx.parser)
        return;
    ParserArguments args;
    args.item = &item;
    args.clearValue = w.clear;
    for (size_t i = 2; i <= item.SeekSettings.size(); ++i)
        args.settings.push_back(item.SeekSetting(i));
    // Only this item's traces are forwarded: an item that called the parser earlier stays
    // subscribed, and must not repeat another item's traces as its own.
    item.cpEvent = w.ctx.parser->AppendValue.Subscribe([&item](PrivacyItem& pi, const PrivacyValuePtr& pv) {
        if (&pi == &item)
            item.AppendValue(pi, pv);
    });
    PrivacyValuesPtr found = w.ctx.parser->CallParser(item.SeekSetting(1), args, w.ctx);
    if (found)
        item.ReplaceValues(std::move(found));
}

}  // namespace

void GetFolderAllSub(PrivacyItem& item, SeekContext& ctx, const std::string& folder, bool bClearValue) {
    if (!ctx.files || !item.Values())
        return;
    Walk w(item, ctx, bClearValue);
    NamedFolderWalk(w, folder);
}

bool WalkFolderWithoutHolds(PrivacyValues& values, const std::function<void(const PrivacyValuePtr&)>& report,
                            SeekContext& ctx, const std::string& folder, bool bClearValue) {
    if (!ctx.files)
        return false;
    Walk w(values, report, ctx, bClearValue);
    return NamedFolderWalk(w, folder) == Left::Nothing && bClearValue;
}

void GetRegKeyAllSub(PrivacyItem& item, SeekContext& ctx, RegKey& key, bool bClearValue) {
    if (!item.Values())
        return;
    Walk w(item, ctx, bClearValue);
    RegKeyWalk(w, key);
}

void ParseItem(PrivacyItem& item, SeekContext& ctx, bool bClearValue) {
    if (!item.Values())
        return;
    Walk w(item, ctx, bClearValue);
    bool needsFiles = item.ItemType == pitFile || item.ItemType == pitFolder || item.ItemType == pitIniFileItem;
    if (needsFiles && !ctx.files)
        return;
    switch (item.ItemType) {
    case pitRegValue:
        SeekRegValue(w, item);
        break;
    case pitRegKey:
        SeekRegKey(w, item);
        break;
    case pitRegSubKeyValue:
        SeekRegSubKeyValue(w, item);
        break;
    case pitFile:
        SeekFile(w, item);
        break;
    case pitFolder:
        SeekFolder(w, item);
        break;
    case pitIniFileItem:
        SeekIniFileItem(w, item);
        break;
    case pitCustomize:
        SeekCustomize(w, item);
        break;
    case pitWinapp2Files:
        SeekWinapp2Files(item, ctx, bClearValue);
        break;
    case pitWinapp2Registry:
        SeekWinapp2Registry(item, ctx, bClearValue);
        break;
    default:
        break;  // type 6 and unknown types find nothing
    }
}

}  // namespace lumo
