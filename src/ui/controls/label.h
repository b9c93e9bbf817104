// A static text.
#pragma once

#include "ui/controls/control.h"

namespace lumo {

enum class Alignment { Left = 0, Right = 1, Center = 2 };

class Label : public Control {
public:
    explicit Label(ControlSite site) : Control(std::move(site), ControlKind::Label) { SetTabStop(false); }

    const std::string& Caption() const { return caption_; }
    std::string CaptionText() const override { return caption_; }
    void SetCaption(std::string caption) {
        caption_ = std::move(caption);
        Notify(Change::Caption);
    }
    Alignment GetAlignment() const { return alignment_; }
    void SetAlignment(Alignment alignment) {
        alignment_ = alignment;
        Notify(Change::Style);
    }

private:
    std::string caption_;
    Alignment alignment_ = Alignment::Left;
};

}  // namespace lumo
