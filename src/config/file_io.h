// The few file operations the configuration file needs: UTF-8 paths, reading a whole file and
// swapping a written file in with one replace. Small on purpose: the engine's FileSystem takes
// them over once it has an atomic replace.
#pragma once

#include <filesystem>
#include <string>
#include <string_view>
#include <system_error>

namespace lumo {

// A UTF-8 path; off Windows "\" also separates, so paths written for Windows work in tests.
std::filesystem::path PathFromUtf8(std::string_view utf8);

enum class ReadResult { ok, notFound, failed };
ReadResult ReadWholeFile(const std::filesystem::path& path, std::string& bytes);

// Writes `bytes` to `path`, replacing what is there. Empty when written; otherwise why not.
std::error_code WriteWholeFile(const std::filesystem::path& path, std::string_view bytes);

// Puts `source` in the place of `target` in one step, replacing it even when it is read-only.
std::error_code ReplaceFile(const std::filesystem::path& source, const std::filesystem::path& target);

}  // namespace lumo
