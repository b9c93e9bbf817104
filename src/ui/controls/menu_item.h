// Menu items: a caption ("-" makes a separator line), a check mark, enabled and visible states,
// sub-items, and the click. A form's top-level items form its menu bar; an item with sub-items
// can also be shown as a pop-up menu through the host.
#pragma once

#include <cstdint>
#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "ui/controls/control.h"

namespace lumo {

class MenuItem {
public:
    MenuItem(Form& form, MenuItem* parent, std::string name, std::string caption, int32_t index, uint32_t id);
    MenuItem(const MenuItem&) = delete;
    MenuItem& operator=(const MenuItem&) = delete;

    const std::string& Name() const { return name_; }
    int32_t Index() const { return index_; }
    Form& ParentForm() const { return form_; }
    MenuItem* Parent() const { return parent_; }
    // The command number the backend gives the item; unique within its form.
    uint32_t Id() const { return id_; }

    const std::string& Caption() const { return caption_; }
    void SetCaption(std::string caption);
    bool IsSeparator() const { return caption_ == "-"; }
    bool Checked() const { return checked_; }
    void SetChecked(bool on);
    bool Enabled() const { return enabled_; }
    void SetEnabled(bool on);
    bool Visible() const { return visible_; }
    void SetVisible(bool on);

    MenuItem& Add(std::string name, std::string caption, int32_t index = -1);
    int32_t Count() const { return static_cast<int32_t>(items_.size()); }
    const std::vector<std::unique_ptr<MenuItem>>& Items() const { return items_; }
    // This item or one below it with the given name (and array index); null when none.
    MenuItem* Find(std::string_view name, int32_t index = -1);
    MenuItem* FindId(uint32_t id);

    std::function<void()> OnClick;
    // The user's choice of the item: only an enabled, visible item that is not a separator,
    // whose parents are enabled, runs its handler.
    void Click();

private:
    void Changed(Change what);

    Form& form_;
    MenuItem* parent_;
    std::string name_;
    std::string caption_;
    int32_t index_;
    uint32_t id_;
    bool checked_ = false;
    bool enabled_ = true;
    bool visible_ = true;
    std::vector<std::unique_ptr<MenuItem>> items_;
};

}  // namespace lumo
