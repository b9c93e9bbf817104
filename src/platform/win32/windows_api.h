// The one way the Win32 folders include <windows.h>: wide functions, lean headers, no min/max
// macros, Windows 7 API level. The build defines the same macros; they are repeated here so the
// header stands on its own.
#pragma once

#ifndef UNICODE
#define UNICODE
#endif
#ifndef _UNICODE
#define _UNICODE
#endif
#ifndef WIN32_LEAN_AND_MEAN
#define WIN32_LEAN_AND_MEAN
#endif
#ifndef NOMINMAX
#define NOMINMAX
#endif

#include <windows.h>

#include <string>
#include <string_view>

namespace lumo::win32 {

// The one pair of UTF-8 <-> UTF-16 conversions; UTF-16 never leaves the Win32 folders.
std::wstring Widen(std::string_view utf8);
std::string Narrow(std::wstring_view utf16);

}  // namespace lumo::win32
