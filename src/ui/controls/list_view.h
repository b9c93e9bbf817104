// A list view: rows with a key, a text, icon keys and sub-item texts; columns for the report
// view; large and small icons from image lists.
#pragma once

#include <vector>

#include "base/owning_collection.h"
#include "ui/controls/control.h"

namespace lumo {

class ImageList;
class ListView;

enum class ListViewStyle { Icon = 0, SmallIcon = 1, List = 2, Report = 3 };
enum class LabelEditMode { Automatic = 0, Manual = 1 };

struct ColumnHeader {
    std::string text;
    int32_t width = -1;  // twips; -1: the control's default width
};

class ListItem {
public:
    ListItem(ListView& owner, std::string key, std::string text, std::string icon, std::string smallIcon)
        : owner_(owner),
          key_(std::move(key)),
          text_(std::move(text)),
          icon_(std::move(icon)),
          smallIcon_(std::move(smallIcon)) {}
    ListItem(const ListItem&) = delete;
    ListItem& operator=(const ListItem&) = delete;

    const std::string& Key() const { return key_; }
    // Position in the list, from 1.
    int32_t Index() const;

    const std::string& Text() const { return text_; }
    void SetText(std::string text);
    // Icon keys in the large and small image lists; empty: no icon.
    const std::string& Icon() const { return icon_; }
    void SetIcon(std::string key);
    const std::string& SmallIcon() const { return smallIcon_; }
    void SetSmallIcon(std::string key);
    // Sub-item texts, from 1 (the second column); a sub-item never set reads empty.
    const std::string& SubItems(int32_t index) const;
    void SetSubItem(int32_t index, std::string text);
    int32_t SubItemCount() const { return static_cast<int32_t>(subItems_.size()); }
    // Brings the row into view.
    void EnsureVisible();
    // The row's check box, where the list shows check boxes. Quiet: checking from code runs no
    // event.
    bool Checked() const { return checked_; }
    void SetChecked(bool on);
    // Any value the list's owner keeps with the row (not shown).
    std::string Tag;

private:
    friend class ListView;
    void Changed();

    ListView& owner_;
    std::string key_;
    std::string text_;
    std::string icon_;
    std::string smallIcon_;
    std::vector<std::string> subItems_;
    bool checked_ = false;
    mutable int32_t index_ = 0;
};

class ListView : public Control {
public:
    explicit ListView(ControlSite site) : Control(std::move(site), ControlKind::ListView) {}

    ListViewStyle View() const { return view_; }
    void SetView(ListViewStyle view) {
        view_ = view;
        Notify(Change::Style);
    }
    LabelEditMode LabelEdit() const { return labelEdit_; }
    void SetLabelEdit(LabelEditMode mode) {
        labelEdit_ = mode;
        Notify(Change::Style);
    }
    // A check box in front of every row.
    bool CheckBoxes() const { return checkBoxes_; }
    void SetCheckBoxes(bool on) {
        checkBoxes_ = on;
        Notify(Change::Style);
    }
    bool FullRowSelect() const { return fullRowSelect_; }
    void SetFullRowSelect(bool on) {
        fullRowSelect_ = on;
        Notify(Change::Style);
    }
    ImageList* Icons() const { return icons_; }
    void SetIcons(ImageList* images) {
        icons_ = images;
        Notify(Change::Images);
    }
    ImageList* SmallIcons() const { return smallIcons_; }
    void SetSmallIcons(ImageList* images) {
        smallIcons_ = images;
        Notify(Change::Images);
    }

    // Columns, from 1.
    int32_t ColumnCount() const { return static_cast<int32_t>(columns_.size()); }
    const ColumnHeader& Column(int32_t index) const;
    void AddColumn(std::string text, int32_t width = -1);
    void ClearColumns() {
        columns_.clear();
        Notify(Change::Columns);
    }

    // Rows, from 1. A non-empty key must be unique (CollectionError otherwise).
    ListItem& AddItem(const std::string& key, std::string text, std::string icon = {}, std::string smallIcon = {});
    int32_t ItemCount() const { return items_.Count(); }
    ListItem& Item(const IndexKey& indexKey) { return items_.item(indexKey); }
    const ListItem& Item(const IndexKey& indexKey) const { return items_.item(indexKey); }
    bool HasItem(std::string_view key) const;
    void RemoveItem(const IndexKey& indexKey);
    void ClearItems();

    // The selected row (null: none). Quiet: selecting from code runs no event.
    ListItem* SelectedItem() const { return selected_; }
    void SetSelectedItem(ListItem* item);

    std::function<void(ListItem&)> OnItemClick;
    void UserClickItem(ListItem& item) {
        if (!Usable())
            return;
        SetSelectedItem(&item);
        Fire(
            [&] {
                if (OnItemClick)
                    OnItemClick(item);
            },
            "ItemClick");
    }

    // The user ticked or cleared a row's check box; the row holds its new state.
    std::function<void(ListItem&)> OnItemCheck;
    void UserCheckItem(ListItem& item, bool on) {
        if (!Usable() || !checkBoxes_ || item.checked_ == on)
            return;
        item.checked_ = on;
        Fire(
            [&] {
                if (OnItemCheck)
                    OnItemCheck(item);
            },
            "ItemCheck");
    }

    auto begin() { return items_.begin(); }
    auto end() { return items_.end(); }

private:
    friend class ListItem;
    int32_t IndexOf(const ListItem& item) const;
    void ItemChanged(const ListItem& item) { Notify(Change::ItemChanged, IndexOf(item)); }
    void ItemEnsureVisible(const ListItem& item) { Notify(Change::EnsureVisible, IndexOf(item)); }

    ListViewStyle view_ = ListViewStyle::Icon;
    LabelEditMode labelEdit_ = LabelEditMode::Automatic;
    bool fullRowSelect_ = false;
    bool checkBoxes_ = false;
    ImageList* icons_ = nullptr;
    ImageList* smallIcons_ = nullptr;
    std::vector<ColumnHeader> columns_;
    OwningCollection<ListItem> items_;
    ListItem* selected_ = nullptr;
    // Row positions are cached in the rows and renumbered once after a removal, so that
    // updating a row during a run costs no search.
    mutable bool indexesDirty_ = false;
};

}  // namespace lumo
