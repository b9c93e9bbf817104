// File operations of the configuration file.
#include "config/file_io.h"

#include <algorithm>
#include <cerrno>
#include <cstdio>
#include <fstream>
#include <iterator>

namespace lumo {

namespace fs = std::filesystem;

fs::path PathFromUtf8(std::string_view utf8) {
    std::u8string text(utf8.begin(), utf8.end());
#ifndef _WIN32
    std::replace(text.begin(), text.end(), u8'\\', u8'/');
#endif
    return fs::path(text);
}

ReadResult ReadWholeFile(const fs::path& path, std::string& bytes) {
    std::error_code ec;
    if (!fs::is_regular_file(path, ec))
        return fs::exists(path, ec) ? ReadResult::failed : ReadResult::notFound;
    std::ifstream in(path, std::ios::binary);
    if (!in)
        return ReadResult::failed;
    bytes.assign(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
    return in.bad() ? ReadResult::failed : ReadResult::ok;
}

std::error_code WriteWholeFile(const fs::path& path, std::string_view bytes) {
    // Through stdio, whose failures leave their reason in errno.
    errno = 0;
#ifdef _WIN32
    std::FILE* f = ::_wfopen(path.c_str(), L"wb");
#else
    std::FILE* f = std::fopen(path.c_str(), "wb");
#endif
    auto failure = [] { return std::error_code(errno ? errno : EIO, std::generic_category()); };
    if (!f)
        return failure();
    bool written = std::fwrite(bytes.data(), 1, bytes.size(), f) == bytes.size();
    std::error_code why = written ? std::error_code() : failure();
    if (std::fclose(f) != 0 && !why)
        why = failure();
    return why;
}

std::error_code ReplaceFile(const fs::path& source, const fs::path& target) {
    std::error_code ec;
    fs::file_status st = fs::status(target, ec);
    // MoveFileEx refuses to replace a read-only file; on Windows the owner-write bit is the
    // read-only attribute.
    if (!ec && fs::is_regular_file(st) && (st.permissions() & fs::perms::owner_write) == fs::perms::none)
        fs::permissions(target, fs::perms::owner_write, fs::perm_options::add, ec);
    ec.clear();
    // libstdc++ renames on Windows with MoveFileExW and MOVEFILE_REPLACE_EXISTING: one step.
    fs::rename(source, target, ec);
    return ec;
}

}  // namespace lumo
