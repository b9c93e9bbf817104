// Clear runs whose deletions run on worker threads: the same tree cleared by the walk alone and
// by workers gives the same log, byte for byte, the same traces with the same statuses, reported
// in the same order with the statuses they had then, and leaves the same files behind; held,
// locked, undeletable and linked entries included, and more files than the walk holds back at
// once. A stop in the middle leaves every word true and every deletion reported.
#include <gtest/gtest.h>

#include <atomic>
#include <filesystem>
#include <map>
#include <set>
#include <thread>
#include <tuple>

#include "cleaner/item_processing.h"
#include "engine_test_support.h"
#include "platform/portable/portable_system_info.h"

namespace lumo {
namespace {

using testing::MakeItem;
namespace fs = std::filesystem;

class ParallelRemoval : public testing::EngineTest {
protected:
    // The same tree every time: nested folders of small files, one folder larger than a batch,
    // a held file, locked files (an index.dat to overwrite, a plain one), a file whose deletion
    // fails quietly, a folder that refuses removal, and links to what lies outside.
    void Build(int filesPerFolder) {
        realFiles.DeleteFolderTree(dir.Path("tree"));
        for (int top = 0; top < 6; ++top)
            for (int sub = 0; sub < 12; ++sub)
                for (int f = 0; f < filesPerFolder; ++f)
                    dir.Write("tree/t" + std::to_string(top) + "/s" + std::to_string(sub) + "/f" + std::to_string(f),
                              std::string(static_cast<size_t>(f + 1), 'x'));
        for (int f = 0; f < 700; ++f)
            dir.Write("tree/big/f" + std::to_string(f), "y");
        dir.Write("tree/t1/s3/keep.me", "held");
        dir.Write("tree/t2/s0/index.dat", std::string(25000, 'i'));
        dir.Write("tree/t2/s0/busy.log", "locked");
        dir.Write("tree/t4/s7/stuck.txt", "stays");
        files.locked = {dir.Path("tree/t2/s0/index.dat"), dir.Path("tree/t2/s0/busy.log")};
        files.failDeletionQuietly = {dir.Path("tree/t4/s7/stuck.txt")};
        files.refuseFolderRemoval = {dir.Path("tree/t5/s11")};
        std::error_code ec;
        fs::create_directory_symlink(dir.FsPath("outside"), dir.FsPath("tree/t3/s5/link"), ec);
        fs::create_symlink(dir.FsPath("outside/victim.txt"), dir.FsPath("tree/t3/link.txt"), ec);
    }

    // Everything below the scratch folder, each entry with its bytes.
    std::map<std::string, std::string> Left() const {
        std::map<std::string, std::string> out;
        for (const auto& e : fs::recursive_directory_iterator(dir.FsPath()))
            out[testing::U8Text(e.path())] = e.is_symlink()     ? "<link>"
                                             : e.is_directory() ? "<folder>"
                                                                : testing::ReadBytes(testing::U8Text(e.path()));
        return out;
    }

    struct Outcome {
        std::vector<std::string> lines;  // the log
        std::vector<std::string> reported;  // "status path" of each event, as it came
        std::map<std::string, int32_t> status;  // of each trace at the end
        std::map<std::string, std::string> before, left;  // what the scratch folder holds
    };

    // Clears the tree with one Folder item (holding keep.me), stopping after `stopAfter` reports.
    Outcome Clear(unsigned workers, int filesPerFolder, size_t stopAfter = SIZE_MAX) {
        Build(filesPerFolder);
        log.lines.clear();
        stop = false;
        ctx.removalWorkers = workers;
        auto item = MakeItem(pitFolder, {dir.Path("tree")}, {dir.Path("tree/t1/s3/keep.me")});
        Outcome o;
        Subscription s = item->AppendValue.Subscribe([&](PrivacyItem&, const PrivacyValuePtr& pv) {
            o.reported.push_back(std::to_string(pv->ValueStatus) + " " + pv->Path);
            stop = stop || o.reported.size() >= stopAfter;
        });
        o.before = Left();
        for (const PrivacyValuePtr& pv : *Seek(*item, true).values)
            o.status[pv->Path] = pv->ValueStatus;
        o.lines = log.lines;
        o.left = Left();
        return o;
    }

