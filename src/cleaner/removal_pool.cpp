// The worker threads of a clear run and the queue of batches between them and the walk.
#include "cleaner/removal_pool.h"

#include <algorithm>
#include <utility>

namespace lumo {

unsigned RemovalPool::DefaultWorkers() {
    unsigned cores = std::thread::hardware_concurrency();
    return std::clamp(cores * 2, 2u, 8u);
}

RemovalPool::RemovalPool(FileSystem& files, unsigned workers) : files_(files) {
    workers_.reserve(workers);
    for (unsigned i = 0; i < workers; ++i)
        workers_.emplace_back([this] { Work(); });
}

RemovalPool::~RemovalPool() {
    Cancel();
    {
        std::lock_guard<std::mutex> lock(mutex_);
        closing_ = true;
    }
    work_.notify_all();
    for (std::thread& worker : workers_)
        worker.join();
}

void RemovalPool::Submit(std::vector<FileRemoval*> batch) {
    std::unique_lock<std::mutex> lock(mutex_);
    if (cancelled_) {
        for (FileRemoval* removal : batch)
            removal->state.store(FileRemoval::Cancelled, std::memory_order_release);
        return;
    }
    batches_.push_back(std::move(batch));
    lock.unlock();
    work_.notify_one();
}

void RemovalPool::Wait(const FileRemoval& removal) {
    std::unique_lock<std::mutex> lock(mutex_);
    waiting_ = true;
    ended_.wait(lock, [&] { return removal.Ended(); });
    waiting_ = false;
}

void RemovalPool::Cancel() {
    std::lock_guard<std::mutex> lock(mutex_);
    cancelled_.store(true, std::memory_order_release);
    for (const std::vector<FileRemoval*>& batch : batches_)
        for (FileRemoval* removal : batch)
            removal->state.store(FileRemoval::Cancelled, std::memory_order_release);
    batches_.clear();
    ended_.notify_all();
}

void RemovalPool::Work() {
    for (;;) {
        std::vector<FileRemoval*> batch;
        {
            std::unique_lock<std::mutex> lock(mutex_);
            work_.wait(lock, [&] { return closing_ || !batches_.empty(); });
            if (batches_.empty())
                return;
            batch = std::move(batches_.front());
            batches_.pop_front();
        }
        for (size_t i = 0; i < batch.size(); ++i) {
            // A stop after the batch was taken: the rest of it never starts.
            if (cancelled_.load(std::memory_order_acquire)) {
                std::lock_guard<std::mutex> lock(mutex_);
                for (size_t j = i; j < batch.size(); ++j)
                    batch[j]->state.store(FileRemoval::Cancelled, std::memory_order_release);
                ended_.notify_all();
                break;
            }
            FileRemoval& removal = *batch[i];
            removal.result = DeleteFileFirst(files_, removal.path, removal.mayFill);
            std::lock_guard<std::mutex> lock(mutex_);
            removal.state.store(FileRemoval::Done, std::memory_order_release);
            if (waiting_)
                ended_.notify_all();
        }
    }
}

}  // namespace lumo
