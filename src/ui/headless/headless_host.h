// The host the tests run the windows in: no screen. Message boxes are answered from a script and
// recorded; every message-loop pass calls a hook (where a test clicks "Stop" mid-run); shown
// forms, pop-up menus and the notification-area icon are recorded; a modal form calls a hook in
// which the test works the form, since nothing else could.
#pragma once

#include <deque>
#include <functional>
#include <string>
#include <vector>

#include "ui/ui_host.h"

namespace lumo {

class HeadlessHost : public UiHost {
public:
    struct ShownBox {
        std::string text;
        MsgButtons buttons;
        MsgIcon icon;
        MsgDefault defaultButton;
        std::string caption;
        std::string owner;  // name of the owning form; empty: none
        MsgAnswer answer;
        bool scripted;  // false: no answer was queued, the default button answered
    };
    struct ShownForm {
        std::string name;
        ShowMode mode;
        std::string owner;  // empty: none
    };

    HeadlessHost();

    // Message boxes take the queued answers in order; with none queued a box gets its default
    // button's answer and is marked unscripted.
    void QueueAnswer(MsgAnswer answer) { answers_.push_back(answer); }
    void QueueAnswers(std::initializer_list<MsgAnswer> answers) { answers_.insert(answers_.end(), answers); }
    size_t PendingAnswers() const { return answers_.size(); }
    const std::vector<ShownBox>& Boxes() const { return boxes_; }
    void ClearBoxes() { boxes_.clear(); }
    // Called while a box is up, before it is answered; it may queue the answer.
    std::function<void(const MessageBoxRequest&)> OnMessageBox;

    // Called on every DoEvents pass with the number of the pass (from 1).
    std::function<void(int pass)> OnDoEvents;
    int DoEventsPasses() const { return passes_; }

    // Called when a form is shown modally; the test clicks its buttons here. When the hook
    // leaves the form up, Show returns anyway (there is no user to close it).
    std::function<void(Form&)> OnModal;
    const std::vector<ShownForm>& FormsShown() const { return formsShown_; }

    // Called for a pop-up menu; the test may click one of its items there.
    std::function<void(Form& owner, MenuItem& menu)> OnPopupMenu;
    const std::vector<std::string>& PopupMenus() const { return popups_; }

    bool TrayIconShown() const { return tray_ != nullptr; }
    TrayIcon* CurrentTrayIcon() const { return tray_; }
    const std::string& TrayOwner() const { return trayOwner_; }

    // Measures captions for the layout tests; unset, every caption fits (0 x 0).
    std::function<TwipsSize(const Control&, int32_t width)> OnCaptionExtent;

    int ExitCode() const { return exitCode_; }
    // How often the innermost modal window was brought to the front.
    int ModalFrontings() const { return frontings_; }
    // `where` of every handler that failed, and the failure's message (the user saw the box).
    const std::vector<std::string>& HandlerFailures() const { return failures_; }
    void SetProgramVersion(VersionNumbers version) { version_ = version; }

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
    VersionNumbers ProgramVersion() const override { return version_; }
    TwipsSize CaptionExtent(const Control& control, int32_t width) const override {
        return OnCaptionExtent ? OnCaptionExtent(control, width) : TwipsSize{};
    }
    void HandlerFailed(const std::string& where, std::exception_ptr error) override;
    void BringModalToFront() override { ++frontings_; }
    // A stand-in that differs per form: there are no real windows here.
    uintptr_t WindowHandle(const Form& form) const override {
        return form.Loaded() ? reinterpret_cast<uintptr_t>(&form) : 0;
    }

private:
    int frontings_ = 0;
    std::deque<MsgAnswer> answers_;
    std::vector<ShownBox> boxes_;
    int passes_ = 0;
    std::vector<ShownForm> formsShown_;
    std::vector<std::string> popups_;
    TrayIcon* tray_ = nullptr;
    std::string trayOwner_;
    bool ended_ = false;
    int exitCode_ = 0;
    std::vector<std::string> failures_;
    VersionNumbers version_;
};

}  // namespace lumo
