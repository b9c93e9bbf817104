// FileSystem: what the program needs from the file system — existence, one-pass folder listings
// that never follow links, sizes, forced deletion with a result that says why it failed, folder
// creation, atomic replace and in-place binary writing. Paths are UTF-8 text.
#pragma once

#include <cstddef>
#include <cstdint>
#include <memory>
#include <optional>
#include <string>
#include <string_view>
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
    Deleted,         // gone
    DeniedOrInUse,   // access refused: held open by another process, or protected
    NotFound,        // there was nothing to delete
    OtherFailure,    // anything else (a folder that is not empty, a bad path, an I/O error)
};

// One entry of a folder listing, with what the listing itself tells, so the walk needs no
// further call per entry.
struct FolderEntry {
    std::string name;
    int64_t size = 0;        // bytes; 0 for folders and links
    bool isFolder = false;   // a folder, or a link to a folder
    bool isLink = false;     // a symbolic link, junction or other reparse point: never entered
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

enum class WriteMode {
    InPlace,   // an existing file, from offset 0, length kept (bytes beyond what is written stay)
    Append,    // created when missing, positioned at its end
    Create,    // created, or emptied when it exists
};

class FileSystem {
public:
    virtual ~FileSystem() = default;

    virtual bool FileExists(std::string_view path) = 0;
    virtual bool FolderExists(std::string_view path) = 0;

    // The entries of a folder in the order the system gives, subfolders and files alike, in one
    // pass; links are reported as links and never followed. False when the folder cannot be read.
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

    // The whole content of a file; none when it cannot be read.
    virtual std::optional<std::string> ReadFile(std::string_view path) = 0;
    // Opens a file for binary writing; null when it cannot be opened.
    virtual std::unique_ptr<FileWriter> OpenForWrite(std::string_view path, WriteMode mode) = 0;
};

}  // namespace lumo
