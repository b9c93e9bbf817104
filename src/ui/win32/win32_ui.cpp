// DPI and icons.
#include "ui/win32/win32_ui.h"

#include "ui/win32/gdi_handles.h"

namespace lumo::win32 {

int WindowDpi(HWND window) {
    // GetDpiForWindow exists from Windows 10 on; the program also runs where it does not.
    using GetDpiForWindowFn = UINT(WINAPI*)(HWND);
    static const auto getDpiForWindow = reinterpret_cast<GetDpiForWindowFn>(
        reinterpret_cast<void*>(GetProcAddress(GetModuleHandleW(L"user32.dll"), "GetDpiForWindow")));
    if (window && getDpiForWindow) {
        UINT dpi = getDpiForWindow(window);
        if (dpi > 0)
            return static_cast<int>(dpi);
    }
    ScopedWindowDc screen(nullptr);
    int dpi = screen ? GetDeviceCaps(screen.get(), LOGPIXELSY) : 96;
    return dpi > 0 ? dpi : 96;
}

HICON LoadProgramIcon(HINSTANCE instance, const std::string& name, int size) {
    HANDLE icon = nullptr;
    if (!name.empty())
        icon = LoadImageW(instance, Widen(name).c_str(), IMAGE_ICON, size, size, LR_DEFAULTCOLOR);
    if (!icon)
        icon =
            LoadImageW(nullptr, MAKEINTRESOURCEW(32512) /* IDI_APPLICATION */, IMAGE_ICON, size, size, LR_DEFAULTCOLOR);
    return static_cast<HICON>(icon);
}

}  // namespace lumo::win32
