// Walking a form's table of controls.
#include "ui/controls/form_table.h"

#include <stdexcept>
#include <string>

#include "ui/controls/button.h"
#include "ui/controls/check_box.h"
#include "ui/controls/form.h"
#include "ui/controls/frame.h"
#include "ui/controls/image.h"
#include "ui/controls/image_list.h"
#include "ui/controls/label.h"
#include "ui/controls/list_box.h"
#include "ui/controls/list_view.h"
#include "ui/controls/status_bar.h"
#include "ui/controls/text_box.h"
#include "ui/controls/timer.h"
#include "ui/controls/tree_view.h"

namespace lumo {
namespace {

[[noreturn]] void Refuse(const Form& form, const ControlRow& row, const std::string& why) {
    std::string name = row.name ? row.name : "(no name)";
    if (row.index >= 0)
        name += "(" + std::to_string(row.index) + ")";
    throw std::logic_error(form.Name() + "." + name + ": " + why);
}

Control& Make(Form& form, const ControlRow& row, Frame* container) {
    switch (row.kind) {
    case ControlKind::Button:
        return form.Add<Button>(row.name, container, row.index);
    case ControlKind::Label:
        return form.Add<Label>(row.name, container, row.index);
    case ControlKind::CheckBox:
        return form.Add<CheckBox>(row.name, container, row.index);
    case ControlKind::ComboBox:
        return form.Add<ComboBox>(row.name, container, row.index);
    case ControlKind::TextBox:
        return form.Add<TextBox>(row.name, container, row.index);
    case ControlKind::ListBox:
        return form.Add<ListBox>(row.name, container, row.index);
    case ControlKind::ListView:
        return form.Add<ListView>(row.name, container, row.index);
    case ControlKind::TreeView:
        return form.Add<TreeView>(row.name, container, row.index);
    case ControlKind::StatusBar:
        return form.Add<StatusBar>(row.name, container, row.index);
    case ControlKind::Frame:
        return form.Add<Frame>(row.name, container, row.index);
    case ControlKind::Timer:
        return form.Add<Timer>(row.name, container, row.index);
    case ControlKind::ImageList:
        return form.Add<ImageList>(row.name, container, row.index);
    case ControlKind::Image:
        return form.Add<Image>(row.name, container, row.index);
    case ControlKind::Shape:
        return form.Add<Shape>(row.name, container, row.index);
    }
    Refuse(form, row, "no such kind of control");
}

// Gives the caption to the kinds that show one; false for the others.
bool SetCaption(Control& control, const char* caption) {
    switch (control.Kind()) {
    case ControlKind::Button:
        static_cast<Button&>(control).SetCaption(caption);
        return true;
    case ControlKind::Label:
        static_cast<Label&>(control).SetCaption(caption);
        return true;
    case ControlKind::CheckBox:
        static_cast<CheckBox&>(control).SetCaption(caption);
        return true;
    case ControlKind::Frame:
        static_cast<Frame&>(control).SetCaption(caption);
        return true;
    default:
        return false;
    }
}

void ApplyStyle(const Form& form, const ControlRow& row, Control& control) {
    constexpr uint32_t kKnown = rsBold | rsHidden | rsDefault | rsCancel | rsDropdownList;
    if (row.style & ~kKnown)
        Refuse(form, row, "unknown style bits");
    if (row.style & rsBold)
        control.SetFontBold(true);
    if (row.style & rsHidden)
        control.SetVisible(false);
    if (row.style & (rsDefault | rsCancel)) {
        auto* button = dynamic_cast<Button*>(&control);
        if (!button)
            Refuse(form, row, "only a button can be the default or the cancel button");
        if (row.style & rsDefault)
            button->SetDefault(true);
        if (row.style & rsCancel)
            button->SetCancel(true);
    }
    if (row.style & rsDropdownList) {
        auto* combo = dynamic_cast<ComboBox*>(&control);
        if (!combo)
            Refuse(form, row, "only a combo box can be a drop-down list");
        combo->SetStyle(ComboStyle::DropdownList);
    }
}

}  // namespace

void AddControls(Form& form, std::span<const ControlRow> rows) {
    for (const ControlRow& row : rows) {
        if (!row.name || !*row.name)
            Refuse(form, row, "a control needs a name");
        // Another of the name (of the same position, in a control array) would hide this one.
        if (form.FindControl(row.name, row.index))
            Refuse(form, row, "a control of this name is already on the form");
        Frame* container = nullptr;
        if (row.container) {
            container = dynamic_cast<Frame*>(form.FindControl(row.container));
            if (!container)
                Refuse(form, row, std::string("no frame \"") + row.container + "\" made before it");
        }
        Control& control = Make(form, row, container);
        control.Move(row.left, row.top, row.width, row.height);
        if (row.caption && !SetCaption(control, row.caption))
            Refuse(form, row, "this kind of control shows no caption");
        if (row.tabIndex != kCreationOrder) {
            if (row.tabIndex < 0)
                Refuse(form, row, "a negative tab position");
            control.SetTabIndex(row.tabIndex);
        }
        ApplyStyle(form, row, control);
    }
}

}  // namespace lumo