    void SetUp() override { dir.Write("outside/victim.txt", "precious"); }
};

TEST_F(ParallelRemoval, WorkersSayReportAndLeaveExactlyWhatTheWalkAloneDoes) {
    const Outcome serial = Clear(1, 60);
    ASSERT_GT(serial.lines.size(), 4096u) << "more steps than the walk holds back at once";
    EXPECT_EQ(serial.left.at(dir.Path("tree/t2/s0/index.dat")), std::string(25000, '\0'));
    EXPECT_EQ(serial.left.at(dir.Path("tree/t2/s0/busy.log")), "locked") << "only an index.dat is overwritten";
    EXPECT_EQ(serial.status.at(dir.Path("tree/t1/s3")), vsKeepLocked) << "kept for its held file, and says so";
    const Outcome parallel = Clear(4, 60);
    EXPECT_TRUE(parallel.lines == serial.lines) << "the log differs";
    EXPECT_TRUE(parallel.reported == serial.reported) << "the events differ";
    EXPECT_EQ(parallel.status, serial.status);
    EXPECT_EQ(parallel.left, serial.left);
}

// Deletions that record whether they ran on the walk's thread, and may take a while, as on a slow
// disk, so the workers are never far ahead of what the walk has reported.
struct WatchedDeletions : testing::InjectingFileSystem {
    using InjectingFileSystem::InjectingFileSystem;
    const std::thread::id walk = std::this_thread::get_id();
    std::atomic<int> elsewhere{0};
    bool slow = false;
    FileResult RemoveFile(std::string_view path) override {
        if (slow)
            std::this_thread::sleep_for(std::chrono::milliseconds(1));
        elsewhere += std::this_thread::get_id() != walk;
        return InjectingFileSystem::RemoveFile(path);
    }
};

// After a stop no deletion starts; those begun are reported. So what is gone is exactly what the
// run says it removed, and every trace's last line is true.
TEST_F(ParallelRemoval, AStopReportsEveryDeletionThatBeganAndNoMore) {
    WatchedDeletions slow(realFiles);
    slow.slow = true;
    ctx.files = &slow;
    for (size_t stopAfter : {1u, 300u}) {
        SCOPED_TRACE(stopAfter);
        const Outcome o = Clear(4, 10, stopAfter);
        std::set<std::string> gone;
        for (const auto& [path, what] : o.before)
            if (!o.left.count(path))
                gone.insert(path);
        std::map<std::string, std::string> lastWord;
        for (const std::string& line : o.lines)
            if (size_t at = line.find(dir.Path()); at != std::string::npos)
                lastWord[line.substr(at)] = line.substr(0, at);
        std::set<std::string> saidGone;
        for (const auto& [path, status] : o.status) {
            if (status == vsDelete)
                saidGone.insert(path);
            else
                EXPECT_TRUE(lastWord[path] != "Delete " && lastWord[path] != "Find ") << lastWord[path] << path;
        }
        EXPECT_EQ(saidGone, gone) << "removed exactly the traces the run says it removed";
        EXPECT_GE(o.reported.size(), stopAfter);
        EXPECT_LE(o.reported.size(), stopAfter + 100) << "the deletions after the stop are those already begun";
        EXPECT_TRUE(stopAfter > 1 || gone.empty()) << "stopped at the first trace, a folder's: nothing was deleted";
    }
}

// Workers delete by default; the walk deletes itself when one is asked for, or by default where
// the system makes every deletion one after another anyway.
TEST_F(ParallelRemoval, TheWalkDeletesItselfWhenOneIsAskedForOrTheSystemDeletesOneAtATime) {
    PortableSystemInfo system;
    WatchedDeletions watched(realFiles);
    ctx.system = &system;
    ctx.files = &watched;
    int byWorkers = 0;
    for (auto [workers, oneAtATime, toWorkers] :
         {std::tuple{0u, false, 8}, {0u, true, 0}, {1u, false, 0}, {3u, true, 8}}) {
        ctx.removalWorkers = workers;
        system.deletesOneAtATime = oneAtATime;
        for (int f = 0; f < 8; ++f)
            dir.Write("few/" + std::to_string(f % 2) + "/f" + std::to_string(f), "x");
        Seek(*MakeItem(pitFolder, {dir.Path("few")}), true);
        EXPECT_FALSE(dir.Exists("few/0"));
        EXPECT_EQ(watched.elsewhere, byWorkers += toWorkers) << workers << " workers, one at a time: " << oneAtATime;
    }
}

}  // namespace
}  // namespace lumo
