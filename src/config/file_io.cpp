// Reading the configuration file.
#include "config/file_io.h"

#include <optional>

#include "platform/file_system.h"

namespace lumo {

ReadResult ReadWholeFile(FileSystem& files, std::string_view path, std::string& bytes) {
    std::optional<std::string> content = files.ReadFile(path);
    if (content) {
        bytes = std::move(*content);
        return ReadResult::ok;
    }
    // Something that is there but no readable file (a folder, a file refused to us) is not missing.
    return files.FileExists(path) || files.FolderExists(path) ? ReadResult::failed : ReadResult::notFound;
}

}  // namespace lumo
