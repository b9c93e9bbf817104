// What the GUI tests share: the services the program's windows run on, a pump that lets the real
// message loop run for a while, a timer that acts inside modal loops, and reading a window's
// class, text, font and place in its form's client area.
#pragma once

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
        Platform p;
        p.registry = &registry;
        p.files = &files;
        p.profiles = &profiles;
        p.shell = &shell;
        p.clock = &clock;
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

inline LOGFONTW FontOf(HWND hwnd) {
    LOGFONTW font{};
    GetObjectW(reinterpret_cast<HFONT>(SendMessageW(hwnd, WM_GETFONT, 0, 0)), sizeof font, &font);
    return font;
}

// A window's place in the client area of `in` (by default its parent), in pixels.
inline RECT PlaceOf(HWND child, HWND in = nullptr) {
    RECT r{};
    GetWindowRect(child, &r);
    MapWindowPoints(nullptr, in ? in : GetParent(child), reinterpret_cast<POINT*>(&r), 2);
    return r;
}

// The text of a list view's cell.
inline std::string CellOf(HWND list, int row, int column) {
    wchar_t text[256] = {};
    LVITEMW item{};
    item.iSubItem = column;
    item.pszText = text;
    item.cchTextMax = 256;
    SendMessageW(list, LVM_GETITEMTEXTW, static_cast<WPARAM>(row), reinterpret_cast<LPARAM>(&item));
    return win32::Narrow(text);
}

inline BOOL CALLBACK NoteShownBox(HWND hwnd, LPARAM out) {
    if (!IsWindowVisible(hwnd) || ClassOf(hwnd) != L"#32770")
        return TRUE;
    *reinterpret_cast<HWND*>(out) = hwnd;
    return FALSE;
}

// The shown message box of the thread (class "#32770"), or null.
inline HWND ShownBox() {
    HWND found = nullptr;
    EnumThreadWindows(GetCurrentThreadId(), NoteShownBox, reinterpret_cast<LPARAM>(&found));
    return found;
}

// Clicks a button or check box the way the mouse does: the click waits in the queue.
inline void PostClick(const Control& control) { PostMessageW(Win32Host::WindowOf(control), BM_CLICK, 0, 0); }

}  // namespace lumo::guitest
