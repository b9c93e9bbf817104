// The FileSystem of non-Windows builds and of the tests: POSIX calls where speed matters,
// std::filesystem elsewhere. Accepts `\` as a separator too, so configuration paths written for
// Windows work.
#pragma once

#include <memory>
#include <mutex>
#include <string>

#include "platform/file_system.h"
#include "platform/portable/posix_handles.h"

namespace lumo {

class PortableFileSystem : public FileSystem {
public:
    PortableFileSystem() = default;
    ~PortableFileSystem() override;
    PortableFileSystem(const PortableFileSystem&) = delete;
    PortableFileSystem& operator=(const PortableFileSystem&) = delete;

    bool FileExists(std::string_view path) override;
    bool FolderExists(std::string_view path) override;
    bool IsLink(std::string_view path) override;
    bool ListFolder(std::string_view path, std::vector<FolderEntry>& entries) override;
    std::optional<int64_t> FileSize(std::string_view path) override;
    FileResult RemoveFile(std::string_view path) override;
    FileResult RemoveFolder(std::string_view path) override;
    FileResult DeleteFolderTree(std::string_view path) override;
    bool CreateFolder(std::string_view path) override;
    bool ReplaceAtomically(std::string_view replacement, std::string_view target) override;
    ReplaceResult WriteReplacing(std::string_view temporary, std::string_view target, std::string_view bytes) override;
    std::optional<std::string> ReadFile(std::string_view path) override;
    std::unique_ptr<FileWriter> OpenForWrite(std::string_view path, WriteMode mode) override;

private:
    // Off Windows: the folder listed last stays open, so deleting the files just listed goes
    // through it (unlinkat) instead of resolving every full path again. Deletions may run on
    // other threads while the walk lists on: the lock guards the pair, and a deletion keeps the
    // folder open while it uses it.
    void ForgetListedFolder();
    std::mutex listedMutex_;
#ifndef _WIN32
    std::shared_ptr<const portable::UniqueFd> listedFd_;
#endif
    std::string listedFolder_;
};

}  // namespace lumo
