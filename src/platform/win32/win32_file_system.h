// The FileSystem of the Windows program, over the wide Win32 file functions.
#pragma once

#include "platform/file_system.h"

namespace lumo {

class Win32FileSystem : public FileSystem {
public:
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
};

}  // namespace lumo
