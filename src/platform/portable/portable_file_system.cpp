// The portable FileSystem. Off Windows the hot paths (listing, deleting) call POSIX directly: a
// listing is one readdir pass with one fstatat per regular file and none per folder, and a
// deletion is one unlink. The Windows build of the same class (used to check it against the
// real one under Wine) goes through std::filesystem.
#include "platform/portable/portable_file_system.h"

#include <cerrno>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <system_error>

#ifndef _WIN32
#include <dirent.h>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>
#endif

namespace fs = std::filesystem;

namespace lumo {

namespace {

#ifndef _WIN32
std::string NativeText(std::string_view path) {
    std::string out(path);
    for (char& c : out)
        if (c == '\\')
            c = '/';
    return out;
}

// The same, into a buffer kept per thread: deleting and listing run once per entry of a walk,
// and need no allocation of their own.
const char* NativeCString(std::string_view path) {
    thread_local std::string buffer;
    buffer.assign(path);
    for (char& c : buffer)
        if (c == '\\')
            c = '/';
    return buffer.c_str();
}
#endif

fs::path ToPath(std::string_view path) {
#ifdef _WIN32
    return fs::path(std::u8string(path.begin(), path.end()));
#else
    return fs::path(NativeText(path));
#endif
}

FileResult FromError(const std::error_code& ec) {
    if (ec == std::errc::no_such_file_or_directory || ec == std::errc::not_a_directory)
        return FileResult::NotFound;
    if (ec == std::errc::permission_denied || ec == std::errc::operation_not_permitted ||
        ec == std::errc::device_or_resource_busy || ec == std::errc::text_file_busy ||
        ec == std::errc::read_only_file_system)
        return FileResult::DeniedOrInUse;
    return FileResult::OtherFailure;
}

#ifndef _WIN32
FileResult FromErrno(int error) { return FromError(std::error_code(error, std::generic_category())); }
#endif

class StdioWriter : public FileWriter {
public:
    explicit StdioWriter(std::FILE* f) : f_(f) {}
    ~StdioWriter() override { Close(); }
    bool Write(const char* data, size_t n) override { return f_ && std::fwrite(data, 1, n, f_) == n; }
    bool Close() override {
        if (!f_)
            return false;
        bool ok = std::fclose(f_) == 0;
        f_ = nullptr;
        return ok;
    }

private:
    std::FILE* f_;
};

// Gives the owner write access to every folder of a tree, so the tree can be emptied; links
// are not followed.
void MakeTreeWritable(const fs::path& root) {
    std::error_code ec;
    fs::permissions(root, fs::perms::owner_all, fs::perm_options::add | fs::perm_options::nofollow, ec);
    for (auto it = fs::recursive_directory_iterator(root, fs::directory_options::skip_permission_denied, ec);
         !ec && it != fs::recursive_directory_iterator(); it.increment(ec)) {
        if (it->is_symlink(ec))
            continue;
        fs::permissions(it->path(), fs::perms::owner_write, fs::perm_options::add | fs::perm_options::nofollow, ec);
        ec.clear();
    }
}

}  // namespace

PortableFileSystem::~PortableFileSystem() { ForgetListedFolder(); }

void PortableFileSystem::ForgetListedFolder() {
#ifndef _WIN32
    if (listedFd_ >= 0)
        ::close(listedFd_);
    listedFd_ = -1;
    listedFolder_.clear();
#endif
}

bool PortableFileSystem::FileExists(std::string_view path) {
#ifndef _WIN32
    struct stat st;
    return ::stat(NativeText(path).c_str(), &st) == 0 && !S_ISDIR(st.st_mode);
#else
    std::error_code ec;
    auto st = fs::status(ToPath(path), ec);
    return !ec && fs::exists(st) && !fs::is_directory(st);
#endif
}

bool PortableFileSystem::FolderExists(std::string_view path) {
    std::error_code ec;
    return fs::is_directory(ToPath(path), ec);
}

bool PortableFileSystem::ListFolder(std::string_view path, std::vector<FolderEntry>& entries) {
    entries.clear();
#ifndef _WIN32
    ForgetListedFolder();
    const char* native = NativeCString(path);
    int keep = ::open(native, O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    if (keep < 0)
        return false;
    int listing = ::dup(keep);
    DIR* dir = listing >= 0 ? ::fdopendir(listing) : nullptr;
    if (!dir) {
        if (listing >= 0)
            ::close(listing);
        ::close(keep);
        return false;
    }
    listedFd_ = keep;
    listedFolder_ = native;
    while (listedFolder_.size() > 1 && listedFolder_.back() == '/')
        listedFolder_.pop_back();
    int fd = ::dirfd(dir);
    while (struct dirent* de = ::readdir(dir)) {
        const char* name = de->d_name;
        if (name[0] == '.' && (name[1] == 0 || (name[1] == '.' && name[2] == 0)))
            continue;
        FolderEntry& e = entries.emplace_back();
        e.name = name;
        unsigned char type = de->d_type;
        struct stat st;
        if (type == DT_UNKNOWN || type == DT_REG) {
            if (::fstatat(fd, name, &st, AT_SYMLINK_NOFOLLOW) != 0)
                continue;  // gone meanwhile: reported as a file of size 0
            type = S_ISDIR(st.st_mode) ? DT_DIR : S_ISLNK(st.st_mode) ? DT_LNK : DT_REG;
            if (type == DT_REG)
                e.size = st.st_size;
        }
        if (type == DT_DIR) {
            e.isFolder = true;
        } else if (type == DT_LNK) {
            // The target's kind decides whether the link stands in the folders or the files; it
            // is looked at, never entered.
            e.isLink = true;
            e.isFolder = ::fstatat(fd, name, &st, 0) == 0 && S_ISDIR(st.st_mode);
        }
    }
    ::closedir(dir);
    return true;
#else
    std::error_code ec;
    fs::directory_iterator it(ToPath(path), ec);
    if (ec)
        return false;
    for (; it != fs::directory_iterator(); it.increment(ec)) {
        if (ec)
            return false;
        FolderEntry& e = entries.emplace_back();
        auto u8 = it->path().filename().u8string();
        e.name.assign(u8.begin(), u8.end());
        std::error_code ec2;
        e.isLink = it->is_symlink(ec2);
        e.isFolder = it->is_directory(ec2);
        if (!e.isLink && !e.isFolder) {
            auto size = it->file_size(ec2);
            e.size = ec2 ? 0 : static_cast<int64_t>(size);
        }
    }
    return true;
#endif
}

std::optional<int64_t> PortableFileSystem::FileSize(std::string_view path) {
    std::error_code ec;
    auto size = fs::file_size(ToPath(path), ec);
    if (ec)
        return std::nullopt;
    return static_cast<int64_t>(size);
}

FileResult PortableFileSystem::RemoveFile(std::string_view path) {
#ifndef _WIN32
    // POSIX deletes read-only files as long as the folder is writable, so one unlink is all.
    const char* native = NativeCString(path);
    std::string_view text(native);
    size_t slash = text.rfind('/');
    if (listedFd_ >= 0 && slash != std::string_view::npos && slash + 1 < text.size() &&
        text.substr(0, slash) == listedFolder_) {
        if (::unlinkat(listedFd_, native + slash + 1, 0) == 0)
            return FileResult::Deleted;
        // The folder listed may have been replaced since: the full path decides then.
        if (errno != ENOENT)
            return errno == EISDIR ? FileResult::OtherFailure : FromErrno(errno);
    }
    if (::unlink(native) == 0)
        return FileResult::Deleted;
    int error = errno;
    return error == EISDIR ? FileResult::OtherFailure : FromErrno(error);
#else
    fs::path p = ToPath(path);
    std::error_code ec;
    auto st = fs::symlink_status(p, ec);
    if (ec || !fs::exists(st))
        return FileResult::NotFound;
    if (fs::is_directory(st))
        return FileResult::OtherFailure;
    if (fs::remove(p, ec))
        return FileResult::Deleted;
    if (ec == std::errc::permission_denied) {
        fs::permissions(p, fs::perms::owner_write, fs::perm_options::add, ec);
        if (fs::remove(p, ec))
            return FileResult::Deleted;
    }
    return FromError(ec);
#endif
}

FileResult PortableFileSystem::RemoveFolder(std::string_view path) {
#ifndef _WIN32
    std::string p = NativeText(path);
    ForgetListedFolder();
    if (::rmdir(p.c_str()) == 0)
        return FileResult::Deleted;
    int error = errno;
    struct stat st;
    if (error == ENOTDIR && ::lstat(p.c_str(), &st) == 0 && S_ISLNK(st.st_mode))
        return ::unlink(p.c_str()) == 0 ? FileResult::Deleted : FromErrno(errno);
    if (error == ENOTEMPTY || error == EEXIST || error == ENOTDIR)
        return FileResult::OtherFailure;
    return FromErrno(error);
#else
    fs::path p = ToPath(path);
    std::error_code ec;
    auto st = fs::symlink_status(p, ec);
    if (ec || !fs::exists(st))
        return FileResult::NotFound;
    if (!fs::is_directory(st) && !fs::is_symlink(st))
        return FileResult::OtherFailure;
    if (fs::remove(p, ec))
        return FileResult::Deleted;
    if (ec == std::errc::permission_denied) {
        fs::permissions(p, fs::perms::owner_write, fs::perm_options::add, ec);
        if (fs::remove(p, ec))
            return FileResult::Deleted;
    }
    // The C runtime reports a folder that is not empty as access denied; look before saying so.
    std::error_code ec2;
    if (ec == std::errc::directory_not_empty || !fs::is_empty(p, ec2))
        return FileResult::OtherFailure;
    return FromError(ec);
#endif
}

FileResult PortableFileSystem::DeleteFolderTree(std::string_view path) {
    fs::path p = ToPath(path);
    std::error_code ec;
    auto st = fs::symlink_status(p, ec);
    if (ec || !fs::exists(st))
        return FileResult::NotFound;
    if (!fs::is_directory(st) && !fs::is_symlink(st))
        return FileResult::OtherFailure;
    fs::remove_all(p, ec);
    if (ec) {
        MakeTreeWritable(p);
        ec.clear();
        fs::remove_all(p, ec);
    }
    return ec ? FromError(ec) : FileResult::Deleted;
}

bool PortableFileSystem::CreateFolder(std::string_view path) {
    fs::path p = ToPath(path);
    std::error_code ec;
    fs::create_directories(p, ec);
    return fs::is_directory(p, ec);
}

bool PortableFileSystem::ReplaceAtomically(std::string_view replacement, std::string_view target) {
    std::error_code ec;
    fs::rename(ToPath(replacement), ToPath(target), ec);
    return !ec;
}

std::optional<std::string> PortableFileSystem::ReadFile(std::string_view path) {
    std::ifstream in(ToPath(path), std::ios::binary);
    if (!in)
        return std::nullopt;
    std::string bytes((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
    if (in.bad())
        return std::nullopt;
    return bytes;
}

std::unique_ptr<FileWriter> PortableFileSystem::OpenForWrite(std::string_view path, WriteMode mode) {
    const char* how = mode == WriteMode::InPlace ? "r+b" : mode == WriteMode::Append ? "ab" : "wb";
#ifdef _WIN32
    const wchar_t* whow = mode == WriteMode::InPlace ? L"r+b" : mode == WriteMode::Append ? L"ab" : L"wb";
    (void)how;
    std::FILE* f = ::_wfopen(ToPath(path).c_str(), whow);
#else
    std::FILE* f = std::fopen(NativeText(path).c_str(), how);
#endif
    if (!f)
        return nullptr;
    return std::make_unique<StdioWriter>(f);
}

}  // namespace lumo
