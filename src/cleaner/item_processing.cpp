// The seek-and-clear engine behind PrivacyItem::GetPrivacyValue: one routine per item type, the
// folder and registry-key walks, all finding and (when clearing) removing trace by trace.
//
// Failures are handled in one place per step: each trace's handling runs inside StepGuard, so a
// failing step is skipped and the walk goes on. A removal that fails is never left looking like
// success, and the last log line naming a path is true: a trace whose handling ends otherwise
// than its first line says (a file not removed or overwritten instead, a subfolder that stays,
// an entry that keeps its value) gets its final status and one more line. A folder walk never
// ends silently either: a folder it cannot list and a named folder that is a link get a line.
//
// In a clear run the deletion of files goes to a few worker threads (RemovalPool) while the walk
// goes on listing, matching and checking holds; the walk then takes each step back in its own
// order (Step), so what is added, reported and written is what a run without workers gives.
#include "cleaner/item_processing.h"

#include <deque>
#include <exception>
#include <functional>
#include <memory>
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
#include "cleaner/removal_pool.h"
#include "cleaner/step_guard.h"
#include "cleaner/wildcard.h"
#include "cleaner/winapp2_walks.h"
#include "platform/ansi.h"
#include "platform/file_system.h"
#include "platform/profile_api.h"
#include "platform/system_info.h"
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

// What is known of one folder of a walk: its trace (none for the folder the walk starts in)
// and what is left of it so far. The walk goes on ahead; the steps it holds back fill this in.
struct FolderState {
    PrivacyValuePtr trace;
    Left left = Left::Nothing;
};
using FolderStatePtr = std::shared_ptr<FolderState>;

