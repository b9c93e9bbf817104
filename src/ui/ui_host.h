// What the window code needs from the user-interface system: forms shown modal or modeless,
// message boxes, one pass of the message loop, pop-up menus, the notification-area icon, the
// program's version and its end. The program uses the Win32 host; tests use the headless one.
#pragma once

#include <cstdint>
#include <exception>
#include <optional>
#include <string>
#include <vector>

#include "ui/controls/form.h"

namespace lumo {

class TrayIcon;

enum class MsgButtons { OkOnly = 0, OkCancel = 1, AbortRetryIgnore = 2, YesNoCancel = 3, YesNo = 4, RetryCancel = 5 };
enum class MsgIcon { None = 0, Critical = 16, Question = 32, Exclamation = 48, Information = 64 };
enum class MsgDefault { Button1 = 0, Button2 = 256, Button3 = 512 };
enum class MsgAnswer { Ok = 1, Cancel = 2, Abort = 3, Retry = 4, Ignore = 5, Yes = 6, No = 7 };

struct MessageBoxRequest {
    std::string text;
    MsgButtons buttons = MsgButtons::OkOnly;
    MsgIcon icon = MsgIcon::None;
    MsgDefault defaultButton = MsgDefault::Button1;
    std::string caption;
    const Form* owner = nullptr;  // the window the box belongs to; null: the active one
};

// The answers of a box's buttons, left to right.
std::vector<MsgAnswer> ButtonAnswers(MsgButtons buttons);
// What Enter gives: the default button's answer (the first button's when the default names a
// button the box does not have).
MsgAnswer DefaultAnswer(const MessageBoxRequest& request);
// The answer Escape or the close box gives: Cancel, or OK for a box with only that button;
// none for the boxes that cannot be cancelled (Yes/No, Abort/Retry/Ignore).
std::optional<MsgAnswer> CancelAnswer(MsgButtons buttons);

struct VersionNumbers {
    int32_t major = 0;
    int32_t minor = 0;
    int32_t revision = 0;
    bool operator==(const VersionNumbers&) const = default;
};

class UiHost {
public:
    virtual ~UiHost() = default;

    // Forms. Form::Load calls FormLoading before its OnLoad runs (the window is made there),
    // Form::Show calls ShowForm, Form::Unload and the form's end call FormUnloaded.
    virtual void FormLoading(Form& form) = 0;
    virtual void ShowForm(Form& form, ShowMode mode, Form* owner) = 0;
    virtual void FormUnloaded(Form& form) = 0;

    virtual MsgAnswer ShowMessageBox(const MessageBoxRequest& request) = 0;
    MsgAnswer MsgBox(std::string text, MsgButtons buttons = MsgButtons::OkOnly, MsgIcon icon = MsgIcon::None,
                     MsgDefault defaultButton = MsgDefault::Button1, std::string caption = {},
                     const Form* owner = nullptr) {
        return ShowMessageBox({std::move(text), buttons, icon, defaultButton, std::move(caption), owner});
    }

    // Lets the messages waiting now be handled, then returns: the pass a long run makes per step.
    virtual void DoEvents() = 0;

    // Shows the visible sub-items of `menu` as a pop-up menu owned by `owner` and returns once
    // the user chose one (its OnClick has run then) or dismissed it.
    virtual void PopupMenu(Form& owner, MenuItem& menu) = 0;

    // Adds the icon to the notification area, or updates it when it is there; its clicks go to
    // the icon's handlers. `owner` is the form that receives its messages.
    virtual void ShowTrayIcon(TrayIcon& icon, Form& owner) = 0;
    virtual void HideTrayIcon(TrayIcon& icon) = 0;

    // Runs the message loop until EndProgram; returns the exit code.
    virtual int Run() = 0;
    virtual void EndProgram(int exitCode = 0) = 0;
    virtual bool Ended() const = 0;

    // The outer size `control` needs to show its caption whole in its own font, with what the
    // control draws around the text (a check box's box, a button's edges): on one line when
    // `width` is 0, otherwise broken into lines at that outer width (the width then comes back
    // larger only when a single word is wider). A host without a screen measures nothing and
    // answers 0 x 0, so every caption fits there.
    virtual TwipsSize CaptionExtent(const Control& /*control*/, int32_t /*width*/) const { return {}; }

    // The program's version as the running program carries it.
    virtual VersionNumbers ProgramVersion() const = 0;

    // A handler of a user's action failed; `where` names it (cmdOk_Click). The handler ends
    // there and the program goes on; the host shows the failure (ShowFailure) and keeps `where`
    // for whoever looks into it.
    virtual void HandlerFailed(const std::string& where, std::exception_ptr error) = 0;
    // One box that tells the user what failed, why and what to do.
    void ShowFailure(const std::exception_ptr& error, const Form* owner = nullptr);

    // Whether a modal window of the program is up: a modal form or a message box. Meanwhile
    // nothing outside it may act, the notification-area icon included.
    bool ModalUp() const { return !modals_.empty(); }
    // The innermost modal form; null when none is up or the innermost is a message box.
    const Form* ModalForm() const { return modals_.empty() ? nullptr : modals_.back(); }
    // Brings the innermost modal window (form or message box) to the front.
    virtual void BringModalToFront() = 0;

    // The system's handle of a loaded form's window, for the calls that take an owner window;
    // 0 when it has none.
    virtual uintptr_t WindowHandle(const Form& form) const = 0;

protected:
    // Marks a modal loop or a message box (`form` null) for as long as it lives.
    class ModalScope {
    public:
        ModalScope(UiHost& host, const Form* form) : host_(host) { host_.modals_.push_back(form); }
        ~ModalScope() { host_.modals_.pop_back(); }
        ModalScope(const ModalScope&) = delete;
        ModalScope& operator=(const ModalScope&) = delete;

    private:
        UiHost& host_;
    };

private:
    std::vector<const Form*> modals_;
};

}  // namespace lumo
