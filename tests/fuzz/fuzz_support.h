// What the fuzz targets share: a scratch folder for the whole run, whole-file reads and writes,
// and a check that stops the run with a message (libFuzzer then keeps the input that broke it).
#pragma once

#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <iterator>
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

// The input from byte `from` on, as text.
inline std::string Text(const uint8_t* data, size_t size, size_t from = 0) {
    return std::string(reinterpret_cast<const char*>(data) + from, size - from);
}

inline std::string Read(const std::filesystem::path& p) {
    std::ifstream in(p, std::ios::binary);
    return std::string(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
}

// Replaces the file's bytes, creating the folders above it.
inline void Write(const std::filesystem::path& p, std::string_view bytes) {
    std::filesystem::create_directories(p.parent_path());
    std::ofstream(p, std::ios::binary | std::ios::trunc)
        .write(bytes.data(), static_cast<std::streamsize>(bytes.size()));
}

inline void Check(bool ok, const char* what, std::string_view detail = {}) {
    if (ok)
        return;
    std::fprintf(stderr, "fuzz check failed: %s\n%.*s\n", what, static_cast<int>(detail.size()), detail.data());
    std::abort();
}

}  // namespace lumo::fuzz
