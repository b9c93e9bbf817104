// A list view: rows with sub-items, icons from the form's image lists and optional check boxes.
// A click on a row goes to the model's UserClickItem, a tick to UserCheckItem, and a selection
// moved by the keyboard to SetSelectedItem.
#pragma once

#include "ui/controls/list_view.h"
#include "ui/win32/peers/control_peer.h"

namespace lumo::win32 {

class ListViewPeer : public ControlPeerOf<ListView> {
public:
    using ControlPeerOf::ControlPeerOf;
    void Create() override;
    LRESULT OnNotify(NMHDR* header) override;

protected:
    void Mirror(Change what, int32_t index) override;

private:
    DWORD ViewStyle() const;
    int ImageIndex(const ListItem& item) const;
    // Writes the model's row into window row `row` (from 0), as a new row or over the one there.
    void WriteItem(const ListItem& item, int row, bool insert);
    void RewriteAll();
    void ShowSelection(int32_t index);
    void WriteColumns();
    LRESULT OnItemChanged(const NMLISTVIEW& change);
};

}  // namespace lumo::win32
