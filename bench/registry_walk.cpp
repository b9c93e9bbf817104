// Prints how long a deep walk and a deep deletion of a registry tree take through RegKey: 10,000
// keys (100 keys with 99 subkeys each) holding 10 values each. Natively the tree lives in the
// in-memory registry; on Windows (and under Wine) in the real one, below
// HKEY_CURRENT_USER\Software\SweepkitLumoTests. Exits non-zero if the walk or the deletion
// misses anything or a handle is left open.
#include <chrono>
#include <cstdio>
#include <ctime>
#include <cstdlib>
#include <memory>
#include <string>

#include "platform/portable/memory_registry.h"
#include "registry/reg_key.h"
#ifdef _WIN32
#include "platform/win32/win32_registry.h"
#endif

namespace {

using namespace lumo;
using Clock = std::chrono::steady_clock;

double Seconds(Clock::time_point from) { return std::chrono::duration<double>(Clock::now() - from).count(); }
// Processor time of this process, the fairer figure on a loaded machine. Windows' clock() counts
// elapsed time instead, so there it is not shown (-1).
double CpuSeconds() {
#ifdef _WIN32
    return -1;
#else
    return static_cast<double>(std::clock()) / CLOCKS_PER_SEC;
#endif
}

// Counts the opens and closes of the registry it wraps.
class HandleCounter : public RegistryApi {
public:
    explicit HandleCounter(RegistryApi& inner) : inner_(inner) {}
    int open = 0;
    int32_t OpenKey(RegHandle k, std::string_view s, uint32_t r, RegHandle& out) override {
        int32_t rc = inner_.OpenKey(k, s, r, out);
        open += rc == 0;
        return rc;
    }
    int32_t CreateKey(RegHandle k, std::string_view s, uint32_t r, RegHandle& out) override {
        int32_t rc = inner_.CreateKey(k, s, r, out);
        open += rc == 0;
        return rc;
    }
    int32_t CloseKey(RegHandle k) override {
        int32_t rc = inner_.CloseKey(k);
        open -= rc == 0 && !IsPredefinedRoot(k);
        return rc;
    }
    int32_t QueryInfoKey(RegHandle k, RegKeyInfo& i) override { return inner_.QueryInfoKey(k, i); }
    int32_t EnumKey(RegHandle k, uint32_t i, std::string& n, uint32_t c) override { return inner_.EnumKey(k, i, n, c); }
    int32_t EnumValue(RegHandle k, uint32_t i, std::string& n, uint32_t c, uint32_t& t, uint8_t* d,
                      uint32_t& s) override {
        return inner_.EnumValue(k, i, n, c, t, d, s);
    }
    int32_t QueryValue(RegHandle k, std::string_view n, uint32_t& t, uint8_t* d, uint32_t& s) override {
        return inner_.QueryValue(k, n, t, d, s);
    }
    int32_t SetValue(RegHandle k, std::string_view n, uint32_t t, const uint8_t* d, uint32_t s) override {
        return inner_.SetValue(k, n, t, d, s);
    }
    int32_t DeleteKey(RegHandle k, std::string_view s) override { return inner_.DeleteKey(k, s); }
    int32_t DeleteValue(RegHandle k, std::string_view n) override { return inner_.DeleteValue(k, n); }
    int32_t GetKeySecurity(RegHandle k, uint32_t i, uint8_t* d, uint32_t& s) override {
        return inner_.GetKeySecurity(k, i, d, s);
    }
    int32_t SetKeySecurity(RegHandle k, uint32_t i, const std::vector<uint8_t>& d) override {
        return inner_.SetKeySecurity(k, i, d);
    }

private:
    RegistryApi& inner_;
};

// Ten values of the four kinds the program reads.
void FillKey(RegistryApi& api, RegHandle key, int n) {
    for (int v = 0; v < 10; ++v) {
        std::string name = "value" + std::to_string(v);
        if (v % 3 == 0) {
            std::string text = "C:\\Documents and Settings\\user\\Recent\\file" + std::to_string(n) + ".txt";
            api.SetValue(key, name, 1, reinterpret_cast<const uint8_t*>(text.c_str()),
                         static_cast<uint32_t>(text.size() + 1));
        } else if (v % 3 == 1) {
            uint8_t number[4] = {static_cast<uint8_t>(n), static_cast<uint8_t>(n >> 8), 0, 0};
            api.SetValue(key, name, 4, number, 4);
        } else {
            uint8_t bytes[32];
            for (int i = 0; i < 32; ++i)
                bytes[i] = static_cast<uint8_t>(i * 7 + n + 1) | 1;
            api.SetValue(key, name, 3, bytes, 32);
        }
    }
}

struct Totals {
    long keys = 0;
    long values = 0;
    size_t textBytes = 0;
};

void Walk(RegKey& key, Totals& totals) {
    ++totals.keys;
    for (RegValue& v : key.EnumSubValues()) {
        ++totals.values;
        totals.textBytes += v.ValueDataString().size();
    }
    for (RegKey& child : key.EnumSubKeys())
        Walk(child, totals);
}

}  // namespace

