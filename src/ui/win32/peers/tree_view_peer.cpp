#include "ui/win32/peers/tree_view_peer.h"

namespace lumo::win32 {

DWORD TreeViewPeer::TreeStyle() const {
    return TVS_HASLINES | TVS_LINESATROOT | TVS_HASBUTTONS | TVS_SHOWSELALWAYS |
           (M().LabelEdit() ? TVS_EDITLABELS : 0u);
}

void TreeViewPeer::Create() {
    MakeWindow(WC_TREEVIEWW, TreeStyle(), WS_EX_CLIENTEDGE, {});
    Mirror(Change::Items, 0);
}

void TreeViewPeer::Insert(Node& node) {
    std::wstring text = Widen(node.Text());
    TVINSERTSTRUCTW ins{};
    ins.hParent = node.Parent() ? handles_[node.Parent()] : TVI_ROOT;
    ins.hInsertAfter = TVI_LAST;
    ins.item.mask = TVIF_TEXT | TVIF_PARAM;
    ins.item.pszText = text.data();
    ins.item.lParam = reinterpret_cast<LPARAM>(&node);
    handles_[&node] = reinterpret_cast<HTREEITEM>(Send(TVM_INSERTITEMW, 0, reinterpret_cast<LPARAM>(&ins)));
}

void TreeViewPeer::InsertTree(Node& node) {
    Insert(node);
    for (Node* child : node.Children())
        InsertTree(*child);
}

void TreeViewPeer::WriteNode(Node& node) {
    std::wstring text = Widen(node.Text());
    TVITEMW item{};
    item.mask = TVIF_TEXT | TVIF_HANDLE;
    item.hItem = handles_[&node];
    item.pszText = text.data();
    Send(TVM_SETITEMW, 0, reinterpret_cast<LPARAM>(&item));
    Send(TVM_EXPAND, node.Expanded() ? TVE_EXPAND : TVE_COLLAPSE, reinterpret_cast<LPARAM>(item.hItem));
}

void TreeViewPeer::Mirror(Change what, int32_t index) {
    switch (what) {
    case Change::Items:
        Send(TVM_DELETEITEM, 0, reinterpret_cast<LPARAM>(TVI_ROOT));
        handles_.clear();
        for (Node* root : M().Roots())
            InsertTree(*root);
        break;
    case Change::ItemAdded:
        Insert(M().Nodes(index));
        break;
    case Change::ItemChanged:
        WriteNode(M().Nodes(index));
        break;
    case Change::Selection:
        if (!InInput())
            Send(TVM_SELECTITEM, TVGN_CARET,
                 reinterpret_cast<LPARAM>(index > 0 ? handles_[&M().Nodes(index)] : nullptr));
        break;
    case Change::Style: {
        LONG_PTR style = GetWindowLongPtrW(Handle(), GWL_STYLE) & ~static_cast<LONG_PTR>(TVS_EDITLABELS);
        SetWindowLongPtrW(Handle(), GWL_STYLE, style | static_cast<LONG_PTR>(TreeStyle()));
        break;
    }
    default:
        break;
    }
}

LRESULT TreeViewPeer::OnNotify(NMHDR* header) {
    if (IsQuiet() || header->code != TVN_SELCHANGEDW)
        return 0;
    auto* change = reinterpret_cast<NMTREEVIEWW*>(header);
    // TVC_UNKNOWN: the selection moved because of code (or a node went), not the user.
    if (change->action == TVC_UNKNOWN || !change->itemNew.hItem)
        return 0;
    if (auto* node = reinterpret_cast<Node*>(change->itemNew.lParam)) {
        FromUser input(*this);
        M().UserClickNode(*node);
    }
    return 0;
}

}  // namespace lumo::win32
