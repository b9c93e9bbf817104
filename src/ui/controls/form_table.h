// A form's controls described once, as rows of a table: kind, name, caption, place in twips, tab
// order, the frame each stands in and a few looks. The form walks the table to make its controls;
// what depends on data (list entries, controls made per record) stays the form's own code.
#pragma once

#include <cstdint>
#include <span>

#include "ui/controls/control.h"

namespace lumo {

class Form;

// What a row asks of its control beyond place and caption; combined with |.
enum RowStyle : uint32_t {
    rsNone = 0,
    rsBold = 1u << 0,  // the form's font in bold
    rsHidden = 1u << 1,  // not visible until the form's code shows it
    rsDefault = 1u << 2,  // the button Enter presses
    rsCancel = 1u << 3,  // the button Escape presses
    rsDropdownList = 1u << 4,  // a combo box whose text is always one of its entries
};

// A row whose control keeps the tab position of its creation: Form::Add gives each new control
// the number of controls made before it.
inline constexpr int32_t kCreationOrder = -1;

struct ControlRow {
    ControlKind kind;
    const char* name;
    // For the kinds that show a text of their own (button, label, check box, frame); null: none.
    const char* caption;
    int32_t left, top, width, height;
    // The keyboard's order through the form; kCreationOrder: none given.
    int32_t tabIndex = kCreationOrder;
    // The frame the control stands in, made by an earlier row; null: the form itself.
    const char* container = nullptr;
    uint32_t style = rsNone;
    // Position in a control array (several controls of one name); -1: not in one.
    int32_t index = -1;
};

// Makes the control of every row on `form`, in the rows' order. A row the model cannot honour
// (a container not made before it, a caption or style its kind does not have) is a fault of the
// program's tables: std::logic_error names the form and the row.
void AddControls(Form& form, std::span<const ControlRow> rows);

}  // namespace lumo