// One step of a folder walk as a serial run takes it: the trace of a subfolder, a file with its
// deletion, a line of the log, or the end of a subfolder (its removal when emptied). The walk
// makes the steps and settles them strictly in the order it made them; a file's deletion may
// meanwhile run on a worker, and nothing after it is added, reported or written before it has
// ended. So a clear run says and reports the same, in the same order, however many workers
// delete for it.
struct Step {
    enum class Kind : uint8_t { Subfolder, File, Note, FolderEnd };
    Kind kind = Kind::Note;
    FolderStatePtr in;  // the folder the step is in (FolderEnd: the subfolder's parent)
    FolderStatePtr sub;  // Subfolder and FolderEnd: the subfolder's own
    std::string text;  // Subfolder: its path; Note: the line
    int64_t size = 0;  // File
    bool held = false;  // File: protected by a hold setting
    bool removing = false;  // File: to be deleted
    bool pooled = false;  // File: its deletion is a worker's
    FileRemoval removal;  // File: its path, and its deletion when a worker runs it
};

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

    // A free line of the activity log, stamped as the registry walk stamps its failures; written
    // in its turn among the steps of the walk.
    void Note(std::string text) {
        Step& step = Make(Step::Kind::Note, nullptr);
        step.text = std::move(text);
        Made();
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

    // The trace of a subfolder of `in`, found; its own state is `sub`.
    void Subfolder(const FolderStatePtr& in, const FolderStatePtr& sub, std::string path) {
        Step& step = Make(Step::Kind::Subfolder, in);
        step.sub = sub;
        step.text = std::move(path);
        Made();
    }

    // One file of `in`: the hold check now, the deletion handed to a worker when there are any,
    // the trace, the overwriting and the report in its turn.
    void File(const FolderStatePtr& in, std::string path, int64_t size) {
        Step& step = Make(Step::Kind::File, in);
        step.held = IsHeld(path);
        step.size = size;
        step.removing = clear && !step.held;
        step.removal.mayFill = step.removing && fillIndexDat && IsIndexDat(FileNameOf(path));
        step.removal.path = std::move(path);
        if (step.removing && Workers() > 1) {
            step.pooled = true;
            batch_.push_back(&step.removal);
            if (batch_.size() >= kBatchFiles)
                HandIn();
        }
        Made();
    }

    // The end of subfolder `sub` of `in`: when clearing, an emptied subfolder is removed.
    void FolderEnd(const FolderStatePtr& in, const FolderStatePtr& sub) {
        Step& step = Make(Step::Kind::FolderEnd, in);
        step.sub = sub;
        Made();
    }

    // Hands the deletions of the folder being walked to the workers.
    void HandIn() {
        if (batch_.empty())
            return;
        if (!pool_)
            pool_ = std::make_unique<RemovalPool>(*ctx.files, Workers());
        pool_->Submit(std::move(batch_));
        batch_.clear();
    }

    // Settles every step made so far, waiting for the deletions still running.
    void SettleAll() {
        HandIn();
        while (!pending_.empty())
            SettleFront(true);
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
    // Files handed to a worker at once (a folder's files, or this many of a larger folder's),
    // and steps held back at most: what a walk holds stays small on a tree of any size.
    static constexpr size_t kBatchFiles = 256;
    static constexpr size_t kMostPending = 4096;

    // As many as asked for; else none where the system deletes one file at a time anyway.
    // Decided once per walk.
    unsigned Workers() {
        if (!workers_)
            workers_ = ctx.removalWorkers                              ? ctx.removalWorkers
                       : ctx.system && ctx.system->DeletesOneAtATime() ? 1u
                                                                       : RemovalPool::DefaultWorkers();
        return workers_;
    }

    Step& Make(Step::Kind kind, const FolderStatePtr& in) {
        Step& step = pending_.emplace_back();
        step.kind = kind;
        step.in = in;
        return step;
    }

    // A step is made: settled at once when everything before it is, or as soon as it is, or,
    // when too many are held back, after waiting for the oldest.
    void Made() {
        if (pending_.size() >= kMostPending) {
            HandIn();
            SettleFront(true);
        }
        while (!pending_.empty() && (!pending_.front().pooled || pending_.front().removal.Ended()))
            SettleFront(false);
    }

    // Settles the oldest step, first waiting for its deletion when `wait` says so.
    void SettleFront(bool wait) {
        Step& front = pending_.front();
        if (wait && front.pooled)
            pool_->Wait(front.removal);
        Settle(front);
        pending_.pop_front();
        // After a stop request no deletion starts: those not begun are cancelled.
        if (pool_ && Stop())
            pool_->Cancel();
    }

    void Settle(Step& step) {
        if (Stop()) {
            SettleStopped(step);
            return;
        }
        switch (step.kind) {
        case Step::Kind::Subfolder:
            if (!StepGuard([&] {
                    step.sub->trace = values.AddFolder(std::move(step.text), clear ? vsDelete : vsFind);
                    Report(step.sub->trace);
                }))
                step.in->left = Worse(step.in->left, Left::Failure);
            break;
        case Step::Kind::File: {
            Left file = Left::Failure;
            StepGuard([&] { file = SettleFile(step); });
            step.in->left = Worse(step.in->left, file);
            break;
        }
        case Step::Kind::Note:
            if (ctx.log)
                ctx.log->AppendString(ctx.log->DateTimeText() + "--" + step.text);
            break;
        case Step::Kind::FolderEnd:
            SettleFolderEnd(*step.in, *step.sub);
            break;
        }
    }

    // The trace of a file, its deletion's result (or the deletion itself, when no worker ran
    // it), the overwriting of a locked index.dat, the report. Says what is left of it: nothing,
    // the file kept on purpose (held, or overwritten in place), or the file after a failure.
    Left SettleFile(Step& step) {
        PrivacyValuePtr pv = values.AddFile(std::move(step.removal.path), step.size, step.held ? vsKeepLocked : vsFind);
        Left left = step.held ? Left::OnPurpose : Left::Nothing;
        if (step.removing) {
            FileDeletion deletion =
                step.pooled ? step.removal.result : DeleteFileFirst(*ctx.files, pv->Path, step.removal.mayFill);
            int16_t result = FillAfterDeletion(*ctx.files, pv->Path, deletion, ctx.securityFillTimes);
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

    // After its walk, an emptied subfolder is removed; one that stays gets a last line saying
    // why ("Keep locked" for what stays on purpose, "Unknown" otherwise).
    void SettleFolderEnd(FolderState& parent, FolderState& sub) {
        Left left = sub.left;
        if (left == Left::Stopped) {
            StopFolder(parent, sub);
            return;
        }
        if (!clear)
            return;
        if (left == Left::Nothing && sub.trace) {
            bool removed = false;
            StepGuard([&] {
                FileResult r = ctx.files->RemoveFolder(sub.trace->Path);
                removed = r == FileResult::Deleted || r == FileResult::NotFound;
            });
            if (removed)
                return;
            left = Left::Failure;
        }
        if (!sub.trace) {  // its trace could not be added: nothing to remove, nothing to settle
            parent.left = Worse(parent.left, Left::Failure);
            return;
        }
        values.Settle(*sub.trace, left == Left::OnPurpose ? vsKeepLocked : vsUnknown);
        parent.left = Worse(parent.left, left);
    }

    // Once a stop is requested, only the files whose deletion had begun are settled and
    // reported; nothing else is added. A subfolder that stays because of the stop, reported as
    // to be deleted when it was found, gets a last line saying it was not.
    void SettleStopped(Step& step) {
        if (step.kind == Step::Kind::File && step.pooled &&
            step.removal.state.load(std::memory_order_acquire) == FileRemoval::Done) {
            Left file = Left::Failure;
            StepGuard([&] { file = SettleFile(step); });
            step.in->left = Worse(step.in->left, file);
        } else if (step.kind == Step::Kind::FolderEnd) {
            StopFolder(*step.in, *step.sub);
        }
    }

    void StopFolder(FolderState& parent, FolderState& sub) {
        parent.left = Left::Stopped;
        if (clear && sub.trace && sub.trace->ValueStatus == vsDelete)
            values.Settle(*sub.trace, vsUnknown);
    }

    PrivacyItem* item_ = nullptr;
    const std::function<void(const PrivacyValuePtr&)>* report_ = nullptr;
    std::vector<std::string> holds_;
    std::deque<Step> pending_;  // made and not yet settled, oldest first
    std::vector<FileRemoval*> batch_;  // deletions of the folder being walked, not yet handed in
    unsigned workers_ = 0;  // 0 until Workers() decides
    std::unique_ptr<RemovalPool> pool_;  // the workers, from a clear run's first deletion on
};

// One folder of a walk as the walk goes through it: its state, and the subfolders its listing
// gave and how far the walk is through them.
struct Level {
    std::string folder;
    FolderStatePtr state;
    struct Subfolder {
        std::string path;
        FolderStatePtr state;
        bool isLink;
    };
    std::vector<Subfolder> subfolders;
    size_t next = 0;
};

// Lists one folder and makes its first two passes: a trace for every subfolder, then every file.
Level Enter(Walk& w, std::string folder, FolderStatePtr state) {
    Level level;
    level.folder = std::move(folder);
    level.state = std::move(state);
    if (!w.List(level.folder, w.entries)) {
        level.state->left = Worse(level.state->left, Left::Failure);
        return level;
    }
    for (const FolderEntry& e : w.entries) {
        if (!e.isFolder)
            continue;
        if (w.Stop()) {
            level.state->left = Left::Stopped;
            return level;
        }
        Level::Subfolder& sub = level.subfolders.emplace_back(
            Level::Subfolder{JoinPath(level.folder, e.name), std::make_shared<FolderState>(), e.isLink});
        w.Subfolder(level.state, sub.state, sub.path);
    }
    for (const FolderEntry& e : w.entries) {
        if (e.isFolder)
            continue;
        if (w.Stop()) {
            level.state->left = Left::Stopped;
            break;
        }
        w.File(level.state, JoinPath(level.folder, e.name), e.size);
    }
    w.HandIn();
    return level;
}

// The three passes at every level below `root`, depth first. The levels the walk is in are kept
// in a list of its own rather than on the call stack: a tree of any depth is walked.
Left FolderWalk(Walk& w, const std::string& root) {
    auto rootState = std::make_shared<FolderState>();
    std::vector<Level> path;
    path.push_back(Enter(w, root, rootState));
    for (;;) {
        Level& top = path.back();
        if (top.state->left != Left::Stopped && top.next < top.subfolders.size()) {
            if (w.Stop()) {
                top.state->left = Left::Stopped;
                continue;
            }
            Level::Subfolder sub = std::move(top.subfolders[top.next++]);
            if (sub.isLink)
                w.FolderEnd(top.state, sub.state);  // never entered: removing it removes the link
            else
                path.push_back(Enter(w, sub.path, sub.state));
            continue;
        }
        // The subfolders a stop leaves unwalked still get their last word.
        if (top.state->left == Left::Stopped)
            for (size_t i = top.next; i < top.subfolders.size(); ++i)
                w.FolderEnd(top.state, top.subfolders[i].state);
        Level done = std::move(top);
        path.pop_back();
        if (path.empty())
            break;
        if (done.state->left == Left::Stopped)
            path.back().state->left = Left::Stopped;
        w.FolderEnd(path.back().state, done.state);
    }
    w.SettleAll();
    return rootState->left;
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
    auto in = std::make_shared<FolderState>();
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
                break;
            w.File(in, JoinPath(where, e.name), e.size);
        }
    } else if (files.FileExists(where)) {
        std::optional<int64_t> size = files.FileSize(where);
        if (size)
            w.File(in, where, *size);
    }
    w.SettleAll();
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
