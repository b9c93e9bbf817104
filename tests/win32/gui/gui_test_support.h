// What the GUI tests share: the services the program's windows run on, a pump that lets the real
// message loop run for a while, a timer that acts inside modal loops, and reading a window's
// class, text, font and place in its form's client area.
#pragma once

#include <array>
#include <chrono>
#include <functional>
#include <map>
#include <memory>
#include <optional>
#include <string>
#include <thread>
#include <vector>

#include <gtest/gtest.h>

#include "platform/portable/memory_registry.h"
#include "platform/portable/portable_shell.h"
#include "platform/win32/win32_clock.h"
#include "platform/win32/win32_file_system.h"
#include "platform/win32/win32_profile_api.h"
#include "registry/reg_value.h"
#include "settings/application.h"
#include "settings/settings_store.h"
#include "support/enciphered_lines.h"
#include "ui/win32/win32_host.h"

#include <commctrl.h>

// The system's structures are filled by naming the fields that matter; the rest are zero, which
// this compiler's warning about designated initializers does not know.
#pragma GCC diagnostic ignored "-Wmissing-field-initializers"

namespace lumo::guitest {

// The program's services as the windows under test get them: an in-memory registry that holds
// the two Software keys, the real file system, profile API and clock, a shell that opens nothing,
// the Win32 host and a scratch folder as the program's folder. Every message box is noted and
// answered with the next of `answers` (none: the real box on screen), or once they are used up
// with its default answer; a handler that fails is noted, and fails the test.
struct GuiProgram {
    GuiProgram() {
        for (int32_t root : {rkLocalMachine, rkCurrentUser}) {
            RegHandle h = 0;
            registry.CreateKey(RootHandle(root), "Software", keyAllAccess, h);
            registry.CloseKey(h);
        }
        Platform p{.registry = &registry, .files = &files, .profiles = &profiles, .shell = &shell, .clock = &clock};
        app = std::make_unique<Application>(p, clock.Now());
        app->ProgramFolder = dir.Path();
        host.OnMessageBox = [this](const MessageBoxRequest& r) -> std::optional<MsgAnswer> {
            boxes.push_back(r.text);
            if (answers.empty())
                return DefaultAnswer(r);
            std::optional<MsgAnswer> a = answers.front();
            answers.erase(answers.begin());
            return a;
        };
        host.OnHandlerFailed = [this](const std::string& where, const std::string& message) {
            failures.push_back(where + ": " + message);
        };
    }
    ~GuiProgram() { EXPECT_EQ(failures, std::vector<std::string>{}) << "handlers that failed"; }
    GuiProgram(const GuiProgram&) = delete;
    GuiProgram& operator=(const GuiProgram&) = delete;
    std::string ConfigPath() const { return dir.Path("PrivacyConfig.dat"); }
    void WriteConfig(const std::vector<std::string>& lines) {
        lumo::testing::WriteBytes(ConfigPath(), lumo::testing::Enciphered(lines));
    }

