// The base of every control of the window model: name, place in twips, visibility, font, and
// the optional native peer that mirrors the model on screen.
#pragma once

#include <cstdint>
#include <functional>
#include <memory>
#include <string>

namespace lumo {

class Form;
class Frame;

// Twips are 1/1440 inch; the windows are designed in them.
struct TwipsRect {
    int32_t left = 0;
    int32_t top = 0;
    int32_t width = 0;
    int32_t height = 0;
    bool operator==(const TwipsRect&) const = default;
};

struct TwipsSize {
    int32_t width = 0;
    int32_t height = 0;
    bool operator==(const TwipsSize&) const = default;
};

struct FontInfo {
    std::string name;  // empty: the system's dialog font
    double size = 8;  // points
    bool bold = false;
    bool italic = false;
    bool operator==(const FontInfo&) const = default;
};

// What changed in a model, so a peer mirrors only that. `index` in ControlPeer::Update names the
// entry concerned in the control's own counting: from 0 for list and combo box entries (as their
// ListIndex counts), from 1 for list view rows and columns, tree nodes and status bar panels.
enum class Change {
    Caption,  // caption or text
    Bounds,
    Visible,
    Enabled,
    Font,
    Value,  // check state, selection index, timer interval/enabled, picture, default button
    Style,  // view, border, label editing and other style-like properties
    Items,  // the whole list, column set, node set or panel set
    ItemAdded,  // entry `index` was inserted
    ItemRemoved,  // entry `index` was removed
    ItemChanged,  // entry `index` changed its text, icon or sub-items
    Columns,
    Selection,  // selected entry is `index` (0: none)
    EnsureVisible,
    Images,  // the image lists bound to a list view changed
    TabOrder,  // the control's TabIndex changed
};

class ControlPeer {
public:
    virtual ~ControlPeer() = default;
    virtual void Update(Change what, int32_t index) = 0;
};

enum class ControlKind {
    Button,
    Label,
    CheckBox,
    ComboBox,
    TextBox,
    ListBox,
    ListView,
    TreeView,
    StatusBar,
    Frame,
    Timer,
    ImageList,
    Image,
    Shape
};

// Where a new control goes: its form, name, containing frame (null: the form) and its position
// in a control array (-1: none). Form::Add fills it in.
struct ControlSite {
    Form& form;
    std::string name;
    Frame* container = nullptr;
    int32_t index = -1;
};

class Control {
public:
    Control(const Control&) = delete;
    Control& operator=(const Control&) = delete;
    virtual ~Control();

    const std::string& Name() const { return name_; }
    // Position in a control array (winsChkSettings(3)); -1 for a control that is not in one.
    int32_t Index() const { return index_; }
    ControlKind Kind() const { return kind_; }
    Form& Parent() const { return parent_; }
    // The frame the control stands in (its place is relative to it); null: the form itself.
    Frame* Container() const { return container_; }

    const TwipsRect& Bounds() const { return bounds_; }
    // The text the control shows as its own (button, check box, label, frame); empty for the
    // kinds whose content is the user's or a list's.
    virtual std::string CaptionText() const { return {}; }
    int32_t Left() const { return bounds_.left; }
    int32_t Top() const { return bounds_.top; }
    int32_t Width() const { return bounds_.width; }
    int32_t Height() const { return bounds_.height; }
    void Move(int32_t left, int32_t top, int32_t width, int32_t height);
    void Move(int32_t left, int32_t top) { Move(left, top, bounds_.width, bounds_.height); }
    // The place relative to the form's client area, through every containing frame.
    TwipsRect FormBounds() const;

    bool Visible() const { return visible_; }
    void SetVisible(bool visible);
    // Visible itself and inside visible frames: what the user can see of it.
    bool Shown() const;
    bool Enabled() const { return enabled_; }
    void SetEnabled(bool enabled);
    // Enabled itself and inside enabled frames: what the user can use.
    bool Usable() const;

    const FontInfo& Font() const { return font_; }
    void SetFont(const FontInfo& font);
    void SetFontBold(bool bold);

    int32_t TabIndex() const { return tabIndex_; }
    // The keyboard's order through the form's controls; new controls follow their creation order.
    void SetTabIndex(int32_t tabIndex) {
        tabIndex_ = tabIndex;
        Notify(Change::TabOrder);
    }
    bool TabStop() const { return tabStop_; }
    void SetTabStop(bool tabStop) { tabStop_ = tabStop; }

    std::string Tag;

    // The native peer, owned by the control; null in the headless host.
    ControlPeer* Peer() const { return peer_.get(); }
    void AttachPeer(std::unique_ptr<ControlPeer> peer) { peer_ = std::move(peer); }
    void DetachPeer() { peer_.reset(); }
    // Hands the peer to the backend, which destroys it once no window procedure uses it.
    std::unique_ptr<ControlPeer> ReleasePeer() { return std::move(peer_); }

protected:
    Control(ControlSite site, ControlKind kind);

    void Notify(Change what, int32_t index = 0) {
        if (peer_)
            peer_->Update(what, index);
    }
    // Runs the handler of a user's action. Handlers end silently on failure: what escapes goes
    // to the host's HandlerFailed and never further.
    void Fire(const std::function<void()>& handler, const char* event);

private:
    Form& parent_;
    std::string name_;
    ControlKind kind_;
    Frame* container_;
    int32_t index_;
    TwipsRect bounds_;
    bool visible_ = true;
    bool enabled_ = true;
    FontInfo font_;
    int32_t tabIndex_ = 0;
    bool tabStop_ = true;
    std::unique_ptr<ControlPeer> peer_;
};

}  // namespace lumo
