// Windows-1252, the code page that stands in for the system's ANSI code page off Windows, and
// the known code page the tests convert with.
#pragma once

#include <string>
#include <string_view>

namespace lumo {

// UTF-8 text to Windows-1252 bytes; characters it cannot hold become '?'.
std::string Utf8ToWindows1252(std::string_view utf8);
// Windows-1252 bytes to UTF-8 text.
std::string Windows1252ToUtf8(std::string_view bytes);

}  // namespace lumo
