// A temporary folder of the configuration tests, removed with everything in it at the end.
#pragma once

#include <atomic>
#include <chrono>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <string>
#include <vector>

#include "config/crypt.h"

namespace lumo::testing {

class TempFolder {
public:
    TempFolder() {
        static std::atomic<int> counter{0};
        auto stamp = std::chrono::steady_clock::now().time_since_epoch().count();
        path_ = std::filesystem::temp_directory_path() /
                ("lumo-config-test-" + std::to_string(stamp) + "-" + std::to_string(counter++));
        std::filesystem::create_directories(path_);
    }
    ~TempFolder() {
        std::error_code ec;
        // Read-only files left by a test must not keep the folder alive.
        for (auto& entry : std::filesystem::recursive_directory_iterator(path_, ec))
            std::filesystem::permissions(entry.path(), std::filesystem::perms::owner_write,
                                         std::filesystem::perm_options::add, ec);
        std::filesystem::remove_all(path_, ec);
    }
    TempFolder(const TempFolder&) = delete;
    TempFolder& operator=(const TempFolder&) = delete;

    const std::filesystem::path& path() const { return path_; }
    // A file name inside the folder, as UTF-8 text.
    std::string File(const std::string& name) const { return (path_ / name).string(); }

private:
    std::filesystem::path path_;
};

inline std::string ReadBytes(const std::string& file) {
    std::ifstream in(file, std::ios::binary);
    return std::string(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
}

inline void WriteBytes(const std::string& file, const std::string& bytes) {
    std::ofstream out(file, std::ios::binary | std::ios::trunc);
    out.write(bytes.data(), static_cast<std::streamsize>(bytes.size()));
}

// Plain lines enciphered one by one, each ended with CR LF, as the program writes them.
inline std::string Enciphered(const std::vector<std::string>& plainLines) {
    std::string out;
    for (const std::string& line : plainLines)
        out += Crypt::EnCrypt(line) + "\r\n";
    return out;
}

// The plain lines of an enciphered file.
inline std::vector<std::string> PlainLines(const std::string& file) {
    std::vector<std::string> lines;
    std::string bytes = ReadBytes(file);
    size_t start = 0;
    while (start < bytes.size()) {
        size_t end = bytes.find("\r\n", start);
        if (end == std::string::npos)
            end = bytes.size();
        lines.push_back(Crypt::DeCrypt(bytes.substr(start, end - start)));
        start = end + 2;
    }
    return lines;
}

}  // namespace lumo::testing
