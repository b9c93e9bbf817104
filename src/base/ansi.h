// Conversion between UTF-8 text and the system's ANSI code page, used only where bytes are the
// format: the configuration cipher, INI files, the activity log. On Windows the code page is the
// system's CP_ACP; elsewhere Windows-1252 stands in.
#pragma once

#include <string>
#include <string_view>

namespace lumo {

// UTF-8 text to ANSI bytes; characters the code page cannot hold become '?'.
std::string ToAnsi(std::string_view utf8);
// ANSI bytes to UTF-8 text.
std::string FromAnsi(std::string_view ansi);

// The Windows-1252 forms, used natively and by the tests that need a known code page.
std::string Utf8ToWindows1252(std::string_view utf8);
std::string Windows1252ToUtf8(std::string_view bytes);

}  // namespace lumo
