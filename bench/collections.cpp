// Prints how long appending and merging traces takes at growing sizes; the times should grow in
// proportion to the number of traces.
#include <chrono>
#include <cstdio>

#include "cleaner/privacy_value.h"

int main() {
    using namespace lumo;
    using Clock = std::chrono::steady_clock;
    for (int n : {250000, 500000, 1000000}) {
        auto t0 = Clock::now();
        auto item = std::make_shared<PrivacyValues>();
        for (int i = 0; i < n; ++i)
            item->AddIniFileItem("C:\\a.ini", "k", "v", vsFind);
        auto t1 = Clock::now();
        PrivacyValuesPtr record, set;
        record = MergePrivacyValues(record, item);
        set = MergePrivacyValues(set, record);
        auto t2 = Clock::now();
        std::printf("%8d traces: append %7.1f ms, merge twice %7.1f ms\n", n,
                    std::chrono::duration<double, std::milli>(t1 - t0).count(),
                    std::chrono::duration<double, std::milli>(t2 - t1).count());
    }
}
