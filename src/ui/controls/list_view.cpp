// List view rows and columns.
#include "ui/controls/list_view.h"

#include "base/collection.h"

namespace lumo {

int32_t ListItem::Index() const { return owner_.IndexOf(*this); }

void ListItem::SetText(std::string text) {
    text_ = std::move(text);
    Changed();
}

void ListItem::SetIcon(std::string key) {
    icon_ = std::move(key);
    Changed();
}

void ListItem::SetSmallIcon(std::string key) {
    smallIcon_ = std::move(key);
    Changed();
}

const std::string& ListItem::SubItems(int32_t index) const {
    static const std::string none;
    if (index < 1 || index > SubItemCount())
        return none;
    return subItems_[static_cast<size_t>(index - 1)];
}

void ListItem::SetSubItem(int32_t index, std::string text) {
    if (index < 1)
        throw CollectionError("sub-item " + std::to_string(index) + " does not exist");
    if (index > SubItemCount())
        subItems_.resize(static_cast<size_t>(index));
    subItems_[static_cast<size_t>(index - 1)] = std::move(text);
    Changed();
}

void ListItem::EnsureVisible() { owner_.ItemEnsureVisible(*this); }

void ListItem::SetChecked(bool on) {
    checked_ = on;
    Changed();
}

void ListItem::Changed() { owner_.ItemChanged(*this); }

const ColumnHeader& ListView::Column(int32_t index) const {
    if (index < 1 || index > ColumnCount())
        throw CollectionError("column " + std::to_string(index) + " does not exist");
    return columns_[static_cast<size_t>(index - 1)];
}

void ListView::AddColumn(std::string text, int32_t width) {
    columns_.push_back(ColumnHeader{std::move(text), width});
    Notify(Change::Columns);
}

ListItem& ListView::AddItem(const std::string& key, std::string text, std::string icon, std::string smallIcon) {
    auto item = std::make_unique<ListItem>(*this, key, std::move(text), std::move(icon), std::move(smallIcon));
    ListItem& added = items_.Add(std::move(item), key);
    added.index_ = items_.Count();
    Notify(Change::ItemAdded, added.index_);
    return added;
}

bool ListView::HasItem(std::string_view key) const { return items_.Contains(key); }

void ListView::RemoveItem(const IndexKey& indexKey) {
    ListItem& item = items_.item(indexKey);
    int32_t at = IndexOf(item);
    if (selected_ == &item)
        selected_ = nullptr;
    items_.Remove(at);
    indexesDirty_ = true;
    Notify(Change::ItemRemoved, at);
}

void ListView::ClearItems() {
    items_.Clear();
    selected_ = nullptr;
    indexesDirty_ = false;
    Notify(Change::Items);
}

void ListView::SetSelectedItem(ListItem* item) {
    selected_ = item;
    Notify(Change::Selection, item ? IndexOf(*item) : 0);
}

int32_t ListView::IndexOf(const ListItem& item) const {
    if (indexesDirty_) {
        int32_t n = 0;
        for (const ListItem& each : items_)
            each.index_ = ++n;
        indexesDirty_ = false;
    }
    return item.index_;
}

}  // namespace lumo
