// The portable FileSystem. Off Windows every call is POSIX: a listing is one readdir pass with
// one fstatat per regular file and none per folder, a deletion is one unlink, and a path longer
// than the system takes in one call (PATH_MAX, 4096 bytes) is opened piece by piece, each piece
// relative to the folder the one before it opened, so walks have no depth limit. The Windows
// build of the same class (used to check it against the real one under Wine) goes through
// std::filesystem.
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
// Longer paths are opened in pieces of at most this many bytes, well inside PATH_MAX.
constexpr size_t kPieceBytes = 2048;

#ifdef O_PATH
constexpr int kAnchorFlags = O_PATH | O_DIRECTORY | O_CLOEXEC;
#else
constexpr int kAnchorFlags = O_RDONLY | O_DIRECTORY | O_CLOEXEC;
#endif

// A path as the *at calls take it: a folder descriptor and the rest of the path relative to it.
// A path short enough to be taken whole stays whole (AT_FDCWD); a longer one is opened piece by
// piece. `\` separates as `/` does; separators at the end are dropped.
class Located {
public:
    explicit Located(std::string_view path) : text_(path) {
        for (char& c : text_)
            if (c == '\\')
                c = '/';
        while (text_.size() > 1 && text_.back() == '/')
            text_.pop_back();
        size_t pos = 0;
        while (text_.size() - pos >= kPieceBytes) {
            size_t cut = text_.rfind('/', pos + kPieceBytes);
            if (cut == std::string::npos || cut <= pos)
                break;  // a single name this long: the system refuses it below
            std::string piece = text_.substr(pos, cut - pos);
            portable::UniqueFd fd(::openat(dir(), piece.c_str(), kAnchorFlags));
            if (!fd) {
                error_ = errno;
                break;
            }
            dir_ = std::move(fd);
            pos = cut + 1;
        }
        name_ = text_.c_str() + pos;
    }
    Located(const Located&) = delete;
    Located& operator=(const Located&) = delete;

    // The folder the rest of the path is relative to: the working folder for a short path.
    int dir() const { return dir_ ? dir_.get() : AT_FDCWD; }
    const char* name() const { return name_; }
    const std::string& text() const { return text_; }
    // The errno of a piece that could not be opened; 0 when the path is ready.
    int error() const { return error_; }

private:
    std::string text_;
    portable::UniqueFd dir_;
    const char* name_ = nullptr;
    int error_ = 0;
};

// fstatat on a located path; false (errno set) when it fails.
bool StatAt(const Located& at, struct stat& st, bool followLink) {
    if (at.error()) {
        errno = at.error();
        return false;
    }
    return ::fstatat(at.dir(), at.name(), &st, followLink ? 0 : AT_SYMLINK_NOFOLLOW) == 0;
}

// openat on a located path; -1 (errno set) when it fails.
int OpenAt(const Located& at, int flags, mode_t mode = 0) {
    if (at.error()) {
        errno = at.error();
        return -1;
    }
    return ::openat(at.dir(), at.name(), flags | O_CLOEXEC, mode);
}

int UnlinkAt(const Located& at, int flags) {
    if (at.error()) {
        errno = at.error();
        return -1;
    }
    return ::unlinkat(at.dir(), at.name(), flags);
}
#endif

#ifdef _WIN32
fs::path ToPath(std::string_view path) { return fs::path(std::u8string(path.begin(), path.end())); }
#endif

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
    explicit StdioWriter(portable::UniqueStdioFile f) : f_(std::move(f)) {}
    bool Write(const char* data, size_t n) override { return f_ && std::fwrite(data, 1, n, f_.get()) == n; }
    bool Close() override { return f_ && portable::CloseChecked(f_); }

private:
    portable::UniqueStdioFile f_;
};

}  // namespace

PortableFileSystem::~PortableFileSystem() { ForgetListedFolder(); }

void PortableFileSystem::ForgetListedFolder() {
#ifndef _WIN32
    std::lock_guard<std::mutex> lock(listedMutex_);
    listedFd_.reset();
    listedFolder_.clear();
#endif
}

bool PortableFileSystem::FileExists(std::string_view path) {
#ifndef _WIN32
    struct stat st;
    return StatAt(Located(path), st, true) && !S_ISDIR(st.st_mode);
#else
    std::error_code ec;
    auto st = fs::status(ToPath(path), ec);
    return !ec && fs::exists(st) && !fs::is_directory(st);
#endif
}

