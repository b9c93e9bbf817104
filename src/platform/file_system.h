// FileSystem: what the program needs from the file system — existence, one-pass folder listings
// that never follow links, sizes, forced deletion with a result that says why it failed, folder
// creation, atomic replace and in-place binary writing. Paths are UTF-8 text of any length: no
// implementation stops at the system's usual path limit (260 on Windows, 4096 on Linux).
#pragma once

#include <cstddef>
#include <cstdint>
#include <functional>
#include <memory>
#include <optional>
#include <string>
#include <string_view>
#include <system_error>
#include <vector>

namespace lumo {

// The separator file paths are joined with on this platform.
#ifdef _WIN32
inline constexpr char kPathSeparator = '\\';
#else
inline constexpr char kPathSeparator = '/';
#endif

// `folder`, one separator and `name`; no second separator when `folder` already ends with one.
std::string JoinPath(std::string_view folder, std::string_view name);
// The last component of a path (after the last `\` or `/`).
std::string_view FileNameOf(std::string_view path);

// Why a deletion ended as it did.
enum class FileResult {
    Deleted,  // gone
    DeniedOrInUse,  // access refused: held open by another process, or protected
    NotFound,  // there was nothing to delete
    OtherFailure,  // anything else (a folder that is not empty, a bad path, an I/O error)
};

// One entry of a folder listing, with what the listing itself tells, so the walk needs no
// further call per entry.
struct FolderEntry {
    std::string name;
    int64_t size = 0;  // bytes; 0 for folders and links
    bool isFolder = false;  // a folder, or a link to a folder
    bool isLink = false;  // a symbolic link, junction or other reparse point: never entered
};

// A file opened for binary writing; closed when destroyed.
class FileWriter {
public:
    virtual ~FileWriter() = default;
    // Writes all `n` bytes at the current position; false when the system refused.
    virtual bool Write(const char* data, size_t n) = 0;
    // Flushes and closes; false when that failed. Further writes fail.
    virtual bool Close() = 0;
};

// How a whole-file write through a temporary ended: the step that failed and the system's reason.
struct ReplaceResult {
    enum class Step { None, WriteTemporary, Replace };
    Step failed = Step::None;
    std::error_code reason;  // empty when nothing failed

    explicit operator bool() const { return failed == Step::None; }
};

enum class WriteMode {
    InPlace,  // an existing regular file, from offset 0, length kept (bytes beyond what is written stay)
    Append,  // created when missing, positioned at its end
    Create,  // created, or emptied when it exists
};

// RemoveFile and FileExists may be called from several threads at once, while one other thread
// makes any of the calls: a clear run's workers delete while its walk lists and removes folders.
class FileSystem {
public:
    virtual ~FileSystem() = default;

    virtual bool FileExists(std::string_view path) = 0;
    virtual bool FolderExists(std::string_view path) = 0;
    // Whether the path itself is a symbolic link, junction, mount point or other reparse point
    // (whatever it points to, and whether or not that exists).
    virtual bool IsLink(std::string_view path) = 0;

    // The entries of a folder in the order the system gives, subfolders and files alike, in one
    // pass; links are reported as links and never followed, and an entry that vanished while the
    // folder was being listed is left out. False when the folder cannot be read.
    virtual bool ListFolder(std::string_view path, std::vector<FolderEntry>& entries) = 0;

    // Size in bytes of a file; none when it cannot be read.
    virtual std::optional<int64_t> FileSize(std::string_view path) = 0;

    // Deletes a file by force (a read-only one too); a link is removed itself, not its target.
    virtual FileResult RemoveFile(std::string_view path) = 0;
    // Removes an empty folder (read-only too), or a link to a folder (only the link).
    virtual FileResult RemoveFolder(std::string_view path) = 0;
    // Deletes a folder with everything in it by force; links inside are removed, not followed.
    virtual FileResult DeleteFolderTree(std::string_view path) = 0;

    // Creates a folder and the missing folders above it; true when it exists afterwards.
    virtual bool CreateFolder(std::string_view path) = 0;
    // Puts `replacement` in the place of `target` in one step (the target may be missing); on
    // failure both stay as they were.
    virtual bool ReplaceAtomically(std::string_view replacement, std::string_view target) = 0;
    // Writes `bytes` to `temporary` (created, or emptied when it exists), then puts it in the place
    // of `target` in one step, replacing a read-only target too. On failure the temporary file is
    // removed and the target stays as it was. This form is built on OpenForWrite and
    // ReplaceAtomically and knows no reason; the implementations give the system's own.
    virtual ReplaceResult WriteReplacing(std::string_view temporary, std::string_view target, std::string_view bytes);

    // The whole content of a regular file; none when it cannot be read or is no regular file.
    virtual std::optional<std::string> ReadFile(std::string_view path) = 0;
    // Opens a file for binary writing; null when it cannot be opened. InPlace and Create never
    // write through a link: InPlace opens only a regular file with no other name (no link, no
    // second hard link, no device or pipe), Create refuses a path that is a link.
    virtual std::unique_ptr<FileWriter> OpenForWrite(std::string_view path, WriteMode mode) = 0;
};

// A new FileSystem of this build's own kind: the Win32 one in Windows builds, the portable one
// elsewhere. For code that is handed none.
std::unique_ptr<FileSystem> MakeSystemFileSystem();

// Deletes the folder `path` and everything in it through `files`' own listing and removal, a
// level at a time without recursion, so no tree is too deep; links inside are removed as
// themselves. When an entry of a folder refuses removal and `unlock` is given, it is called with
// that folder (never with a folder above `path`) and the removal tried once more. The result is
// that of the folder itself, or the first failure below it.
FileResult DeleteTreeIteratively(FileSystem& files, std::string_view path,
                                 const std::function<void(const std::string&)>& unlock);

}  // namespace lumo
