// A few threads that delete the files a clear run finds while the walk goes on listing and
// matching. Files are handed in by folder, in batches, so that each worker deletes in a folder
// of its own: deletions in one folder wait for each other in the file system, deletions in
// different folders do not. Only the deletion of files runs here; everything the user sees is
// taken back by the walk in its own order.
#pragma once

#include <atomic>
#include <condition_variable>
#include <cstdint>
#include <deque>
#include <mutex>
#include <string>
#include <thread>
#include <vector>

#include "cleaner/file_clearing.h"

namespace lumo {

class FileSystem;

// One file's deletion, owned by whoever hands it in; it must stay in place until it has ended.
struct FileRemoval {
    enum State : uint8_t { Waiting, Done, Cancelled };  // waiting: not handed in, queued or running
    std::string path;
    bool mayFill = false;  // a locked file is to be overwritten instead (by the caller, afterwards)
    FileDeletion result;  // set when Done
    std::atomic<uint8_t> state{Waiting};

    bool Ended() const {
        uint8_t s = state.load(std::memory_order_acquire);
        return s == Done || s == Cancelled;
    }
};

class RemovalPool {
public:
    // Workers a pool has when none are asked for: deleting waits on the disk rather than on the
    // processor, so two per core, at least 2 and at most 8.
    static unsigned DefaultWorkers();

    RemovalPool(FileSystem& files, unsigned workers);
    // Cancels what has not started and waits for the deletions that have.
    ~RemovalPool();
    RemovalPool(const RemovalPool&) = delete;
    RemovalPool& operator=(const RemovalPool&) = delete;

    // Hands in the deletions of one batch (files of one folder), deleted in this order by one
    // worker. After Cancel they are cancelled at once.
    void Submit(std::vector<FileRemoval*> batch);
    // Waits until the deletion has ended (done or cancelled).
    void Wait(const FileRemoval& removal);
    // No deletion starts any more: those waiting are cancelled, those running end normally.
    void Cancel();

private:
    void Work();

    FileSystem& files_;
    std::mutex mutex_;
    std::condition_variable work_;  // a batch came in, or the pool closes
    std::condition_variable ended_;  // a deletion ended
    std::deque<std::vector<FileRemoval*>> batches_;
    std::atomic<bool> cancelled_{false};  // set under the lock; workers look before each file
    bool closing_ = false;
    bool waiting_ = false;  // the walk waits on `ended_`
    std::vector<std::thread> workers_;
};

}  // namespace lumo