bool PortableFileSystem::FolderExists(std::string_view path) {
#ifndef _WIN32
    struct stat st;
    return StatAt(Located(path), st, true) && S_ISDIR(st.st_mode);
#else
    std::error_code ec;
    return fs::is_directory(ToPath(path), ec);
#endif
}

bool PortableFileSystem::IsLink(std::string_view path) {
#ifndef _WIN32
    struct stat st;
    return StatAt(Located(path), st, false) && S_ISLNK(st.st_mode);
#else
    std::error_code ec;
    return fs::is_symlink(fs::symlink_status(ToPath(path), ec));
#endif
}

bool PortableFileSystem::ListFolder(std::string_view path, std::vector<FolderEntry>& entries) {
    entries.clear();
#ifndef _WIN32
    ForgetListedFolder();
    Located at(path);
    portable::UniqueFd keep(OpenAt(at, O_RDONLY | O_DIRECTORY));
    if (!keep)
        return false;
    // The listing reads through a second descriptor: the directory stream owns it.
    portable::UniqueFd listing(::dup(keep.get()));
    portable::UniqueDir dir(listing ? ::fdopendir(listing.get()) : nullptr);
    if (!dir)
        return false;
    static_cast<void>(listing.release());
    {
        std::lock_guard<std::mutex> lock(listedMutex_);
        listedFd_ = std::make_shared<const portable::UniqueFd>(std::move(keep));
        listedFolder_ = at.text();
    }
    int fd = ::dirfd(dir.get());
    while (struct dirent* de = ::readdir(dir.get())) {
        const char* name = de->d_name;
        if (name[0] == '.' && (name[1] == 0 || (name[1] == '.' && name[2] == 0)))
            continue;
        unsigned char type = de->d_type;
        struct stat st;
        int64_t size = 0;
        if (type == DT_UNKNOWN || type == DT_REG) {
            if (::fstatat(fd, name, &st, AT_SYMLINK_NOFOLLOW) != 0) {
                if (errno == ENOENT)
                    continue;  // gone while the folder was listed: nothing to report
                type = DT_REG;
            } else {
                type = S_ISDIR(st.st_mode) ? DT_DIR : S_ISLNK(st.st_mode) ? DT_LNK : DT_REG;
                if (type == DT_REG)
                    size = st.st_size;
            }
        }
        FolderEntry& e = entries.emplace_back();
        e.name = name;
        e.size = size;
        if (type == DT_DIR) {
            e.isFolder = true;
        } else if (type == DT_LNK) {
            // The target's kind decides whether the link stands in the folders or the files; it
            // is looked at, never entered.
            e.isLink = true;
            e.isFolder = ::fstatat(fd, name, &st, 0) == 0 && S_ISDIR(st.st_mode);
        }
    }
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
#ifndef _WIN32
    struct stat st;
    if (!StatAt(Located(path), st, true) || !S_ISREG(st.st_mode))
        return std::nullopt;
    return static_cast<int64_t>(st.st_size);
#else
    std::error_code ec;
    auto size = fs::file_size(ToPath(path), ec);
    if (ec)
        return std::nullopt;
    return static_cast<int64_t>(size);
#endif
}

