// The program's host: real windows through the Win32 API. Forms get their windows when they load,
// the message loop runs here (Run, DoEvents, and a nested loop per modal form that disables the
// other windows meanwhile), message boxes are MessageBoxW (unless a test answers them first),
// pop-up menus TrackPopupMenu, the tray icon Shell_NotifyIconW.
#pragma once

#include <functional>
#include <map>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "ui/ui_host.h"
#include "ui/win32/gdi_handles.h"
#include "ui/win32/win32_ui.h"

namespace lumo {

namespace win32 {
class FormWindow;
}

class Win32Host : public UiHost {
public:
    explicit Win32Host(HINSTANCE instance = GetModuleHandleW(nullptr));
    ~Win32Host() override;
    Win32Host(const Win32Host&) = delete;
    Win32Host& operator=(const Win32Host&) = delete;

    // Asked before a real box is shown; an answer keeps the real box away. Tests answer here,
    // because a real box waits for a user who is not there.
    std::function<std::optional<MsgAnswer>(const MessageBoxRequest&)> OnMessageBox;
    // Told of every handler failure, before its box is shown.
    std::function<void(const std::string& where, const std::string& message)> OnHandlerFailed;

    HINSTANCE Instance() const { return instance_; }
    // The window of a loaded form or of a control that has one; null otherwise.
    static HWND WindowOf(const Form& form);
    static HWND WindowOf(const Control& control);
    HFONT Font(const FontInfo& font, int dpi) const;

    void FormLoading(Form& form) override;
    void ShowForm(Form& form, ShowMode mode, Form* owner) override;
    void FormUnloaded(Form& form) override;
    MsgAnswer ShowMessageBox(const MessageBoxRequest& request) override;
    void DoEvents() override;
    void PopupMenu(Form& owner, MenuItem& menu) override;
    void ShowTrayIcon(TrayIcon& icon, Form& owner) override;
    void HideTrayIcon(TrayIcon& icon) override;
    int Run() override;
    void EndProgram(int exitCode) override;
    bool Ended() const override { return ended_; }
    VersionNumbers ProgramVersion() const override;
    TwipsSize CaptionExtent(const Control& control, int32_t width) const override;
    void HandlerFailed(const std::string& where, std::exception_ptr error) override;
    void BringModalToFront() override;
    uintptr_t WindowHandle(const Form& form) const override { return reinterpret_cast<uintptr_t>(WindowOf(form)); }

    // For the form windows.
    void TrayMessage(HWND owner, LPARAM event);
    void TaskbarRestarted();
    UINT TaskbarCreatedMessage() const { return taskbarCreated_; }

private:
    struct TrayEntry {
        TrayIcon* icon;
        HWND owner;
        UINT id;
        win32::UniqueIcon picture;
    };
    struct Remains {
        std::unique_ptr<FormPeer> form;
        std::vector<std::unique_ptr<ControlPeer>> controls;
    };

    // One message through the keyboard navigation of the active form, then to its window.
    void Dispatch(MSG& msg);
    void DropRemains();
    bool AddTray(TrayEntry& entry, DWORD action);
    void RemoveTray(TrayIcon& icon);

    HINSTANCE instance_;
    bool ended_ = false;
    int exitCode_ = 0;
    UINT taskbarCreated_ = 0;
    UINT nextTrayId_ = 1;
    std::vector<TrayEntry> trays_;
    std::vector<Remains> remains_;
    // Made on first use and kept; measuring a caption may make one.
    mutable std::map<std::wstring, win32::UniqueFont> fonts_;
    std::vector<Form*> forms_;  // the loaded forms
    // The forms each modal form disabled, to enable again when it goes.
    std::map<Form*, std::vector<Form*>> disabledBy_;
};

// Reads the version numbers from the version resource of a program file; none when it has none.
std::optional<VersionNumbers> ReadVersionResource(const std::wstring& programPath);

}  // namespace lumo
