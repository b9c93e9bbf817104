// The seek-and-clear engine behind PrivacyItem::GetPrivacyValue: one routine per item type, the
// folder and registry-key walks, all finding and (when clearing) removing trace by trace.
//
// Failures are handled in one place per step: each trace's handling runs inside StepGuard, so a
// failing step is skipped and the walk goes on; only the registry-key walk writes its failures
// to the activity log. A removal that fails is never left looking like success: the trace gets
// vsUnknown and the log one more line for it.
#include "cleaner/item_processing.h"

#include <exception>
#include <optional>
#include <string>
#include <vector>

#include "base/ansi.h"
#include "base/registry_error.h"
#include "base/text.h"
#include "cleaner/customize_parse.h"
#include "cleaner/file_clearing.h"
#include "cleaner/privacy_item.h"
#include "cleaner/wildcard.h"
#include "cleaner/winapp2_walks.h"
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

// What one seek needs at every level of its walks.
class Walk {
public:
    Walk(PrivacyItem& item, SeekContext& ctx, bool clear) : item(item), ctx(ctx), clear(clear) {
        if (item.HoldFlag)
            for (const std::string& hold : item.HoldSettings)
                holds_.push_back(UpperCase(hold));
    }

    PrivacyItem& item;
    SeekContext& ctx;
    const bool clear;

    PrivacyValues& Values() { return *item.Values(); }
    bool Stop() const { return ctx.StopRequested(); }
    void Report(const PrivacyValuePtr& pv) { item.ReportValue(pv); }

    bool IsHeld(std::string_view path) const {
        if (holds_.empty())
            return false;
        std::string upper = UpperCase(path);
        for (const std::string& hold : holds_)
            if (hold == upper)
                return true;
        return false;
    }

    // A removal failed after the trace was added: it must not keep a "removed" status, and the
    // log learns it now.
    void MarkFailed(const PrivacyValuePtr& pv) {
        pv->ValueStatus = vsUnknown;
        if (ctx.log)
            ctx.log->AppendPrivacyValue(*pv);
    }

    // One file: the hold check, the trace, the deletion or overwriting, the report. Returns
    // whether the file is gone.
    bool HandleFile(std::string path, int64_t size) {
        bool held = IsHeld(path);
        PrivacyValuePtr pv = Values().AddFile(std::move(path), size, held ? vsKeepLocked : vsFind);
        bool gone = false;
        if (clear && !held) {
            bool fill = IsIndexDat(pv->ValueName);
            int16_t result = DeleteFileOrFill(*ctx.files, pv->Path, fill, ctx.securityFillTimes);
            pv->ValueStatus = result == 0 ? vsDelete : result == 1 ? vsFillBlank : vsUnknown;
            gone = result == 0;
        }
        Report(pv);
        return gone;
    }

    // The registry functions return their codes instead of setting the thread's last error, so
    // the system error code that ends the line is 0 after a registry failure.
    void RegistryFailure(const RegistryError& e) {
        if (!ctx.log)
            return;
        ctx.log->AppendString(ctx.log->DateTimeText() + "--" + std::to_string(e.Number) + "," + e.Source +
                              "(GetRegKeyAllSub)," + e.Description + ",0");
    }

private:
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

// The walk of one folder. The result says what is left of it: Emptied when every entry found in
// it is gone (so the folder can be removed), Kept when something stays on purpose or by failure,
// Unreadable when it could not be listed.
enum class FolderOutcome { Emptied, Kept, Unreadable };

FolderOutcome FolderWalk(Walk& w, const std::string& folder) {
    std::vector<FolderEntry> entries;
    if (!w.ctx.files->ListFolder(folder, entries))
        return FolderOutcome::Unreadable;
    bool emptied = true;

    struct Subfolder {
        PrivacyValuePtr pv;
        bool isLink;
    };
    std::vector<Subfolder> subfolders;
    for (FolderEntry& e : entries) {
        if (!e.isFolder)
            continue;
        if (w.Stop())
            return FolderOutcome::Kept;
        bool added = StepGuard([&] {
            PrivacyValuePtr pv = w.Values().AddFolder(JoinPath(folder, e.name), w.clear ? vsDelete : vsFind);
            subfolders.push_back({pv, e.isLink});
            w.Report(pv);
        });
        emptied = emptied && added;
    }

    for (FolderEntry& e : entries) {
        if (e.isFolder)
            continue;
        if (w.Stop())
            return FolderOutcome::Kept;
        bool gone = false;
        StepGuard([&] { gone = w.HandleFile(JoinPath(folder, e.name), e.size); });
        emptied = emptied && gone;
    }
    entries = {};  // the names are in the traces now; deep trees need not hold every level's list

    for (Subfolder& sub : subfolders) {
        if (w.Stop())
            return FolderOutcome::Kept;
        // A link is never entered: removing it removes the link only.
        FolderOutcome inner = sub.isLink ? FolderOutcome::Emptied : FolderWalk(w, sub.pv->Path);
        if (!w.clear)
            continue;
        if (inner == FolderOutcome::Kept) {
            emptied = false;  // something stays in it on purpose or by failure; so does the folder
            continue;
        }
        bool removed = false;
        StepGuard([&] {
            FileResult r = w.ctx.files->RemoveFolder(sub.pv->Path);
            removed = r == FileResult::Deleted || r == FileResult::NotFound;
        });
        if (!removed) {
            w.MarkFailed(sub.pv);
            emptied = false;
        }
    }
    return emptied ? FolderOutcome::Emptied : FolderOutcome::Kept;
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
                PrivacyValuePtr pv = w.Values().AddRegKey(sub, w.clear ? vsDelete : vsFind);
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
                PrivacyValuePtr pv = w.Values().AddRegValue(rv, held ? vsKeepLocked : vsFind);
                if (w.clear && !held) {
                    bool deleted = false;
                    guard([&] { deleted = rv.Delete(); });
                    if (deleted)
                        pv->ValueStatus = vsDelete;
                    else
                        w.MarkFailed(pv);
                }
                w.Report(pv);
            });
        }
    });
    if (w.Stop())
        return;

    for (auto& [sub, pv] : subkeys) {
        if (w.Stop())
            return;
        RegKeyWalk(w, *sub);
        if (!w.clear)
            continue;
        bool deleted = false;
        guard([&] { deleted = sub->DeleteRegKey(true, sub->RootKey, sub->Path); });
        if (!deleted)
            w.MarkFailed(pv);
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
            PrivacyValuePtr pv = w.Values().AddRegValue(rv, w.clear ? vsDelete : vsFind);
            w.Report(pv);
            if (w.clear) {
                bool deleted = false;
                StepGuard([&] { deleted = rv.Delete(); });
                if (!deleted)
                    w.MarkFailed(pv);
            }
        });
    }
    return true;
}