FileResult PortableFileSystem::RemoveFile(std::string_view path) {
#ifndef _WIN32
    // POSIX deletes read-only files as long as the folder is writable, so one unlink is all.
    Located at(path);
    std::string_view text(at.text());
    size_t slash = text.rfind('/');
    std::shared_ptr<const portable::UniqueFd> listed;
    if (slash != std::string_view::npos && slash + 1 < text.size()) {
        std::lock_guard<std::mutex> lock(listedMutex_);
        if (listedFd_ && text.substr(0, slash) == listedFolder_)
            listed = listedFd_;
    }
    if (listed) {
        if (::unlinkat(listed->get(), at.text().c_str() + slash + 1, 0) == 0)
            return FileResult::Deleted;
        // The folder listed may have been replaced since: the full path decides then.
        if (errno != ENOENT)
            return errno == EISDIR ? FileResult::OtherFailure : FromErrno(errno);
    }
    if (UnlinkAt(at, 0) == 0)
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
    ForgetListedFolder();
    Located at(path);
    if (UnlinkAt(at, AT_REMOVEDIR) == 0)
        return FileResult::Deleted;
    int error = errno;
    struct stat st;
    if (error == ENOTDIR && StatAt(at, st, false) && S_ISLNK(st.st_mode))
        return UnlinkAt(at, 0) == 0 ? FileResult::Deleted : FromErrno(errno);
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
    if (IsLink(path))
        return RemoveFolder(path);
    if (!FolderExists(path))
        return FileExists(path) ? FileResult::OtherFailure : FileResult::NotFound;
    // A folder the owner may not change or read is opened up first: "by force".
    auto unlock = [](const std::string& folder) {
#ifndef _WIN32
        Located at(folder);
        struct stat st;
        if (StatAt(at, st, false) && S_ISDIR(st.st_mode))
            ::fchmodat(at.dir(), at.name(), (st.st_mode & 07777) | S_IRWXU, 0);
#else
        std::error_code ec;
        fs::permissions(ToPath(folder), fs::perms::owner_all, fs::perm_options::add | fs::perm_options::nofollow, ec);
#endif
    };
    return DeleteTreeIteratively(*this, path, unlock);
}

bool PortableFileSystem::CreateFolder(std::string_view path) {
#ifndef _WIN32
    std::string text(path);
    for (char& c : text)
        if (c == '\\')
            c = '/';
    for (size_t i = 1; i <= text.size(); ++i)
        if (i == text.size() || text[i] == '/') {
            Located at(std::string_view(text).substr(0, i));
            if (!at.error())
                ::mkdirat(at.dir(), at.name(), 0777);
        }
    return FolderExists(path);
#else
    fs::path p = ToPath(path);
    std::error_code ec;
    fs::create_directories(p, ec);
    return fs::is_directory(p, ec);
#endif
}

bool PortableFileSystem::ReplaceAtomically(std::string_view replacement, std::string_view target) {
#ifndef _WIN32
    Located from(replacement), to(target);
    return !from.error() && !to.error() && ::renameat(from.dir(), from.name(), to.dir(), to.name()) == 0;
#else
    std::error_code ec;
    fs::rename(ToPath(replacement), ToPath(target), ec);
    return !ec;
#endif
}

ReplaceResult PortableFileSystem::WriteReplacing(std::string_view temporary, std::string_view target,
                                                 std::string_view bytes) {
    ReplaceResult result;
    auto fail = [&](ReplaceResult::Step step, std::error_code why) {
        result.failed = step;
        result.reason = why ? why : std::make_error_code(std::errc::io_error);
        RemoveFile(temporary);
        return result;
    };
    auto errnoCode = [](int error) { return std::error_code(error ? error : EIO, std::generic_category()); };
#ifndef _WIN32
    portable::UniqueFd fd(OpenAt(Located(temporary), O_WRONLY | O_CREAT | O_TRUNC, 0666));
    if (!fd)
        return fail(ReplaceResult::Step::WriteTemporary, errnoCode(errno));
    for (size_t done = 0; done < bytes.size();) {
        ssize_t wrote = ::write(fd.get(), bytes.data() + done, bytes.size() - done);
        if (wrote < 0 && errno == EINTR)
            continue;
        if (wrote <= 0) {
            int error = wrote < 0 ? errno : EIO;
            fd.reset();
            return fail(ReplaceResult::Step::WriteTemporary, errnoCode(error));
        }
        done += static_cast<size_t>(wrote);
    }
    if (!portable::CloseChecked(fd))
        return fail(ReplaceResult::Step::WriteTemporary, errnoCode(errno));
    // rename replaces a read-only file too: only the folder's permissions count.
    Located from(temporary), to(target);
    int error = from.error() ? from.error() : to.error();
    if (!error && ::renameat(from.dir(), from.name(), to.dir(), to.name()) != 0)
        error = errno;
    if (error)
        return fail(ReplaceResult::Step::Replace, errnoCode(error));
    return result;
#else
    errno = 0;
    portable::UniqueStdioFile f(::_wfopen(ToPath(temporary).c_str(), L"wb"));
    if (!f)
        return fail(ReplaceResult::Step::WriteTemporary, errnoCode(errno));
    bool written = std::fwrite(bytes.data(), 1, bytes.size(), f.get()) == bytes.size();
    int error = written ? 0 : errno;
    if (!portable::CloseChecked(f) && written) {
        written = false;
        error = errno;
    }
    if (!written)
        return fail(ReplaceResult::Step::WriteTemporary, errnoCode(error));
    // MoveFileEx, under std::filesystem's rename, refuses to replace a read-only file; the
    // owner-write bit is the read-only attribute there. Put back when the replace fails.
    fs::path to = ToPath(target);
    std::error_code ec;
    fs::file_status st = fs::status(to, ec);
    bool unlocked = !ec && fs::is_regular_file(st) && (st.permissions() & fs::perms::owner_write) == fs::perms::none;
    if (unlocked)
        fs::permissions(to, fs::perms::owner_write, fs::perm_options::add, ec);
    ec.clear();
    fs::rename(ToPath(temporary), to, ec);
    if (ec) {
        std::error_code ignored;
        if (unlocked)
            fs::permissions(to, fs::perms::owner_write, fs::perm_options::remove, ignored);
        return fail(ReplaceResult::Step::Replace, ec);
    }
    return result;
#endif
}

