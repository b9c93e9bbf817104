// What the Win32 backend's pieces share: the Windows headers with the common controls, twips to
// pixels at a given DPI, and the loading of the program's icons by resource name.
#pragma once

#include "platform/win32/windows_api.h"

#include <commctrl.h>
#include <shellapi.h>

#include <cstdint>
#include <string>

namespace lumo::win32 {

inline int TwipsToPixels(int32_t twips, int dpi) { return MulDiv(twips, dpi, 1440); }
inline int32_t PixelsToTwips(int pixels, int dpi) { return MulDiv(pixels, 1440, dpi); }

// The DPI of the monitor a window is on (96 when the system cannot tell).
int WindowDpi(HWND window);

// Loads an icon of the program by resource name ("app", "winshow") at a square size in pixels;
// the system's application icon stands in for a name the program does not carry. The caller
// destroys the icon.
HICON LoadProgramIcon(HINSTANCE instance, const std::string& name, int size);

// Messages the backend posts to its own windows.
constexpr UINT kTrayMessage = WM_APP + 1;

}  // namespace lumo::win32
