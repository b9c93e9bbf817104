// Path text helpers shared by every FileSystem.
#include "platform/file_system.h"

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

}  // namespace lumo
