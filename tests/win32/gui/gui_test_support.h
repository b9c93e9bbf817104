// What the GUI tests share: a pump that lets the real message loop run for a while, and reading
// a window's class, text and place in its form's client area.
#pragma once

#include <chrono>
#include <functional>
#include <string>
#include <thread>

#include "ui/win32/win32_host.h"

namespace lumo::guitest {

// Runs the message loop until `done` holds or `ms` milliseconds passed; returns done().
inline bool PumpUntil(Win32Host& host, const std::function<bool()>& done, int ms = 3000) {
    auto until = std::chrono::steady_clock::now() + std::chrono::milliseconds(ms);
    while (!done()) {
        if (std::chrono::steady_clock::now() > until)
            return false;
        host.DoEvents();
        std::this_thread::sleep_for(std::chrono::milliseconds(5));
    }
    return true;
}

inline void PumpFor(Win32Host& host, int ms) {
    PumpUntil(
        host, [] { return false; }, ms);
}

inline std::wstring ClassOf(HWND hwnd) {
    wchar_t name[128] = {};
    GetClassNameW(hwnd, name, 128);
    return name;
}

inline std::string TextOf(HWND hwnd) {
    wchar_t text[512] = {};
    GetWindowTextW(hwnd, text, 512);
    return win32::Narrow(text);
}

// A child's place in its parent's client area, in pixels.
inline RECT PlaceOf(HWND child) {
    RECT r{};
    GetWindowRect(child, &r);
    MapWindowPoints(nullptr, GetParent(child), reinterpret_cast<POINT*>(&r), 2);
    return r;
}

}  // namespace lumo::guitest
