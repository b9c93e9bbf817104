// The entry list of list and combo boxes.
#include "ui/controls/list_box.h"

namespace lumo {

const std::string& TextList::List(int32_t index) const {
    static const std::string none;
    if (index < 0 || index >= ListCount())
        return none;
    return entries_[static_cast<size_t>(index)];
}

int32_t TextList::Insert(std::string text, int32_t index) {
    if (index < 0 || index > ListCount())
        index = ListCount();
    entries_.insert(entries_.begin() + index, std::move(text));
    if (listIndex_ >= index)
        ++listIndex_;
    return index;
}

bool TextList::Erase(int32_t index) {
    if (index < 0 || index >= ListCount())
        return false;
    entries_.erase(entries_.begin() + index);
    if (listIndex_ == index)
        listIndex_ = -1;
    else if (listIndex_ > index)
        --listIndex_;
    return true;
}

bool TextList::Select(int32_t index) {
    if (index < -1 || index >= ListCount())
        index = -1;
    bool changed = index != listIndex_;
    listIndex_ = index;
    return changed;
}

void ComboBox::SetText(std::string text) {
    if (style_ == ComboStyle::DropdownList) {
        int32_t found = -1;
        for (int32_t i = 0; i < ListCount() && found < 0; ++i)
            if (List(i) == text)
                found = i;
        SetListIndex(found);
        return;
    }
    text_ = std::move(text);
    Notify(Change::Caption);
}

}  // namespace lumo
