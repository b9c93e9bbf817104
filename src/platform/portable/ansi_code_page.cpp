// Off Windows the ANSI code page is Windows-1252.
#ifndef _WIN32
#include "base/windows1252.h"
#include "platform/ansi.h"

namespace lumo {

std::string ToAnsi(std::string_view utf8) { return Utf8ToWindows1252(utf8); }
std::string FromAnsi(std::string_view ansi) { return Windows1252ToUtf8(ansi); }

}  // namespace lumo
#endif
