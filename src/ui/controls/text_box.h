// A text box: one line or several, optionally read-only.
#pragma once

#include "ui/controls/control.h"

namespace lumo {

class TextBox : public Control {
public:
    explicit TextBox(ControlSite site) : Control(std::move(site), ControlKind::TextBox) {}

    const std::string& Text() const { return text_; }
    // Quiet: OnChange runs only for the user's typing.
    void SetText(std::string text) {
        text_ = std::move(text);
        Notify(Change::Caption);
    }
    bool MultiLine() const { return multiLine_; }
    void SetMultiLine(bool on) {
        multiLine_ = on;
        Notify(Change::Style);
    }
    bool Locked() const { return locked_; }
    void SetLocked(bool on) {
        locked_ = on;
        Notify(Change::Style);
    }

    std::function<void()> OnChange;
    // The user's edit: the new text, then OnChange. Ignored while the box cannot be edited.
    void UserSetText(std::string text) {
        if (!Usable() || locked_ || text == text_)
            return;
        SetText(std::move(text));
        Fire(OnChange, "Change");
    }

private:
    std::string text_;
    bool multiLine_ = false;
    bool locked_ = false;
};

}  // namespace lumo