    lumo::testing::ScratchFolder dir;
    MemoryRegistry registry;
    Win32FileSystem files;
    Win32ProfileApi profiles;
    PortableShell shell;
    Win32Clock clock;
    std::unique_ptr<Application> app;
    SettingsStore store{registry, "C:\\Lumo\\SweepkitLumo.exe"};
    Win32Host host;
    std::vector<std::string> boxes;
    std::vector<std::optional<MsgAnswer>> answers;
    std::vector<std::string> failures;
};

// Runs the message loop until `done` holds or `ms` milliseconds passed; returns done().
inline bool PumpUntil(Win32Host& host, int ms, const std::function<bool()>& done) {
    auto until = std::chrono::steady_clock::now() + std::chrono::milliseconds(ms);
    while (!done()) {
        if (std::chrono::steady_clock::now() > until)
            return false;
        host.DoEvents();
        std::this_thread::sleep_for(std::chrono::milliseconds(5));
    }
    return true;
}
inline bool PumpUntil(Win32Host& host, const std::function<bool()>& done) { return PumpUntil(host, 3000, done); }
inline void PumpFor(Win32Host& host, int ms) {
    PumpUntil(host, ms, [] { return false; });
}

// Calls `tick` every `ms` milliseconds from a timer of the thread, which the modal loops of
// message boxes, menus and modal forms dispatch too, until it answers false or the Ticker goes.
// A tick is never entered again while it runs (a modal loop it opens dispatches the timer).
class Ticker {
public:
    Ticker(int ms, std::function<bool()> tick) : tick_(std::move(tick)), id_(SetTimer(nullptr, 0, ms, OnTimer)) {
        Live()[id_] = this;
    }
    ~Ticker() {
        KillTimer(nullptr, id_);
        Live().erase(id_);
    }
    Ticker(const Ticker&) = delete;
    Ticker& operator=(const Ticker&) = delete;

private:
    static std::map<UINT_PTR, Ticker*>& Live() {
        static std::map<UINT_PTR, Ticker*> live;
        return live;
    }
    // The system's calling convention, which a lambda does not have in the 32-bit build.
    static void CALLBACK OnTimer(HWND, UINT, UINT_PTR id, DWORD) {
        auto it = Live().find(id);
        if (it == Live().end() || it->second->busy_ || it->second->done_)
            return;
        Ticker& t = *it->second;
        t.busy_ = true;
        t.done_ = !t.tick_();
        t.busy_ = false;
    }
    std::function<bool()> tick_;
    UINT_PTR id_;
    bool busy_ = false, done_ = false;
};

inline HWND Of(const Control& control) { return Win32Host::WindowOf(control); }
inline HWND Of(const Form& form) { return Win32Host::WindowOf(form); }
inline LRESULT Send(HWND hwnd, UINT message, WPARAM w = 0, LPARAM l = 0) { return SendMessageW(hwnd, message, w, l); }
inline LRESULT Send(const Control& c, UINT message, WPARAM w = 0, LPARAM l = 0) { return Send(Of(c), message, w, l); }
inline RECT ClientOf(HWND hwnd) {
    RECT r{};
    GetClientRect(hwnd, &r);
    return r;
}
inline RECT ScreenRectOf(HWND hwnd) {
    RECT r{};
    GetWindowRect(hwnd, &r);
    return r;
}
// A rectangle's width and height; its left, top, width and height.
inline std::array<long, 2> SizeOf(const RECT& r) { return {r.right - r.left, r.bottom - r.top}; }
inline std::array<long, 4> BoxOf(const RECT& r) { return {r.left, r.top, r.right - r.left, r.bottom - r.top}; }

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
inline std::string TextOf(const Control& control) { return TextOf(Of(control)); }

inline LOGFONTW FontOf(HWND hwnd) {
    LOGFONTW font{};
    GetObjectW(reinterpret_cast<HFONT>(SendMessageW(hwnd, WM_GETFONT, 0, 0)), sizeof font, &font);
    return font;
}

// A window's place in the client area of `in` (by default its parent), in pixels.
inline RECT PlaceOf(HWND child, HWND in = nullptr) {
    RECT r = ScreenRectOf(child);
    MapWindowPoints(nullptr, in ? in : GetParent(child), reinterpret_cast<POINT*>(&r), 2);
    return r;
}

// Whether an icon handle still names an icon (the bitmaps the question makes are let go again).
inline bool IconAlive(HICON icon) {
    ICONINFO info{};
    if (!GetIconInfo(icon, &info))
        return false;
    DeleteObject(info.hbmColor);
    DeleteObject(info.hbmMask);
    return true;
}

// The text of a list view's cell.
inline std::string CellOf(HWND list, int row, int column) {
    wchar_t text[256] = {};
    LVITEMW item{.iSubItem = column, .pszText = text, .cchTextMax = 256};
    SendMessageW(list, LVM_GETITEMTEXTW, static_cast<WPARAM>(row), reinterpret_cast<LPARAM>(&item));
    return win32::Narrow(text);
}

// Calls `each` for the thread's top-level windows, or for every window inside `parent`, until it
// answers false. The callback has the system's calling convention, which a lambda does not have
// in the 32-bit build.
inline BOOL CALLBACK CallEach(HWND hwnd, LPARAM each) {
    return (*reinterpret_cast<std::function<bool(HWND)>*>(each))(hwnd);
}
inline void ForThreadWindows(std::function<bool(HWND)> each) {
    EnumThreadWindows(GetCurrentThreadId(), CallEach, reinterpret_cast<LPARAM>(&each));
}
inline void ForChildWindows(HWND parent, std::function<bool(HWND)> each) {
    EnumChildWindows(parent, CallEach, reinterpret_cast<LPARAM>(&each));
}

// The shown message box of the thread (class "#32770"), or null.
inline HWND ShownBox() {
    HWND found = nullptr;
    ForThreadWindows([&](HWND hwnd) {
        if (IsWindowVisible(hwnd) && ClassOf(hwnd) == L"#32770")
            found = hwnd;
        return !found;
    });
    return found;
}

// Clicks a button or check box the way the mouse does: the click waits in the queue.
inline void PostClick(const Control& control) { PostMessageW(Of(control), BM_CLICK, 0, 0); }

// A key pressed and let go in a window, waiting in the queue as the keyboard's would.
inline void PostKey(HWND hwnd, WPARAM key) {
    PostMessageW(hwnd, WM_KEYDOWN, key, 0);
    PostMessageW(hwnd, WM_KEYUP, key, 0);
}

// The text of a status bar's panel.
inline std::string PanelText(HWND bar, int panel) {
    wchar_t text[256] = {};
    SendMessageW(bar, SB_GETTEXTW, static_cast<WPARAM>(panel), reinterpret_cast<LPARAM>(text));
    return win32::Narrow(text);
}

// Takes away the quit message a program that ended posted, which would end later message loops.
inline void DropQuit() {
    MSG quit;
    while (PeekMessageW(&quit, nullptr, WM_QUIT, WM_QUIT, PM_REMOVE)) {
    }
}

}  // namespace lumo::guitest
