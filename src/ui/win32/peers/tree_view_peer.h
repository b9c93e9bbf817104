// A tree view: the model's nodes, each window item carrying its node. A node the user selects
// goes to the model's UserClickNode.
#pragma once

#include <map>

#include "ui/controls/tree_view.h"
#include "ui/win32/peers/control_peer.h"

namespace lumo::win32 {

class TreeViewPeer : public ControlPeerOf<TreeView> {
public:
    using ControlPeerOf::ControlPeerOf;
    void Create() override;
    LRESULT OnNotify(NMHDR* header) override;

protected:
    void Mirror(Change what, int32_t index) override;

private:
    DWORD TreeStyle() const;
    void Insert(Node& node);
    void InsertTree(Node& node);
    void WriteNode(Node& node);

    std::map<const Node*, HTREEITEM> handles_;
};

}  // namespace lumo::win32
