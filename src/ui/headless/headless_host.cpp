// The headless host.
#include "ui/headless/headless_host.h"

#include <stdexcept>

#include "ui/controls/tray_icon.h"

namespace lumo {

HeadlessHost::HeadlessHost() : version_{LUMO_VERSION_MAJOR, LUMO_VERSION_MINOR, LUMO_VERSION_PATCH} {}

void HeadlessHost::FormLoading(Form&) {}

void HeadlessHost::ShowForm(Form& form, ShowMode mode, Form* owner) {
    formsShown_.push_back(ShownForm{form.Name(), mode, owner ? owner->Name() : std::string()});
    form.SetShownAs(mode, owner);
    form.SetVisibleState(true);
    if (mode == ShowMode::Modal && OnModal) {
        // A modal form keeps its owner disabled until it goes, as on screen.
        bool ownerWasEnabled = owner && owner->Enabled();
        if (ownerWasEnabled)
            owner->SetEnabled(false);
        ModalScope modal(*this, &form);
        OnModal(form);
        if (ownerWasEnabled)
            owner->SetEnabled(true);
    }
}

void HeadlessHost::FormUnloaded(Form& form) {
    if (tray_ && trayOwner_ == form.Name()) {
        tray_ = nullptr;
        trayOwner_.clear();
    }
}

MsgAnswer HeadlessHost::ShowMessageBox(const MessageBoxRequest& request) {
    if (OnMessageBox) {
        ModalScope modal(*this, nullptr);
        OnMessageBox(request);
    }
    bool scripted = !answers_.empty();
    MsgAnswer answer = DefaultAnswer(request);
    if (scripted) {
        answer = answers_.front();
        answers_.pop_front();
    }
    boxes_.push_back(ShownBox{request.text, request.buttons, request.icon, request.defaultButton, request.caption,
                              request.owner ? request.owner->Name() : std::string(), answer, scripted});
    return answer;
}

void HeadlessHost::DoEvents() {
    ++passes_;
    if (OnDoEvents)
        OnDoEvents(passes_);
}

void HeadlessHost::PopupMenu(Form& owner, MenuItem& menu) {
    popups_.push_back(menu.Name());
    if (OnPopupMenu)
        OnPopupMenu(owner, menu);
}

void HeadlessHost::ShowTrayIcon(TrayIcon& icon, Form& owner) {
    tray_ = &icon;
    trayOwner_ = owner.Name();
}

void HeadlessHost::HideTrayIcon(TrayIcon& icon) {
    if (tray_ == &icon) {
        tray_ = nullptr;
        trayOwner_.clear();
    }
}

int HeadlessHost::Run() { return exitCode_; }

void HeadlessHost::EndProgram(int exitCode) {
    ended_ = true;
    exitCode_ = exitCode;
}

void HeadlessHost::HandlerFailed(const std::string& where, std::exception_ptr error) {
    std::string message = "unknown failure";
    try {
        if (error)
            std::rethrow_exception(error);
    } catch (const std::exception& e) {
        message = e.what();
    } catch (...) {
    }
    failures_.push_back(where + ": " + message);
    ShowFailure(error);
}

}  // namespace lumo
