// The shared state of every control and the one place where a handler's failure stops.
#include "ui/controls/control.h"

#include "ui/controls/form.h"
#include "ui/controls/frame.h"

namespace lumo {

Control::Control(ControlSite site, ControlKind kind)
    : parent_(site.form),
      name_(std::move(site.name)),
      kind_(kind),
      container_(site.container),
      index_(site.index),
      font_(site.form.Font()) {}

Control::~Control() = default;

void Control::Move(int32_t left, int32_t top, int32_t width, int32_t height) {
    TwipsRect next{left, top, width < 0 ? 0 : width, height < 0 ? 0 : height};
    if (next == bounds_)
        return;
    bounds_ = next;
    Notify(Change::Bounds);
}

TwipsRect Control::FormBounds() const {
    TwipsRect r = bounds_;
    for (const Frame* f = container_; f; f = f->Container()) {
        r.left += f->Left();
        r.top += f->Top();
    }
    return r;
}

void Control::SetVisible(bool visible) {
    if (visible_ == visible)
        return;
    visible_ = visible;
    Notify(Change::Visible);
}

bool Control::Shown() const {
    for (const Control* c = this; c; c = c->container_)
        if (!c->visible_)
            return false;
    return true;
}

void Control::SetEnabled(bool enabled) {
    if (enabled_ == enabled)
        return;
    enabled_ = enabled;
    Notify(Change::Enabled);
}

bool Control::Usable() const {
    for (const Control* c = this; c; c = c->container_)
        if (!c->enabled_)
            return false;
    return parent_.Enabled();
}

void Control::SetFont(const FontInfo& font) {
    if (font_ == font)
        return;
    font_ = font;
    Notify(Change::Font);
}

void Control::SetFontBold(bool bold) {
    FontInfo f = font_;
    f.bold = bold;
    SetFont(f);
}

void Control::Fire(const std::function<void()>& handler, const char* event) {
    if (!handler)
        return;
    std::string where = name_;
    if (index_ >= 0)
        where += "(" + std::to_string(index_) + ")";
    parent_.Fire(handler, where + "_" + event);
}

}  // namespace lumo
