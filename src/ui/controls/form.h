// A form: a top-level window of the model with its caption, size in twips, owner, its controls
// and menus, and its life: Load, Show (modal or modeless), QueryUnload, Unload.
#pragma once

#include <cstdint>
#include <functional>
#include <memory>
#include <span>
#include <stdexcept>
#include <string>
#include <vector>

#include "ui/controls/control.h"
#include "ui/controls/form_table.h"
#include "ui/controls/menu_item.h"

namespace lumo {

class UiHost;

enum class BorderStyle { None = 0, FixedSingle = 1, Sizable = 2, FixedDialog = 3 };
enum class WindowState { Normal = 0, Minimized = 1, Maximized = 2 };
enum class ShowMode { Modeless = 0, Modal = 1 };
// Why a form is being closed, as QueryUnload receives it.
enum class UnloadMode { ControlMenu = 0, Code = 1, AppWindows = 2, TaskManager = 3, FormOwner = 5 };

class FormPeer {
public:
    virtual ~FormPeer() = default;
    // Caption, Bounds, Visible, Enabled, Style (border, buttons, icon), Value (window state).
    virtual void Update(Change what) = 0;
    // A control created after the form's window was made.
    virtual void ControlAdded(Control& control) = 0;
    // An item changed (Caption, Visible, Enabled, Value for the check mark) or got a new sub-item
    // (Items).
    virtual void MenuChanged(MenuItem& item, Change what) = 0;
};

class Form {
public:
    Form(UiHost& host, std::string name);
    // A form whose controls are the rows of `controls` (AddControls), made before the derived
    // form's members, which can then take them by name.
    Form(UiHost& host, std::string name, std::span<const ControlRow> controls);
    Form(const Form&) = delete;
    Form& operator=(const Form&) = delete;
    virtual ~Form();

    UiHost& Host() const { return host_; }
    const std::string& Name() const { return name_; }

    const std::string& Caption() const { return caption_; }
    void SetCaption(std::string caption);
    BorderStyle Border() const { return border_; }
    void SetBorder(BorderStyle border);
    bool MinButton() const { return minButton_; }
    bool MaxButton() const { return maxButton_; }
    void SetMinMaxButtons(bool minButton, bool maxButton);
    // Resource name of the window's icon; empty: none.
    const std::string& Icon() const { return icon_; }
    void SetIcon(std::string picture);
    const FontInfo& Font() const { return font_; }
    // The font new controls start with.
    void SetFont(const FontInfo& font) { font_ = font; }

    // Place of the outer window on the screen and its outer size, in twips.
    int32_t Left() const { return left_; }
    int32_t Top() const { return top_; }
    int32_t Width() const { return clientWidth_ + frameWidth_; }
    int32_t Height() const { return clientHeight_ + frameHeight_; }
    void Move(int32_t left, int32_t top);
    // Sets the outer size; the client area follows. Ignored while minimised or maximised, where
    // the system owns the size.
    void SetSize(int32_t width, int32_t height);
    int32_t ClientWidth() const { return clientWidth_; }
    int32_t ClientHeight() const { return clientHeight_; }
    void SetClientSize(int32_t width, int32_t height);
    // What the borders, title bar and menu bar add to the client size. Each backend measures its
    // own; the model starts with the usual sizes of the form's border.
    int32_t FrameWidth() const { return frameWidth_; }
    int32_t FrameHeight() const { return frameHeight_; }
    void SetFrameSize(int32_t width, int32_t height);

    WindowState GetWindowState() const { return windowState_; }
    void SetWindowState(WindowState state);

    bool Loaded() const { return loaded_; }
    bool Visible() const { return visible_; }
    bool Enabled() const { return enabled_; }
    void SetEnabled(bool on);
    // Null when the form has no owner.
    Form* Owner() const { return owner_; }
    bool Modal() const { return modal_; }

    // Loads the form once (its window is made, OnLoad runs, then the layout is fitted to the
    // captions' real extents); later calls do nothing.
    void Load();
    // Loads the form when needed and shows it through the host. A modal show returns when the
    // form is hidden or unloaded.
    void Show(ShowMode mode = ShowMode::Modeless, Form* owner = nullptr);
    void Hide();
    // Closes the form: OnQueryUnload may cancel, then OnUnload may cancel, then the window goes.
    // Returns true when the form was unloaded.
    bool Unload(UnloadMode mode = UnloadMode::Code);

