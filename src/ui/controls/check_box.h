// A check box with the three values the windows use: 0 unchecked, 1 checked, 2 grayed.
#pragma once

#include "ui/controls/control.h"

namespace lumo {

enum class CheckValue { Unchecked = 0, Checked = 1, Grayed = 2 };

class CheckBox : public Control {
public:
    explicit CheckBox(ControlSite site) : Control(std::move(site), ControlKind::CheckBox) {}

    const std::string& Caption() const { return caption_; }
    std::string CaptionText() const override { return caption_; }
    void SetCaption(std::string caption) {
        caption_ = std::move(caption);
        Notify(Change::Caption);
    }
    CheckValue Value() const { return value_; }
    // Setting the value from code is quiet: OnClick runs only for the user's click.
    void SetValue(CheckValue value) {
        value_ = value;
        Notify(Change::Value);
    }
    bool Checked() const { return value_ == CheckValue::Checked; }

    std::function<void()> OnClick;
    // The user's click: a checked box becomes unchecked, an unchecked or grayed one checked.
    void Click() {
        if (!Usable())
            return;
        SetValue(value_ == CheckValue::Checked ? CheckValue::Unchecked : CheckValue::Checked);
        Fire(OnClick, "Click");
    }

private:
    std::string caption_;
    CheckValue value_ = CheckValue::Unchecked;
};

}  // namespace lumo
