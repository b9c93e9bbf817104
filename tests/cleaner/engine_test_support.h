// What the engine tests share: a FileSystem wrapper that injects locked files and refusals and
// records in-place writes, a log that records its lines, and the fixture that hands a scratch
// folder, the real INI functions, a test registry, the log and a stop flag to the engine.
#pragma once

#include <gtest/gtest.h>

#include <algorithm>
#include <map>
#include <set>
#include <string>
#include <vector>

#include "base/text.h"
#include "cleaner/privacy_item.h"
#include "log/privacy_log.h"
#include "platform/file_system.h"
#include "support/registry_fixture.h"
#include "support/scratch_folder.h"
#ifdef _WIN32
#include "platform/win32/win32_file_system.h"
#include "platform/win32/win32_profile_api.h"
#else
#include "platform/portable/portable_file_system.h"
#include "platform/portable/portable_profile_api.h"
#endif

namespace lumo::testing {

class InjectingFileSystem : public FileSystem {
public:
    explicit InjectingFileSystem(FileSystem& real) : real_(real) {}

    std::set<std::string> locked;  // held open by another process: deletion denied
    std::set<std::string> refuseFolderRemoval;
    std::set<std::string> refuseWriting;
    std::set<std::string> failDeletionQuietly;  // deletion fails with "other failure", file stays
    bool reverseListings = true;  // a listing order no sort would give, to see it is followed

    struct InPlaceOpen {
        std::string path;
        std::vector<size_t> writes;
    };
    std::vector<InPlaceOpen> inPlaceOpens;

    bool FileExists(std::string_view path) override { return real_.FileExists(path); }
    bool FolderExists(std::string_view path) override { return real_.FolderExists(path); }
    bool IsLink(std::string_view path) override { return real_.IsLink(path); }
    bool ListFolder(std::string_view path, std::vector<FolderEntry>& entries) override {
        bool ok = real_.ListFolder(path, entries);
        if (reverseListings)
            std::sort(entries.begin(), entries.end(),
                      [](const FolderEntry& a, const FolderEntry& b) { return a.name > b.name; });
        return ok;
    }
    std::optional<int64_t> FileSize(std::string_view path) override { return real_.FileSize(path); }
    FileResult RemoveFile(std::string_view path) override {
        return In(locked, path)                ? FileResult::DeniedOrInUse
               : In(failDeletionQuietly, path) ? FileResult::OtherFailure
                                               : real_.RemoveFile(path);
    }
    FileResult RemoveFolder(std::string_view path) override {
        return In(refuseFolderRemoval, path) ? FileResult::DeniedOrInUse : real_.RemoveFolder(path);
    }
    FileResult DeleteFolderTree(std::string_view path) override {
        return In(refuseFolderRemoval, path) ? FileResult::DeniedOrInUse : real_.DeleteFolderTree(path);
    }
    bool CreateFolder(std::string_view path) override { return real_.CreateFolder(path); }
    bool ReplaceAtomically(std::string_view a, std::string_view b) override { return real_.ReplaceAtomically(a, b); }
    std::optional<std::string> ReadFile(std::string_view path) override { return real_.ReadFile(path); }
    std::unique_ptr<FileWriter> OpenForWrite(std::string_view path, WriteMode mode) override {
        if (In(refuseWriting, path))
            return nullptr;
        auto inner = real_.OpenForWrite(path, mode);
        if (!inner || mode != WriteMode::InPlace)
            return inner;
        inPlaceOpens.push_back({std::string(path), {}});
        return std::make_unique<CountingWriter>(std::move(inner), inPlaceOpens.back().writes);
    }

private:
    static bool In(const std::set<std::string>& set, std::string_view path) { return set.count(std::string(path)); }
    struct CountingWriter : FileWriter {
        CountingWriter(std::unique_ptr<FileWriter> inner, std::vector<size_t>& writes)
            : inner(std::move(inner)), writes(writes) {}
        bool Write(const char* data, size_t n) override { return writes.push_back(n), inner->Write(data, n); }
        bool Close() override { return inner->Close(); }
        std::unique_ptr<FileWriter> inner;
        std::vector<size_t>& writes;
    };

