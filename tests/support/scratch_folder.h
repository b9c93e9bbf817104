// A temporary folder per test, removed with everything in it when the test ends (read-only files
// and folders included, links never followed), and small helpers to lay out and read back files.
#pragma once

#include <atomic>
#include <chrono>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <string>
#include <string_view>

namespace lumo::testing {

inline std::filesystem::path U8Path(std::string_view utf8) {
    return std::filesystem::path(std::u8string(utf8.begin(), utf8.end()));
}

inline std::string U8Text(const std::filesystem::path& p) {
    auto u8 = p.u8string();
    return std::string(u8.begin(), u8.end());
}

class ScratchFolder {
public:
    ScratchFolder() {
        static std::atomic<unsigned> counter{0};
        auto stamp = std::chrono::steady_clock::now().time_since_epoch().count();
        root_ = std::filesystem::temp_directory_path() /
                ("lumo-test-" + std::to_string(stamp) + "-" + std::to_string(counter++));
        std::filesystem::create_directories(root_);
    }
    ~ScratchFolder() {
        std::error_code ec;
        for (auto it = std::filesystem::recursive_directory_iterator(root_, ec);
             !ec && it != std::filesystem::recursive_directory_iterator(); it.increment(ec)) {
            std::error_code ec2;
            if (!it->is_symlink(ec2))
                std::filesystem::permissions(it->path(), std::filesystem::perms::owner_all,
                                             std::filesystem::perm_options::add, ec2);
        }
        std::filesystem::remove_all(root_, ec);
    }
    ScratchFolder(const ScratchFolder&) = delete;
    ScratchFolder& operator=(const ScratchFolder&) = delete;

    // UTF-8 path of the folder, or of `relative` inside it ('/' separated).
    std::string Path(std::string_view relative = {}) const { return U8Text(FsPath(relative)); }
    std::filesystem::path FsPath(std::string_view relative = {}) const {
        return relative.empty() ? root_ : (root_ / U8Path(relative)).make_preferred();
    }

    // Writes `bytes` to `relative`, creating the folders above it.
    std::string Write(std::string_view relative, std::string_view bytes) const {
        auto p = FsPath(relative);
        std::filesystem::create_directories(p.parent_path());
        std::ofstream(p, std::ios::binary).write(bytes.data(), static_cast<std::streamsize>(bytes.size()));
        return U8Text(p);
    }
    std::string Folder(std::string_view relative) const {
        auto p = FsPath(relative);
        std::filesystem::create_directories(p);
        return U8Text(p);
    }
    std::string Read(std::string_view relative) const { return ReadPath(FsPath(relative)); }
    bool Exists(std::string_view relative) const {
        std::error_code ec;
        return std::filesystem::exists(std::filesystem::symlink_status(FsPath(relative), ec));
    }

    static std::string ReadPath(const std::filesystem::path& p) {
        std::ifstream in(p, std::ios::binary);
        return std::string((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
    }

private:
    std::filesystem::path root_;
};

inline std::string ReadBytes(const std::string& file) { return ScratchFolder::ReadPath(U8Path(file)); }

inline void WriteBytes(const std::string& file, std::string_view bytes) {
    std::ofstream out(U8Path(file), std::ios::binary | std::ios::trunc);
    out.write(bytes.data(), static_cast<std::streamsize>(bytes.size()));
}

}  // namespace lumo::testing