void SeekRegValue(Walk& w) {
    const PrivacyItem& item = w.item;
    if (!w.ctx.registry)
        return;
    RegKey key(*w.ctx.registry, RegKey::TransRootKey(item.SeekSetting(1)), item.SeekSetting(2));
    std::optional<WildcardPattern> pattern;
    if (item.HasSeekSetting(3))
        pattern.emplace(item.SeekSetting(3));
    ValuesOfKey(w, key, pattern);
}

void SeekRegKey(Walk& w) {
    if (!w.ctx.registry)
        return;
    RegKey key(*w.ctx.registry, RegKey::TransRootKey(w.item.SeekSetting(1)), w.item.SeekSetting(2));
    RegKeyWalk(w, key);
}

void SeekRegSubKeyValue(Walk& w) {
    const PrivacyItem& item = w.item;
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

void SeekFile(Walk& w) {
    const PrivacyItem& item = w.item;
    FileSystem& files = *w.ctx.files;
    const std::string& where = item.SeekSetting(1);
    if (files.FolderExists(where)) {
        std::vector<FolderEntry> entries;
        if (!files.ListFolder(where, entries))
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

void SeekFolder(Walk& w) {
    const std::string& folder = w.item.SeekSetting(1);
    if (w.ctx.files->FolderExists(folder))
        FolderWalk(w, folder);
}

void SeekIniFileItem(Walk& w) {
    const PrivacyItem& item = w.item;
    const std::string& file = item.SeekSetting(1);
    if (!w.ctx.profiles || !w.ctx.files->FileExists(file))
        return;
    std::string section = ToAnsi(item.SeekSetting(2));
    std::vector<char> buffer(1000);
    uint32_t count = 0;
    for (;;) {
        count = w.ctx.profiles->GetSection(section, buffer.data(), static_cast<uint32_t>(buffer.size()), file);
        if (count != buffer.size() - 2)
            break;
        buffer.resize(buffer.size() * 5);
    }
    if (count < 3)
        return;
    std::string text = FromAnsi(std::string_view(buffer.data(), count - 1));
    std::optional<WildcardPattern> pattern;
    if (item.HasSeekSetting(3))
        pattern.emplace(item.SeekSetting(3));
    for (const std::string& entry : Split(text, std::string_view("\0", 1))) {
        size_t eq = entry.find('=');
        if (entry.empty() || eq == std::string::npos)
            continue;
        std::string_view key = std::string_view(entry).substr(0, eq);
        std::string_view value = std::string_view(entry).substr(eq + 1);
        if (key.empty() || value.empty() || value == "\"\"" || (pattern && !pattern->Matches(key)))
            continue;
        if (w.Stop())
            return;
        StepGuard([&] {
            PrivacyValuePtr pv = w.Values().AddIniFileItem(file, key, value, w.clear ? vsDelete : vsFind);
            w.Report(pv);
            if (w.clear) {
                bool written = false;
                StepGuard([&] { written = w.ctx.profiles->WriteString(section, ToAnsi(key), "", file); });
                if (!written)
                    w.MarkFailed(pv);
            }
        });
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
    FolderWalk(w, folder);
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
    case pitRegValue: SeekRegValue(w); break;
    case pitRegKey: SeekRegKey(w); break;
    case pitRegSubKeyValue: SeekRegSubKeyValue(w); break;
    case pitFile: SeekFile(w); break;
    case pitFolder: SeekFolder(w); break;
    case pitIniFileItem: SeekIniFileItem(w); break;
    case pitCustomize: SeekCustomize(w, item); break;
    case pitWinapp2Files: SeekWinapp2Files(item, ctx, bClearValue); break;
    case pitWinapp2Registry: SeekWinapp2Registry(item, ctx, bClearValue); break;
    default: break;  // type 6 and unknown types find nothing
    }
}

}  // namespace lumo
