// A file system as a standard user meets Program Files: everything can be read, but nothing can be
// made, written, replaced or removed inside the locked folder. Wraps a real file system; tests
// may also refuse one kind of write everywhere, to see how a half-writable folder is judged.
#pragma once

#include <cstdint>
#include <memory>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "platform/file_system.h"

namespace lumo::testing {

class LockedFolderFiles : public FileSystem {
public:
    LockedFolderFiles(FileSystem& inner, std::string locked) : inner_(inner), locked_(std::move(locked)) {}

    // Refusals that hold outside the locked folder too.
    bool refuseCreate = false;
    bool refuseWrite = false;
    bool refuseRemove = false;

    bool FileExists(std::string_view path) override { return inner_.FileExists(path); }
    bool FolderExists(std::string_view path) override { return inner_.FolderExists(path); }
    bool IsLink(std::string_view path) override { return inner_.IsLink(path); }
    bool ListFolder(std::string_view path, std::vector<FolderEntry>& entries) override {
        return inner_.ListFolder(path, entries);
    }
    std::optional<int64_t> FileSize(std::string_view path) override { return inner_.FileSize(path); }
    FileResult RemoveFile(std::string_view path) override {
        return Refused(path, refuseRemove) ? FileResult::DeniedOrInUse : inner_.RemoveFile(path);
    }
    FileResult RemoveFolder(std::string_view path) override {
        return Refused(path, refuseRemove) ? FileResult::DeniedOrInUse : inner_.RemoveFolder(path);
    }
    FileResult DeleteFolderTree(std::string_view path) override {
        return Refused(path, refuseRemove) ? FileResult::DeniedOrInUse : inner_.DeleteFolderTree(path);
    }
    bool CreateFolder(std::string_view path) override {
        if (inner_.FolderExists(path))
            return true;
        return !Refused(path, refuseCreate) && inner_.CreateFolder(path);
    }
    bool ReplaceAtomically(std::string_view replacement, std::string_view target) override {
        return !Refused(target, refuseWrite) && !Refused(replacement, refuseWrite) &&
               inner_.ReplaceAtomically(replacement, target);
    }
    std::optional<std::string> ReadFile(std::string_view path) override { return inner_.ReadFile(path); }
    std::unique_ptr<FileWriter> OpenForWrite(std::string_view path, WriteMode mode) override {
        bool creates = !inner_.FileExists(path);
        if (Refused(path, refuseWrite || (creates && refuseCreate)))
            return nullptr;
        return inner_.OpenForWrite(path, mode);
    }

private:
    bool Refused(std::string_view path, bool everywhere) {
        bool inside = path.size() > locked_.size() && path.substr(0, locked_.size()) == locked_ &&
                      (path[locked_.size()] == '\\' || path[locked_.size()] == '/');
        return everywhere || inside || path == locked_;
    }

    FileSystem& inner_;
    std::string locked_;
};

}  // namespace lumo::testing
