// The Win32 FileSystem. Listings come from FindFirstFileExW, which hands over names, sizes and
// attributes in one pass; a reparse point (symbolic link, junction, mount point) is reported as a
// link and removed as itself — RemoveDirectoryW on a directory link removes the link, not the
// folder it points to. Read-only attributes are cleared only after a deletion was refused.
// Every absolute path goes to the system in its long form ("\\?\C:\..." or "\\?\UNC\..."),
// which the file functions take up to 32,767 characters instead of MAX_PATH (260), and which
// also reaches names the short form cannot (a trailing dot or blank).
#include "platform/win32/win32_file_system.h"

#include "platform/win32/win32_handles.h"
#include "platform/win32/windows_api.h"

namespace lumo {

namespace {

using win32::Narrow;
using win32::UniqueFile;
using win32::UniqueFind;

// The path in the form the file functions take at any length: an absolute path ("C:\x",
// "\\server\share\x") gets the "\\?\" prefix, with "/" turned into "\", doubled separators,
// "." and ".." resolved first (the system no longer does that for a prefixed path). Relative
// paths and paths already prefixed stay as they are.
std::wstring Widen(std::string_view utf8) {
    std::wstring path = win32::Widen(utf8);
    for (wchar_t& c : path)
        if (c == L'/')
            c = L'\\';
    bool drive = path.size() >= 3 && path[1] == L':' && path[2] == L'\\' &&
                 ((path[0] >= L'A' && path[0] <= L'Z') || (path[0] >= L'a' && path[0] <= L'z'));
    bool unc = path.size() > 2 && path[0] == L'\\' && path[1] == L'\\' && path[2] != L'?' && path[2] != L'.';
    if (!drive && !unc)
        return path;
    // The part that ".." never climbs above: "C:" or "\\server\share".
    size_t rootEnd = 2;
    if (unc) {
        size_t server = path.find(L'\\', 2);
        size_t share = server == std::wstring::npos ? std::wstring::npos : path.find(L'\\', server + 1);
        rootEnd = share == std::wstring::npos ? path.size() : share;
    }
    std::wstring out = unc ? L"\\\\?\\UNC\\" + path.substr(2, rootEnd - 2) : L"\\\\?\\" + path.substr(0, rootEnd);
    const size_t base = out.size();
    size_t pos = rootEnd;
    while (pos < path.size()) {
        size_t next = path.find(L'\\', pos + 1);
        if (next == std::wstring::npos)
            next = path.size();
        std::wstring_view name(path.data() + pos + 1, next > pos ? next - pos - 1 : 0);
        if (name == L"..") {
            size_t cut = out.rfind(L'\\');
            if (cut != std::wstring::npos && cut >= base)
                out.resize(cut);
        } else if (!name.empty() && name != L".") {
            out.push_back(L'\\');
            out.append(name);
        }
        pos = next;
    }
    if (out.size() == base)
        out.push_back(L'\\');  // the root itself: "\\?\C:\"
    return out;
}

FileResult FromError(DWORD error) {
    switch (error) {
    case ERROR_FILE_NOT_FOUND:
    case ERROR_PATH_NOT_FOUND:
        return FileResult::NotFound;
    case ERROR_ACCESS_DENIED:
    case ERROR_SHARING_VIOLATION:
    case ERROR_LOCK_VIOLATION:
    case ERROR_WRITE_PROTECT:
        return FileResult::DeniedOrInUse;
    default:
        return FileResult::OtherFailure;
    }
}

DWORD Attributes(const std::wstring& path) { return GetFileAttributesW(path.c_str()); }

bool IsDot(const wchar_t* name) { return name[0] == L'.' && (name[1] == 0 || (name[1] == L'.' && name[2] == 0)); }

// Calls `each` for every entry of a folder; false when the folder cannot be listed.
template <class Each>
bool ForEachEntry(const std::wstring& folder, Each each) {
    std::wstring pattern = folder;
    if (!pattern.empty() && pattern.back() != L'\\' && pattern.back() != L'/')
        pattern.push_back(L'\\');
    pattern.push_back(L'*');
    WIN32_FIND_DATAW data;
    UniqueFind find(FindFirstFileExW(pattern.c_str(), FindExInfoBasic, &data, FindExSearchNameMatch, nullptr,
                                     FIND_FIRST_EX_LARGE_FETCH));
    if (!find)
        return false;
    do {
        if (!IsDot(data.cFileName))
            each(data);
    } while (FindNextFileW(find.get(), &data));
    return GetLastError() == ERROR_NO_MORE_FILES;
}

FileResult DeleteFileW32(const std::wstring& path) {
    if (DeleteFileW(path.c_str()))
        return FileResult::Deleted;
    DWORD error = GetLastError();
    if (error == ERROR_ACCESS_DENIED) {
        DWORD attrs = Attributes(path);
        if (attrs != INVALID_FILE_ATTRIBUTES && (attrs & FILE_ATTRIBUTE_DIRECTORY))
            return FileResult::OtherFailure;
        if (attrs != INVALID_FILE_ATTRIBUTES && (attrs & FILE_ATTRIBUTE_READONLY)) {
            SetFileAttributesW(path.c_str(), attrs & ~FILE_ATTRIBUTE_READONLY);
            if (DeleteFileW(path.c_str()))
                return FileResult::Deleted;
            error = GetLastError();
            SetFileAttributesW(path.c_str(), attrs);
        }
    }
    return FromError(error);
}

FileResult RemoveFolderW32(const std::wstring& path) {
    if (RemoveDirectoryW(path.c_str()))
        return FileResult::Deleted;
    DWORD error = GetLastError();
    if (error == ERROR_ACCESS_DENIED) {
        DWORD attrs = Attributes(path);
        if (attrs != INVALID_FILE_ATTRIBUTES && (attrs & FILE_ATTRIBUTE_READONLY)) {
            SetFileAttributesW(path.c_str(), attrs & ~FILE_ATTRIBUTE_READONLY);
            if (RemoveDirectoryW(path.c_str()))
                return FileResult::Deleted;
            error = GetLastError();
            SetFileAttributesW(path.c_str(), attrs);
        }
    }
    if (error == ERROR_DIR_NOT_EMPTY || error == ERROR_DIRECTORY)
        return FileResult::OtherFailure;
    return FromError(error);
}

class Win32Writer : public FileWriter {
public:
    explicit Win32Writer(UniqueFile h) : h_(std::move(h)) {}
    HANDLE get() const { return h_.get(); }
    bool Write(const char* data, size_t n) override {
        while (n > 0) {
            DWORD chunk = n > 0x40000000u ? 0x40000000u : static_cast<DWORD>(n);
            DWORD written = 0;
            if (!h_ || !WriteFile(h_.get(), data, chunk, &written, nullptr) || written == 0)
                return false;
            data += written;
            n -= written;
        }
        return static_cast<bool>(h_);
    }
    bool Close() override {
        if (!h_)
            return false;
        h_.reset();
        return true;
    }

private:
    UniqueFile h_;
};

}  // namespace

bool Win32FileSystem::FileExists(std::string_view path) {
    DWORD attrs = Attributes(Widen(path));
    return attrs != INVALID_FILE_ATTRIBUTES && !(attrs & FILE_ATTRIBUTE_DIRECTORY);
}

bool Win32FileSystem::FolderExists(std::string_view path) {
    DWORD attrs = Attributes(Widen(path));
    return attrs != INVALID_FILE_ATTRIBUTES && (attrs & FILE_ATTRIBUTE_DIRECTORY);
}

bool Win32FileSystem::IsLink(std::string_view path) {
    DWORD attrs = Attributes(Widen(path));
    return attrs != INVALID_FILE_ATTRIBUTES && (attrs & FILE_ATTRIBUTE_REPARSE_POINT);
}

bool Win32FileSystem::ListFolder(std::string_view path, std::vector<FolderEntry>& entries) {
    entries.clear();
    return ForEachEntry(Widen(path), [&entries](const WIN32_FIND_DATAW& data) {
        FolderEntry& e = entries.emplace_back();
        e.name = Narrow(data.cFileName);
        e.isFolder = data.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY;
        e.isLink = data.dwFileAttributes & FILE_ATTRIBUTE_REPARSE_POINT;
        if (!e.isFolder && !e.isLink)
            e.size = static_cast<int64_t>((static_cast<uint64_t>(data.nFileSizeHigh) << 32) | data.nFileSizeLow);
    });
}

std::optional<int64_t> Win32FileSystem::FileSize(std::string_view path) {
    WIN32_FILE_ATTRIBUTE_DATA data;
    if (!GetFileAttributesExW(Widen(path).c_str(), GetFileExInfoStandard, &data) ||
        (data.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY))
        return std::nullopt;
    return static_cast<int64_t>((static_cast<uint64_t>(data.nFileSizeHigh) << 32) | data.nFileSizeLow);
}

FileResult Win32FileSystem::RemoveFile(std::string_view path) { return DeleteFileW32(Widen(path)); }

FileResult Win32FileSystem::RemoveFolder(std::string_view path) { return RemoveFolderW32(Widen(path)); }

FileResult Win32FileSystem::DeleteFolderTree(std::string_view path) {
    std::wstring wide = Widen(path);
    DWORD attrs = Attributes(wide);
    if (attrs == INVALID_FILE_ATTRIBUTES)
        return FromError(GetLastError());
    if (!(attrs & FILE_ATTRIBUTE_DIRECTORY))
        return FileResult::OtherFailure;
    if (attrs & FILE_ATTRIBUTE_REPARSE_POINT)
        return RemoveFolderW32(wide);
    // Read-only entries need no unlocking: the removals clear the attribute themselves.
    return DeleteTreeIteratively(*this, path, nullptr);
}

bool Win32FileSystem::CreateFolder(std::string_view path) {
    std::wstring wide = Widen(path);
    for (size_t i = 1; i <= wide.size(); ++i) {
        if (i == wide.size() || wide[i] == L'\\' || wide[i] == L'/') {
            std::wstring prefix = wide.substr(0, i);
            if (!prefix.empty() && prefix.back() != L':')
                CreateDirectoryW(prefix.c_str(), nullptr);
        }
    }
    DWORD attrs = Attributes(wide);
    return attrs != INVALID_FILE_ATTRIBUTES && (attrs & FILE_ATTRIBUTE_DIRECTORY);
}

bool Win32FileSystem::ReplaceAtomically(std::string_view replacement, std::string_view target) {
    return MoveFileExW(Widen(replacement).c_str(), Widen(target).c_str(),
                       MOVEFILE_REPLACE_EXISTING | MOVEFILE_WRITE_THROUGH) != 0;
}

std::optional<std::string> Win32FileSystem::ReadFile(std::string_view path) {
    UniqueFile h(CreateFileW(Widen(path).c_str(), GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE,
                             nullptr, OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr));
    if (!h || GetFileType(h.get()) != FILE_TYPE_DISK)
        return std::nullopt;
    std::string bytes;
    char buffer[65536];
    DWORD got = 0;
    for (;;) {
        if (!::ReadFile(h.get(), buffer, sizeof buffer, &got, nullptr))
            return std::nullopt;
        if (got == 0)
            break;
        bytes.append(buffer, got);
    }
    return bytes;
}

std::unique_ptr<FileWriter> Win32FileSystem::OpenForWrite(std::string_view path, WriteMode mode) {
    // Read and write sharing stay open so a file another process holds (an index.dat in use) can
    // still be overwritten in place.
    DWORD access = mode == WriteMode::Append ? FILE_APPEND_DATA : GENERIC_WRITE;
    DWORD disposition = mode == WriteMode::InPlace  ? OPEN_EXISTING
                        : mode == WriteMode::Append ? OPEN_ALWAYS
                                                    : CREATE_ALWAYS;
    std::wstring wide = Widen(path);
    if (mode == WriteMode::Create) {
        DWORD attrs = Attributes(wide);
        if (attrs != INVALID_FILE_ATTRIBUTES && (attrs & FILE_ATTRIBUTE_REPARSE_POINT))
            return nullptr;  // CREATE_ALWAYS would write to what the link points to
    }
    // In place, the link itself is opened (FILE_FLAG_OPEN_REPARSE_POINT) and then refused, so
    // no link is ever written through; so is a file with a second hard link elsewhere.
    DWORD flags = FILE_ATTRIBUTE_NORMAL | (mode == WriteMode::InPlace ? FILE_FLAG_OPEN_REPARSE_POINT : 0);
    UniqueFile file(
        CreateFileW(wide.c_str(), access, FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr, disposition, flags, nullptr));
    if (!file)
        return nullptr;
    auto writer = std::make_unique<Win32Writer>(std::move(file));
    HANDLE h = writer->get();
    if (mode == WriteMode::InPlace) {
        BY_HANDLE_FILE_INFORMATION info;
        if (GetFileType(h) != FILE_TYPE_DISK || !GetFileInformationByHandle(h, &info) ||
            (info.dwFileAttributes & (FILE_ATTRIBUTE_REPARSE_POINT | FILE_ATTRIBUTE_DIRECTORY)) ||
            info.nNumberOfLinks != 1)
            return nullptr;
    }
    if (mode == WriteMode::Append)
        SetFilePointer(h, 0, nullptr, FILE_END);
    return writer;
}

// A failure's reason in the C library's words, as every other build gives it ("No such file or
// directory"); the system's own words for what that has no name for.
static std::error_code ReasonOf(DWORD error) {
    switch (error) {
    case ERROR_FILE_NOT_FOUND:
    case ERROR_PATH_NOT_FOUND:
    case ERROR_INVALID_DRIVE:
    case ERROR_BAD_NETPATH:
        return std::make_error_code(std::errc::no_such_file_or_directory);
    case ERROR_ACCESS_DENIED:
    case ERROR_SHARING_VIOLATION:
    case ERROR_LOCK_VIOLATION:
        return std::make_error_code(std::errc::permission_denied);
    case ERROR_FILE_EXISTS:
    case ERROR_ALREADY_EXISTS:
        return std::make_error_code(std::errc::file_exists);
    case ERROR_DISK_FULL:
    case ERROR_HANDLE_DISK_FULL:
        return std::make_error_code(std::errc::no_space_on_device);
    case ERROR_WRITE_PROTECT:
        return std::make_error_code(std::errc::read_only_file_system);
    case ERROR_DIR_NOT_EMPTY:
        return std::make_error_code(std::errc::directory_not_empty);
    case ERROR_INVALID_NAME:
        return std::make_error_code(std::errc::invalid_argument);
    default:
        return std::error_code(static_cast<int>(error ? error : ERROR_GEN_FAILURE), std::system_category());
    }
}

ReplaceResult Win32FileSystem::WriteReplacing(std::string_view temporary, std::string_view target,
                                              std::string_view bytes) {
    ReplaceResult result;
    auto fail = [&](ReplaceResult::Step step, DWORD error) {
        result.failed = step;
        result.reason = ReasonOf(error);
        RemoveFile(temporary);
        return result;
    };
    std::wstring from = Widen(temporary), to = Widen(target);
    win32::UniqueFile file(
        CreateFileW(from.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr));
    if (!file)
        return fail(ReplaceResult::Step::WriteTemporary, GetLastError());
    for (size_t done = 0; done < bytes.size();) {
        constexpr size_t kMostAtOnce = size_t{1} << 30;
        DWORD chunk = static_cast<DWORD>(bytes.size() - done < kMostAtOnce ? bytes.size() - done : kMostAtOnce);
        DWORD wrote = 0;
        // A write that reports success but wrote nothing would never end: it counts as a fault.
        BOOL ok = ::WriteFile(file.get(), bytes.data() + done, chunk, &wrote, nullptr);
        if (!ok || wrote == 0) {
            DWORD error = ok ? ERROR_WRITE_FAULT : GetLastError();
            file.reset();
            return fail(ReplaceResult::Step::WriteTemporary, error);
        }
        done += wrote;
    }
    if (!win32::CloseChecked(file))
        return fail(ReplaceResult::Step::WriteTemporary, GetLastError());
    // MoveFileExW refuses to replace a read-only file: the attribute goes first, and comes back
    // when the replace fails.
    DWORD attrs = GetFileAttributesW(to.c_str());
    bool unlocked = attrs != INVALID_FILE_ATTRIBUTES && (attrs & FILE_ATTRIBUTE_READONLY) &&
                    !(attrs & FILE_ATTRIBUTE_DIRECTORY) &&
                    SetFileAttributesW(to.c_str(), attrs & ~FILE_ATTRIBUTE_READONLY);
    if (!MoveFileExW(from.c_str(), to.c_str(), MOVEFILE_REPLACE_EXISTING | MOVEFILE_WRITE_THROUGH)) {
        DWORD error = GetLastError();
        if (unlocked)
            SetFileAttributesW(to.c_str(), attrs);
        return fail(ReplaceResult::Step::Replace, error);
    }
    return result;
}

}  // namespace lumo