std::optional<std::string> PortableFileSystem::ReadFile(std::string_view path) {
#ifndef _WIN32
    // Opened without waiting (a pipe would block the read) and read only when it is a file.
    portable::UniqueFd fd(OpenAt(Located(path), O_RDONLY | O_NONBLOCK));
    if (!fd)
        return std::nullopt;
    struct stat st;
    std::optional<std::string> bytes;
    if (::fstat(fd.get(), &st) == 0 && S_ISREG(st.st_mode)) {
        bytes.emplace();
        char buffer[65536];
        for (;;) {
            ssize_t got = ::read(fd.get(), buffer, sizeof buffer);
            if (got < 0 && errno == EINTR)
                continue;
            if (got < 0) {
                bytes.reset();
                break;
            }
            if (got == 0)
                break;
            bytes->append(buffer, static_cast<size_t>(got));
        }
    }
    return bytes;
#else
    fs::path p = ToPath(path);
    std::error_code ec;
    if (!fs::is_regular_file(p, ec))
        return std::nullopt;
    std::ifstream in(p, std::ios::binary);
    if (!in)
        return std::nullopt;
    std::string bytes((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
    if (in.bad())
        return std::nullopt;
    return bytes;
#endif
}

std::unique_ptr<FileWriter> PortableFileSystem::OpenForWrite(std::string_view path, WriteMode mode) {
#ifndef _WIN32
    int flags = mode == WriteMode::InPlace  ? O_WRONLY | O_NOFOLLOW | O_NONBLOCK
                : mode == WriteMode::Append ? O_WRONLY | O_CREAT | O_APPEND
                                            : O_WRONLY | O_CREAT | O_TRUNC | O_NOFOLLOW;
    portable::UniqueFd fd(OpenAt(Located(path), flags, 0666));
    if (!fd)
        return nullptr;
    if (mode == WriteMode::InPlace) {
        // Only a regular file with this one name is overwritten: through a second hard link the
        // bytes of a file elsewhere would go.
        struct stat st;
        if (::fstat(fd.get(), &st) != 0 || !S_ISREG(st.st_mode) || st.st_nlink != 1 ||
            ::fcntl(fd.get(), F_SETFL, ::fcntl(fd.get(), F_GETFL) & ~O_NONBLOCK) != 0)
            return nullptr;
    }
    // The stream owns the descriptor once it is made.
    portable::UniqueStdioFile f(::fdopen(fd.get(), mode == WriteMode::Append ? "ab" : "wb"));
    if (!f)
        return nullptr;
    static_cast<void>(fd.release());
    return std::make_unique<StdioWriter>(std::move(f));
#else
    fs::path p = ToPath(path);
    std::error_code ec;
    if (mode != WriteMode::Append && fs::is_symlink(fs::symlink_status(p, ec)))
        return nullptr;
    if (mode == WriteMode::InPlace && (!fs::is_regular_file(p, ec) || fs::hard_link_count(p, ec) != 1))
        return nullptr;
    const wchar_t* how = mode == WriteMode::InPlace ? L"r+b" : mode == WriteMode::Append ? L"ab" : L"wb";
    portable::UniqueStdioFile f(::_wfopen(p.c_str(), how));
    if (!f)
        return nullptr;
    return std::make_unique<StdioWriter>(std::move(f));
#endif
}

}  // namespace lumo
