// A frame: a captioned group box that contains other controls. Hiding or disabling a frame hides
// or disables what stands in it.
#pragma once

#include "ui/controls/control.h"

namespace lumo {

class Frame : public Control {
public:
    explicit Frame(ControlSite site) : Control(std::move(site), ControlKind::Frame) { SetTabStop(false); }

    const std::string& Caption() const { return caption_; }
    std::string CaptionText() const override { return caption_; }
    void SetCaption(std::string caption) {
        caption_ = std::move(caption);
        Notify(Change::Caption);
    }

private:
    std::string caption_;
};

}  // namespace lumo