    // Creates a control on this form. Its place is relative to `container` (null: the form).
    template <class T>
    T& Add(std::string name, Frame* container = nullptr, int32_t index = -1) {
        auto control = std::make_unique<T>(ControlSite{*this, std::move(name), container, index});
        T& made = *control;
        AdoptControl(std::move(control));
        return made;
    }
    // Every control in creation order.
    const std::vector<std::unique_ptr<Control>>& Controls() const { return controls_; }
    Control* FindControl(std::string_view name, int32_t index = -1) const;
    // The control of that name (and position, in a control array) and type; a form without it is
    // a fault of the program (std::logic_error).
    template <class T>
    T& Named(std::string_view name, int32_t index = -1) const {
        T* found = dynamic_cast<T*>(FindControl(name, index));
        if (!found)
            throw std::logic_error(name_ + " has no control " + std::string(name) + " of the kind asked for");
        return *found;
    }
    // Every control of the array `name`, in creation order.
    template <class T>
    std::vector<T*> NamedArray(std::string_view name) const {
        std::vector<T*> found;
        for (const auto& c : controls_)
            if (c->Name() == name && c->Index() >= 0)
                found.push_back(&dynamic_cast<T&>(*c));
        return found;
    }

    // The form's menu bar: its top-level items.
    MenuItem& AddMenu(std::string name, std::string caption, int32_t index = -1);
    const std::vector<std::unique_ptr<MenuItem>>& Menus() const { return menus_; }
    MenuItem* FindMenu(std::string_view name, int32_t index = -1);
    MenuItem* FindMenuId(uint32_t id);
    // Shows the sub-items of `menu` as a pop-up menu at the mouse pointer.
    void PopupMenu(MenuItem& menu);

    std::function<void()> OnLoad;
    std::function<void(bool& cancel, UnloadMode mode)> OnQueryUnload;
    std::function<void(bool& cancel)> OnUnload;
    std::function<void()> OnResize;

    // The user's actions, as the backend (or a test) delivers them.
    // The close box: Unload with UnloadMode::ControlMenu.
    bool UserClose() { return Unload(UnloadMode::ControlMenu); }
    // The user resized, minimised, maximised or restored the window (client size in twips).
    void UserResize(int32_t clientWidth, int32_t clientHeight, WindowState state);

    // For the host.
    FormPeer* Peer() const { return peer_.get(); }
    void AttachPeer(std::unique_ptr<FormPeer> peer) { peer_ = std::move(peer); }
    void DetachPeer() { peer_.reset(); }
    std::unique_ptr<FormPeer> ReleasePeer() { return std::move(peer_); }
    void SetShownAs(ShowMode mode, Form* owner);
    void SetVisibleState(bool visible);
    uint32_t NextMenuId() { return nextMenuId_++; }
    void MenuChanged(MenuItem& item, Change what) {
        if (peer_)
            peer_->MenuChanged(item, what);
    }
    // Runs the handler of a user's action on this form or one of its controls; what escapes it
    // goes to the host and no further.
    void Fire(const std::function<void()>& handler, const std::string& where);

private:
    void AdoptControl(std::unique_ptr<Control> control);
    void Notify(Change what) {
        if (peer_)
            peer_->Update(what);
    }
    void ReleaseWindow();

    UiHost& host_;
    std::string name_;
    std::string caption_;
    BorderStyle border_ = BorderStyle::Sizable;
    bool minButton_ = true;
    bool maxButton_ = true;
    std::string icon_;
    FontInfo font_;
    int32_t left_ = 0;
    int32_t top_ = 0;
    int32_t clientWidth_ = 4800;
    int32_t clientHeight_ = 3600;
    int32_t frameWidth_ = 0;
    int32_t frameHeight_ = 0;
    WindowState windowState_ = WindowState::Normal;
    bool loaded_ = false;
    bool visible_ = false;
    bool enabled_ = true;
    bool modal_ = false;
    Form* owner_ = nullptr;
    std::vector<std::unique_ptr<Control>> controls_;
    std::vector<std::unique_ptr<MenuItem>> menus_;
    uint32_t nextMenuId_ = 40000;  // above the backends' control numbers
    std::unique_ptr<FormPeer> peer_;
};

}  // namespace lumo
