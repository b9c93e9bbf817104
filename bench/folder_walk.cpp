// Times a Folder item's scan or clear over a folder tree and tells the memory each trace costs.
// Usage: bench_folder_walk scan|clear FOLDER
// Prints: traces, wall and CPU seconds, heap bytes per trace beyond its path text, peak resident set.
#include <chrono>
#include <cstdio>
#include <cstring>
#include <string>

#include "cleaner/privacy_item.h"
#include "platform/portable/portable_file_system.h"
#ifdef __GLIBC__
#include <malloc.h>
#include <sys/resource.h>
#endif

namespace {

long long HeapInUse() {
#ifdef __GLIBC__
    struct mallinfo2 info = mallinfo2();
    return static_cast<long long>(info.uordblks + info.hblkhd);
#else
    return 0;
#endif
}

// User plus system CPU seconds so far: steadier than wall time on a busy machine.
double CpuSeconds() {
#ifdef __GLIBC__
    struct rusage usage {};
    getrusage(RUSAGE_SELF, &usage);
    return static_cast<double>(usage.ru_utime.tv_sec + usage.ru_stime.tv_sec) +
           static_cast<double>(usage.ru_utime.tv_usec + usage.ru_stime.tv_usec) / 1e6;
#else
    return 0;
#endif
}

long PeakKilobytes() {
#ifdef __GLIBC__
    struct rusage usage {};
    getrusage(RUSAGE_SELF, &usage);
    return usage.ru_maxrss;
#else
    return 0;
#endif
}

}  // namespace

int main(int argc, char** argv) {
    if (argc != 3 || (std::strcmp(argv[1], "scan") != 0 && std::strcmp(argv[1], "clear") != 0)) {
        std::fprintf(stderr, "usage: %s scan|clear FOLDER\n", argv[0]);
        return 2;
    }
    bool clear = std::strcmp(argv[1], "clear") == 0;
    lumo::PortableFileSystem files;
    bool stop = false;
    lumo::SeekContext ctx;
    ctx.files = &files;
    ctx.stopRequested = &stop;
    lumo::PrivacyItem item;
    item.ItemType = lumo::pitFolder;
    item.SeekSettings.push_back(argv[2]);
    long long traces = 0;
    lumo::Subscription counting =
        item.AppendValue.Subscribe([&traces](lumo::PrivacyItem&, const lumo::PrivacyValuePtr&) { ++traces; });

    long long heapBefore = HeapInUse();
    double cpuBefore = CpuSeconds();
    auto start = std::chrono::steady_clock::now();
    lumo::PrivacyValuesPtr found = item.GetPrivacyValue(ctx, true, clear);
    double seconds = std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
    double cpu = CpuSeconds() - cpuBefore;
    long long heapAfter = HeapInUse();

    long long pathBytes = 0;
    for (const lumo::PrivacyValuePtr& pv : *found)
        pathBytes += static_cast<long long>(pv->Path.size());
    long long n = found->Count();
    std::printf(
        "traces %lld events %lld seconds %.3f cpu %.3f bytes_per_trace_beyond_path %.0f path_bytes_per_trace %.0f "
        "peak_rss_kb %ld\n",
        n, traces, seconds, cpu, n ? static_cast<double>(heapAfter - heapBefore - pathBytes) / n : 0.0,
        n ? static_cast<double>(pathBytes) / n : 0.0, PeakKilobytes());
    return 0;
}