    FileSystem& real_;
};

// Records the entry lines (as the activity log would write them) and free lines.
struct RecordingLog : TraceLog {
    std::vector<std::string> lines;
    void AppendPrivacyValue(const PrivacyValue& pv) override { lines.push_back(PrivacyLog::EntryLine(pv)); }
    void AppendString(std::string_view line) override { lines.emplace_back(line); }
    std::string DateTimeText() override { return "12/25/2006 3:04:05 PM"; }
};

inline std::unique_ptr<PrivacyItem> MakeItem(int32_t type, std::vector<std::string> seek,
                                             std::vector<std::string> hold = {}) {
    auto item = std::make_unique<PrivacyItem>();
    item->ItemType = type;
    item->SeekSettings = std::move(seek);
    item->HoldSettings = std::move(hold);
    item->HoldFlag = !item->HoldSettings.empty();
    return item;
}

// The engine on a scratch folder of the real file system (behind the injecting wrapper), the
// real INI functions and a test registry branch (in memory unless asked for the real one).
class EngineTest : public ::testing::Test {
protected:
#ifdef _WIN32
    using RealFileSystem = Win32FileSystem;
    using RealProfileApi = Win32ProfileApi;
#else
    using RealFileSystem = PortableFileSystem;
    using RealProfileApi = PortableProfileApi;
#endif
    explicit EngineTest(RegistryKind kind = RegistryKind::Memory) : reg(kind) {
        ctx.files = &files;
        ctx.profiles = &profiles;
        ctx.registry = &reg.Api();
        ctx.log = &log;
        ctx.stopRequested = &stop;
    }
    void TearDown() override { EXPECT_EQ(reg.OpenHandles(), 0) << "registry handles left open"; }

    ScratchFolder dir;
    RealFileSystem realFiles;
    InjectingFileSystem files{realFiles};
    RealProfileApi profiles;
    TestRegistry reg;
    RecordingLog log;
    bool stop = false;
    SeekContext ctx;

    struct Run {
        PrivacyValuesPtr values;
        std::vector<PrivacyValuePtr> events;
        int32_t finishCount = -2;
    };
    // Seeks with the item; every trace must be reported once, by an event that carries the item
    // and the trace it just added.
    Run Seek(PrivacyItem& item, bool clear) {
        Run run;
        Subscription a = item.AppendValue.Subscribe([&](PrivacyItem& pi, const PrivacyValuePtr& pv) {
            EXPECT_EQ(&pi, &item);
            if (item.ItemType != pitCustomize) {
                EXPECT_EQ(pv, item.Values()->Last()) << "the reported trace is the last one added";
            }
            run.events.push_back(pv);
        });
        Subscription f = item.ParseItemFinish.Subscribe([&](PrivacyItem&, int32_t n) { run.finishCount = n; });
        run.values = item.GetPrivacyValue(ctx, true, clear);
        if (item.ItemType != pitCustomize) {
            EXPECT_EQ(run.events.size(), static_cast<size_t>(run.values->Count())) << "every trace is reported once";
        }
        return run;
    }
    // "<status> <path>" per trace, joined by ", ": the path below the scratch folder or the
    // registry branch, '/'-separated, with a '/' after a folder or a key.
    std::string Describe(const PrivacyValues& pvs) const {
        static const char* const words[] = {"Unknown", "None", "Find", "Delete", "Fill", "Keep"};
        std::string out;
        for (const PrivacyValuePtr& pv : pvs) {
            std::string path = pv->Path;
            for (const std::string& root : {dir.Path(), reg.Path()})
                if (path.rfind(root, 0) == 0 && path.size() > root.size())
                    path = path.substr(root.size() + 1);
            std::replace(path.begin(), path.end(), '\\', '/');
            out += (out.empty() ? "" : ", ") + std::string(words[pv->ValueStatus + 1]) + " " + path +
                   (pv->ValueType == 2 || pv->ValueType == 5 ? "/" : "");
        }
        return out;
    }
    std::string Traces(PrivacyItem& item, bool clear) { return Describe(*Seek(item, clear).values); }
    // Text naming places: "~" stands for the scratch folder, "^" for the registry branch, and "/"
    // for the path separator.
    std::string Here(std::string text) const {
        std::replace(text.begin(), text.end(), '/', kPathSeparator);
        for (auto [mark, root] : {std::pair{'~', dir.Path()}, {'^', reg.Path()}})
            for (size_t at = 0; (at = text.find(mark, at)) != std::string::npos; at += root.size())
                text.replace(at, 1, root);
        return text;
    }
    // The traces of one seek, described and joined by ", ", of an item given by its type, its seek
    // settings cut at "|" and its hold settings cut at " & ".
    std::string Traces(int32_t type, std::string_view seek, bool clear, std::string_view hold = "") {
        std::vector<std::string> holds =
            hold.empty() ? std::vector<std::string>{} : Split(Here(std::string(hold)), " & ");
        return Traces(*MakeItem(type, Split(Here(std::string(seek)), "|"), holds), clear);
    }
};

// A fixture once more on the real registry, for the Windows build's smoke tests.
template <class Fixture>
class OnRealRegistry : public Fixture {
protected:
    OnRealRegistry() : Fixture(RegistryKind::Real) {}
};

}  // namespace lumo::testing
