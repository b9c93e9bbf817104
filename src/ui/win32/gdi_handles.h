// The window-system and drawing objects the Win32 backend owns, each a UniqueHandle with its
// destroy call written once here, and the scoped helpers for a device context and an object
// selected into one: no other file destroys or releases these itself.
#pragma once

#include "base/unique_handle.h"
#include "platform/win32/windows_api.h"

#include <commctrl.h>

namespace lumo::win32 {

struct IconTraits {
    using Handle = HICON;
    static Handle Invalid() { return nullptr; }
    static void Close(Handle h) { DestroyIcon(h); }
};
using UniqueIcon = UniqueHandle<IconTraits>;

struct ImageListTraits {
    using Handle = HIMAGELIST;
    static Handle Invalid() { return nullptr; }
    static void Close(Handle h) { ImageList_Destroy(h); }
};
using UniqueImageList = UniqueHandle<ImageListTraits>;

struct MenuTraits {
    using Handle = HMENU;
    static Handle Invalid() { return nullptr; }
    static void Close(Handle h) { DestroyMenu(h); }
};
using UniqueMenu = UniqueHandle<MenuTraits>;

// Fonts, brushes, pens and bitmaps.
template <class T>
struct GdiObjectTraits {
    using Handle = T;
    static Handle Invalid() { return nullptr; }
    static void Close(Handle h) { DeleteObject(h); }
};
using UniqueFont = UniqueHandle<GdiObjectTraits<HFONT>>;
using UniqueBrush = UniqueHandle<GdiObjectTraits<HBRUSH>>;
using UniqueBitmap = UniqueHandle<GdiObjectTraits<HBITMAP>>;

// A window the program created and destroys: a form's top-level window, or a control's window,
// which its peer destroys when the peer goes first (a control's window that died with its
// parent is given up with release()).
struct WindowTraits {
    using Handle = HWND;
    static Handle Invalid() { return nullptr; }
    static void Close(Handle h) { DestroyWindow(h); }
};
using UniqueWindow = UniqueHandle<WindowTraits>;

// A memory DC from CreateCompatibleDC.
struct MemoryDcTraits {
    using Handle = HDC;
    static Handle Invalid() { return nullptr; }
    static void Close(Handle h) { DeleteDC(h); }
};
using UniqueMemoryDc = UniqueHandle<MemoryDcTraits>;

// A window's DC from GetDC, released to that window.
struct WindowDcTraits {
    using Handle = HDC;
    HWND window = nullptr;
    static Handle Invalid() { return nullptr; }
    void Close(Handle h) const { ReleaseDC(window, h); }
};
class ScopedWindowDc : public UniqueHandle<WindowDcTraits> {
public:
    // hwnd null: the screen.
    explicit ScopedWindowDc(HWND hwnd) : UniqueHandle<WindowDcTraits>(GetDC(hwnd), WindowDcTraits{hwnd}) {}
};

// Selects an object into a DC and puts the previous one back when it leaves scope.
class ScopedSelect {
public:
    ScopedSelect(HDC dc, HGDIOBJ object) : dc_(dc), old_(object ? SelectObject(dc, object) : nullptr) {}
    ~ScopedSelect() {
        if (old_)
            SelectObject(dc_, old_);
    }
    ScopedSelect(const ScopedSelect&) = delete;
    ScopedSelect& operator=(const ScopedSelect&) = delete;

private:
    HDC dc_;
    HGDIOBJ old_;
};

}  // namespace lumo::win32
