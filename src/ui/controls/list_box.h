// A list box and a combo box: a list of texts with a selected entry, counted from 0 (-1: none).
#pragma once

#include <vector>

#include "ui/controls/control.h"

namespace lumo {

// The list both controls share.
class TextList {
public:
    int32_t ListCount() const { return static_cast<int32_t>(entries_.size()); }
    // The entry at `index` (from 0); empty text when there is none.
    const std::string& List(int32_t index) const;
    int32_t ListIndex() const { return listIndex_; }

protected:
    // Adds `text` at `index` (-1: at the end); returns where it went.
    int32_t Insert(std::string text, int32_t index);
    bool Erase(int32_t index);
    void EraseAll() {
        entries_.clear();
        listIndex_ = -1;
    }
    // Clamps to -1 .. ListCount()-1.
    bool Select(int32_t index);

private:
    std::vector<std::string> entries_;
    int32_t listIndex_ = -1;
};

class ListBox : public Control, public TextList {
public:
    explicit ListBox(ControlSite site) : Control(std::move(site), ControlKind::ListBox) {}

    void AddItem(std::string text, int32_t index = -1) { Notify(Change::ItemAdded, Insert(std::move(text), index)); }
    void RemoveItem(int32_t index) {
        if (Erase(index))
            Notify(Change::ItemRemoved, index);
    }
    void Clear() {
        EraseAll();
        Notify(Change::Items);
    }
    // Quiet: selects (and scrolls to) the entry without running OnClick.
    void SetListIndex(int32_t index) {
        Select(index);
        Notify(Change::Selection, ListIndex());
    }

    std::function<void()> OnClick;
    void UserSelect(int32_t index) {
        if (!Usable() || index < 0 || index >= ListCount())
            return;
        SetListIndex(index);
        Fire(OnClick, "Click");
    }
};

enum class ComboStyle { DropdownCombo = 0, Simple = 1, DropdownList = 2 };

class ComboBox : public Control, public TextList {
public:
    explicit ComboBox(ControlSite site) : Control(std::move(site), ControlKind::ComboBox) {}

    ComboStyle Style() const { return style_; }
    void SetStyle(ComboStyle style) {
        style_ = style;
        Notify(Change::Style);
    }
    void AddItem(std::string text, int32_t index = -1) { Notify(Change::ItemAdded, Insert(std::move(text), index)); }
    void RemoveItem(int32_t index) {
        if (Erase(index))
            Notify(Change::ItemRemoved, index);
    }
    void Clear() {
        EraseAll();
        if (style_ == ComboStyle::DropdownList)
            text_.clear();
        Notify(Change::Items);
    }
    // Quiet. Selecting an entry also makes its text the box's text.
    void SetListIndex(int32_t index) {
        Select(index);
        if (ListIndex() >= 0 || style_ == ComboStyle::DropdownList)
            text_ = List(ListIndex());
        Notify(Change::Selection, ListIndex());
    }
    const std::string& Text() const { return text_; }
    // Quiet. In a drop-down list the text can only be one of the entries: it selects that entry.
    void SetText(std::string text);

    std::function<void()> OnClick;  // the user picked an entry
    std::function<void()> OnChange;  // the user typed into the edit part
    void UserSelect(int32_t index) {
        if (!Usable() || index < 0 || index >= ListCount())
            return;
        SetListIndex(index);
        Fire(OnClick, "Click");
    }
    void UserSetText(std::string text) {
        if (!Usable() || style_ == ComboStyle::DropdownList || text == text_)
            return;
        text_ = std::move(text);
        // Typing leaves the list's selection unless the text is the selected entry's.
        if (ListIndex() >= 0 && List(ListIndex()) != text_)
            Select(-1);
        Notify(Change::Caption);
        Fire(OnChange, "Change");
    }

private:
    ComboStyle style_ = ComboStyle::DropdownCombo;
    std::string text_;
};

}  // namespace lumo
