// A picture on a form, and a decorative shape: nothing but a place and what they show.
#pragma once

#include "ui/controls/control.h"

namespace lumo {

class Image : public Control {
public:
    explicit Image(ControlSite site) : Control(std::move(site), ControlKind::Image) { SetTabStop(false); }

    // The name of an icon among the program's resources ("app" the program icon).
    const std::string& Picture() const { return picture_; }
    void SetPicture(std::string picture) {
        picture_ = std::move(picture);
        Notify(Change::Value);
    }

private:
    std::string picture_;
};

class Shape : public Control {
public:
    explicit Shape(ControlSite site) : Control(std::move(site), ControlKind::Shape) { SetTabStop(false); }
};

}  // namespace lumo
