// A form's life and size.
#include "ui/controls/form.h"

#include "ui/controls/caption_fit.h"
#include "ui/controls/frame.h"
#include "ui/ui_host.h"

namespace lumo {
namespace {

// The usual border, title bar sizes at 96 DPI, in twips: what the model assumes until a backend
// measures the real ones.
void FrameSizeOf(BorderStyle border, int32_t& width, int32_t& height) {
    switch (border) {
    case BorderStyle::None:
        width = 0;
        height = 0;
        return;
    case BorderStyle::Sizable:
        width = 120;
        height = 405;
        return;
    case BorderStyle::FixedSingle:
    case BorderStyle::FixedDialog:
        width = 90;
        height = 375;
        return;
    }
}

}  // namespace

Form::Form(UiHost& host, std::string name) : host_(host), name_(std::move(name)) {
    FrameSizeOf(border_, frameWidth_, frameHeight_);
}

Form::Form(UiHost& host, std::string name, std::span<const ControlRow> controls) : Form(host, std::move(name)) {
    AddControls(*this, controls);
}

Form::~Form() {
    if (loaded_ || peer_)
        host_.FormUnloaded(*this);
    // Controls go before the window they stand in.
    for (auto& c : controls_)
        c->DetachPeer();
    peer_.reset();
}

void Form::SetCaption(std::string caption) {
    caption_ = std::move(caption);
    Notify(Change::Caption);
}

void Form::SetBorder(BorderStyle border) {
    border_ = border;
    FrameSizeOf(border_, frameWidth_, frameHeight_);
    Notify(Change::Style);
}

void Form::SetMinMaxButtons(bool minButton, bool maxButton) {
    minButton_ = minButton;
    maxButton_ = maxButton;
    Notify(Change::Style);
}

void Form::SetIcon(std::string picture) {
    icon_ = std::move(picture);
    Notify(Change::Style);
}

void Form::Move(int32_t left, int32_t top) {
    left_ = left;
    top_ = top;
    Notify(Change::Bounds);
}

void Form::SetSize(int32_t width, int32_t height) {
    if (windowState_ != WindowState::Normal)
        return;
    SetClientSize(width - frameWidth_, height - frameHeight_);
}

void Form::SetClientSize(int32_t width, int32_t height) {
    width = width < 0 ? 0 : width;
    height = height < 0 ? 0 : height;
    if (width == clientWidth_ && height == clientHeight_)
        return;
    clientWidth_ = width;
    clientHeight_ = height;
    Notify(Change::Bounds);
}

void Form::SetFrameSize(int32_t width, int32_t height) {
    frameWidth_ = width;
    frameHeight_ = height;
}

void Form::SetWindowState(WindowState state) {
    if (windowState_ == state)
        return;
    windowState_ = state;
    Notify(Change::Value);
}

void Form::SetEnabled(bool on) {
    if (enabled_ == on)
        return;
    enabled_ = on;
    Notify(Change::Enabled);
}

void Form::Load() {
    if (loaded_)
        return;
    loaded_ = true;
    host_.FormLoading(*this);
    Fire(OnLoad, "Form_Load");
    // The captions are final now (Form_Load fills some), and the host measures them in the
    // window's own fonts.
    if (loaded_)
        FitCaptions(*this);
}

void Form::Show(ShowMode mode, Form* owner) {
    Load();
    // Form_Load may have unloaded the form again.
    if (!loaded_)
        return;
    host_.ShowForm(*this, mode, owner);
}

void Form::Hide() {
    if (!visible_)
        return;
    visible_ = false;
    Notify(Change::Visible);
}

bool Form::Unload(UnloadMode mode) {
    if (!loaded_)
        return true;
    bool cancel = false;
    if (OnQueryUnload)
        Fire([&] { OnQueryUnload(cancel, mode); }, "Form_QueryUnload");
    if (cancel)
        return false;
    if (OnUnload)
        Fire([&] { OnUnload(cancel); }, "Form_Unload");
    if (cancel)
        return false;
    loaded_ = false;
    visible_ = false;
    modal_ = false;
    owner_ = nullptr;
    host_.FormUnloaded(*this);
    return true;
}

Control* Form::FindControl(std::string_view name, int32_t index) const {
    for (const auto& c : controls_)
        if (c->Name() == name && (index < 0 || c->Index() == index))
            return c.get();
    return nullptr;
}

MenuItem& Form::AddMenu(std::string name, std::string caption, int32_t index) {
    menus_.push_back(
        std::make_unique<MenuItem>(*this, nullptr, std::move(name), std::move(caption), index, NextMenuId()));
    if (peer_)
        peer_->MenuChanged(*menus_.back(), Change::ItemAdded);
    return *menus_.back();
}

MenuItem* Form::FindMenu(std::string_view name, int32_t index) {
    for (auto& m : menus_)
        if (MenuItem* found = m->Find(name, index))
            return found;
    return nullptr;
}

MenuItem* Form::FindMenuId(uint32_t id) {
    for (auto& m : menus_)
        if (MenuItem* found = m->FindId(id))
            return found;
    return nullptr;
}

void Form::PopupMenu(MenuItem& menu) { host_.PopupMenu(*this, menu); }

void Form::UserResize(int32_t clientWidth, int32_t clientHeight, WindowState state) {
    clientWidth_ = clientWidth;
    clientHeight_ = clientHeight;
    windowState_ = state;
    Fire(OnResize, "Form_Resize");
}

void Form::SetShownAs(ShowMode mode, Form* owner) {
    modal_ = mode == ShowMode::Modal;
    if (owner)
        owner_ = owner;
}

void Form::SetVisibleState(bool visible) {
    if (visible_ == visible)
        return;
    visible_ = visible;
    Notify(Change::Visible);
}

void Form::Fire(const std::function<void()>& handler, const std::string& where) {
    if (!handler)
        return;
    try {
        handler();
    } catch (...) {
        host_.HandlerFailed(name_ + "." + where, std::current_exception());
    }
}

void Form::AdoptControl(std::unique_ptr<Control> control) {
    control->SetTabIndex(static_cast<int32_t>(controls_.size()));
    controls_.push_back(std::move(control));
    if (peer_)
        peer_->ControlAdded(*controls_.back());
}

}  // namespace lumo
