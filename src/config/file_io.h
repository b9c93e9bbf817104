// Reading the configuration file whole through the FileSystem, with the difference between a
// file that is missing and one that cannot be read.
#pragma once

#include <string>
#include <string_view>

namespace lumo {

class FileSystem;

enum class ReadResult { ok, notFound, failed };
ReadResult ReadWholeFile(FileSystem& files, std::string_view path, std::string& bytes);

}  // namespace lumo