int main(int argc, char** argv) {
    int top = 100, perTop = 99;
    if (argc > 2) {
        top = std::atoi(argv[1]);
        perTop = std::atoi(argv[2]);
    }
    const long expectedKeys = 1 + top + static_cast<long>(top) * perTop;  // the base key as well

#ifdef _WIN32
    Win32Registry platformRegistry;
    const char* kind = "real registry";
#else
    MemoryRegistry platformRegistry;
    const char* kind = "in-memory registry";
#endif
    HandleCounter api(platformRegistry);
    const int32_t root = rkCurrentUser;
    const std::string base = "Software\\SweepkitLumoTests\\bench-" +
                             std::to_string(std::chrono::steady_clock::now().time_since_epoch().count() % 1000000007);

    auto t0 = Clock::now();
    for (int i = 0; i < top; ++i) {
        std::string topPath = base + "\\top" + std::to_string(i);
        RegHandle h = 0;
        if (api.CreateKey(RootHandle(root), topPath, keyAllAccess, h) != 0) {
            std::fprintf(stderr, "cannot create %s\n", topPath.c_str());
            return 1;
        }
        FillKey(api, h, i);
        api.CloseKey(h);
        for (int j = 0; j < perTop; ++j) {
            RegHandle c = 0;
            if (api.CreateKey(RootHandle(root), topPath + "\\child" + std::to_string(j), keyAllAccess, c) != 0)
                return 1;
            FillKey(api, c, j);
            api.CloseKey(c);
        }
    }
    double setup = Seconds(t0);

    RegKey tree(api, root, base);
    Totals totals;
    auto t1 = Clock::now();
    double c1 = CpuSeconds();
    Walk(tree, totals);
    double walk = Seconds(t1), walkCpu = CpuSeconds() - c1;

    auto t2 = Clock::now();
    double c2 = CpuSeconds();
    bool deleted = tree.DeleteRegKey(true);
    double removal = Seconds(t2), removalCpu = CpuSeconds() - c2;

    RegHandle check = 0;
    bool gone = api.OpenKey(RootHandle(root), base, keyQueryValue, check) == regFileNotFound;
    if (!gone)
        api.CloseKey(check);

    long keys = totals.keys - 1;  // the base key holds no values of its own
    std::printf("%s: %ld keys, %ld values (setup %.3f s)\n", kind, keys, totals.values, setup);
    std::printf("                                          elapsed      keys/s   processor\n");
    auto cpu = [](double seconds) {
        char text[32] = "-";
        if (CpuSeconds() >= 0)
            std::snprintf(text, sizeof text, "%.3f s", seconds);
        return std::string(text);
    };
    std::printf("  walk (values listed and shown):     %9.3f s %10.0f %11s\n", walk, keys / walk, cpu(walkCpu).c_str());
    std::printf("  deep deletion:                      %9.3f s %10.0f %11s\n", removal, keys / removal,
                cpu(removalCpu).c_str());
    std::printf("  walk + deletion:                    %9.3f s %10.0f %11s\n", walk + removal, keys / (walk + removal),
                cpu(walkCpu + removalCpu).c_str());
    if (totals.keys != expectedKeys || totals.values != (expectedKeys - 1) * 10 || !deleted || !gone || api.open != 0) {
        std::fprintf(stderr, "FAILED: walked %ld of %ld keys, %ld values, deleted %d, gone %d, open handles %d\n",
                     totals.keys, expectedKeys, totals.values, deleted, gone, api.open);
        return 1;
    }
    return 0;
}
