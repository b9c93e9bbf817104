// Path text helpers and operations shared by every FileSystem.
#include "platform/file_system.h"

#include <vector>

#ifdef _WIN32
#include "platform/win32/win32_file_system.h"
#else
#include "platform/portable/portable_file_system.h"
#endif

namespace lumo {

std::string JoinPath(std::string_view folder, std::string_view name) {
    std::string out;
    out.reserve(folder.size() + 1 + name.size());
    out.append(folder);
    if (!out.empty() && out.back() != '\\' && out.back() != '/')
        out.push_back(kPathSeparator);
    out.append(name);
    return out;
}

std::string_view FileNameOf(std::string_view path) {
    size_t cut = path.find_last_of("\\/");
    return cut == std::string_view::npos ? path : path.substr(cut + 1);
}

ReplaceResult FileSystem::WriteReplacing(std::string_view temporary, std::string_view target, std::string_view bytes) {
    ReplaceResult result;
    std::unique_ptr<FileWriter> writer = OpenForWrite(temporary, WriteMode::Create);
    bool written = writer && writer->Write(bytes.data(), bytes.size());
    written = writer && writer->Close() && written;
    writer.reset();
    if (!written)
        result.failed = ReplaceResult::Step::WriteTemporary;
    else if (!ReplaceAtomically(temporary, target))
        result.failed = ReplaceResult::Step::Replace;
    if (!result) {
        result.reason = std::make_error_code(std::errc::io_error);
        RemoveFile(temporary);
    }
    return result;
}

std::unique_ptr<FileSystem> MakeSystemFileSystem() {
#ifdef _WIN32
    return std::make_unique<Win32FileSystem>();
#else
    return std::make_unique<PortableFileSystem>();
#endif
}

FileResult DeleteTreeIteratively(FileSystem& files, std::string_view path,
                                 const std::function<void(const std::string&)>& unlock) {
    struct Level {
        std::string path;
        size_t parent;  // index of the level it lies in; none for the top
        bool listed = false;
    };
    constexpr size_t kNone = static_cast<size_t>(-1);
    FileResult first = FileResult::Deleted;
    auto note = [&first](FileResult r) {
        if (r != FileResult::Deleted && r != FileResult::NotFound && first == FileResult::Deleted)
            first = r;
    };
    // Tries a removal, then once more after unlocking the folder it lies in.
    auto remove = [&](bool isFolder, const std::string& entry, const std::string* folder) {
        auto once = [&] { return isFolder ? files.RemoveFolder(entry) : files.RemoveFile(entry); };
        FileResult r = once();
        if (r == FileResult::DeniedOrInUse && unlock && folder) {
            unlock(*folder);
            r = once();
        }
        return r;
    };

    std::vector<Level> stack{{std::string(path), kNone}};
    std::vector<FolderEntry> entries;
    while (!stack.empty()) {
        size_t at = stack.size() - 1;
        if (!stack[at].listed) {
            stack[at].listed = true;
            const std::string folder = stack[at].path;
            bool listed = files.ListFolder(folder, entries);
            if (!listed && unlock) {
                unlock(folder);
                listed = files.ListFolder(folder, entries);
            }
            if (!listed)
                continue;  // its own removal below says what is left
            for (const FolderEntry& e : entries) {
                std::string entry = JoinPath(folder, e.name);
                if (e.isFolder && !e.isLink)
                    stack.push_back({std::move(entry), at});
                else
                    note(remove(e.isFolder, entry, &folder));
            }
            continue;
        }
        Level done = std::move(stack[at]);
        stack.pop_back();
        FileResult self = remove(true, done.path, done.parent == kNone ? nullptr : &stack[done.parent].path);
        if (done.parent == kNone)
            return self == FileResult::Deleted ? self : (first != FileResult::Deleted ? first : self);
        note(self);
    }
    return first;
}

}  // namespace lumo
