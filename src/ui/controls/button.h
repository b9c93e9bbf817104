// A push button: caption, default/cancel roles, and the click the user makes.
#pragma once

#include "ui/controls/control.h"

namespace lumo {

class Button : public Control {
public:
    explicit Button(ControlSite site) : Control(std::move(site), ControlKind::Button) {}

    const std::string& Caption() const { return caption_; }
    std::string CaptionText() const override { return caption_; }
    void SetCaption(std::string caption) {
        caption_ = std::move(caption);
        Notify(Change::Caption);
    }
    // The default button answers Enter, the cancel button Escape.
    bool Default() const { return default_; }
    void SetDefault(bool on) {
        default_ = on;
        Notify(Change::Value);
    }
    bool Cancel() const { return cancel_; }
    void SetCancel(bool on) { cancel_ = on; }

    std::function<void()> OnClick;
    // The user's click: nothing happens while the button cannot be used.
    void Click() {
        if (Usable())
            Fire(OnClick, "Click");
    }

private:
    std::string caption_;
    bool default_ = false;
    bool cancel_ = false;
};

}  // namespace lumo
