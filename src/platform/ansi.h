// Conversion between UTF-8 text and the system's ANSI code page, used only where bytes are the
// format: the configuration cipher, INI files, the activity log. On Windows the code page is the
// system's CP_ACP (win32/ansi_code_page.cpp); elsewhere Windows-1252 stands in
// (portable/ansi_code_page.cpp).
#pragma once

#include <string>
#include <string_view>

namespace lumo {

// UTF-8 text to ANSI bytes; characters the code page cannot hold become '?'.
std::string ToAnsi(std::string_view utf8);
// ANSI bytes to UTF-8 text.
std::string FromAnsi(std::string_view ansi);

}  // namespace lumo
