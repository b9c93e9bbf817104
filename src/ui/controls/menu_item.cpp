// Menu items.
#include "ui/controls/menu_item.h"

#include "ui/controls/form.h"

namespace lumo {

MenuItem::MenuItem(Form& form, MenuItem* parent, std::string name, std::string caption, int32_t index, uint32_t id)
    : form_(form), parent_(parent), name_(std::move(name)), caption_(std::move(caption)), index_(index), id_(id) {}

void MenuItem::SetCaption(std::string caption) {
    if (caption_ == caption)
        return;
    caption_ = std::move(caption);
    Changed(Change::Caption);
}

void MenuItem::SetChecked(bool on) {
    if (checked_ == on)
        return;
    checked_ = on;
    Changed(Change::Value);
}

void MenuItem::SetEnabled(bool on) {
    if (enabled_ == on)
        return;
    enabled_ = on;
    Changed(Change::Enabled);
}

void MenuItem::SetVisible(bool on) {
    if (visible_ == on)
        return;
    visible_ = on;
    Changed(Change::Visible);
}

MenuItem& MenuItem::Add(std::string name, std::string caption, int32_t index) {
    items_.push_back(
        std::make_unique<MenuItem>(form_, this, std::move(name), std::move(caption), index, form_.NextMenuId()));
    form_.MenuChanged(*this, Change::Items);
    return *items_.back();
}

MenuItem* MenuItem::Find(std::string_view name, int32_t index) {
    if (name_ == name && (index < 0 || index_ == index))
        return this;
    for (auto& item : items_)
        if (MenuItem* found = item->Find(name, index))
            return found;
    return nullptr;
}

MenuItem* MenuItem::FindId(uint32_t id) {
    if (id_ == id)
        return this;
    for (auto& item : items_)
        if (MenuItem* found = item->FindId(id))
            return found;
    return nullptr;
}

void MenuItem::Click() {
    // Parents only need to be enabled: a hidden top-level item is how a pop-up-only menu is kept
    // off the menu bar, and its sub-items are still chosen from the pop-up.
    if (IsSeparator() || !visible_)
        return;
    for (const MenuItem* m = this; m; m = m->parent_)
        if (!m->enabled_)
            return;
    if (!OnClick)
        return;
    std::string where = name_;
    if (index_ >= 0)
        where += "(" + std::to_string(index_) + ")";
    form_.Fire(OnClick, where + "_Click");
}

void MenuItem::Changed(Change what) { form_.MenuChanged(*this, what); }

}  // namespace lumo
