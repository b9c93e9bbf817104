// What the fuzz targets share: a scratch folder for the whole run, and a check that stops the
// run with a message (libFuzzer then keeps the input that broke it).
#pragma once

#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <string>
#include <string_view>

#include <unistd.h>

namespace lumo::fuzz {

// A folder of this process's own under the temporary folder, removed when the process ends.
inline const std::filesystem::path& Scratch() {
    static const std::filesystem::path root = [] {
        auto p = std::filesystem::temp_directory_path() / ("lumo-fuzz-" + std::to_string(::getpid()));
        std::filesystem::create_directories(p);
        std::atexit([] {
            std::error_code ec;
            std::filesystem::remove_all(Scratch(), ec);
        });
        return p;
    }();
    return root;
}

inline std::string ScratchPath(std::string_view name) { return (Scratch() / name).string(); }

inline void Check(bool ok, const char* what, std::string_view detail = {}) {
    if (ok)
        return;
    std::fprintf(stderr, "fuzz check failed: %s\n%.*s\n", what, static_cast<int>(detail.size()), detail.data());
    std::abort();
}

}  // namespace lumo::fuzz
