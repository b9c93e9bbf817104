#include "ui/win32/peers/list_view_peer.h"

#include <algorithm>

#include "ui/controls/image_list.h"
#include "ui/win32/form_window.h"

namespace lumo::win32 {

DWORD ListViewPeer::ViewStyle() const {
    DWORD style = LVS_SHAREIMAGELISTS | LVS_SHOWSELALWAYS | LVS_SINGLESEL;
    switch (M().View()) {
    case ListViewStyle::Icon:
        style |= LVS_ICON;
        break;
    case ListViewStyle::SmallIcon:
        style |= LVS_SMALLICON;
        break;
    case ListViewStyle::List:
        style |= LVS_LIST;
        break;
    case ListViewStyle::Report:
        style |= LVS_REPORT;
        break;
    }
    if (M().LabelEdit() == LabelEditMode::Automatic)
        style |= LVS_EDITLABELS;
    return style;
}

void ListViewPeer::Create() {
    MakeWindow(WC_LISTVIEWW, ViewStyle(), WS_EX_CLIENTEDGE, {});
    Mirror(Change::Style, 0);
    Mirror(Change::Images, 0);
    Mirror(Change::Columns, 0);
    Mirror(Change::Items, 0);
}

int ListViewPeer::ImageIndex(const ListItem& item) const {
    bool large = M().View() == ListViewStyle::Icon;
    const ImageList* images = large ? M().Icons() : M().SmallIcons();
    int found = images ? images->Find(large ? item.Icon() : item.SmallIcon()) : 0;
    return found > 0 ? found - 1 : I_IMAGENONE;
}

void ListViewPeer::WriteItem(const ListItem& item, int row, bool insert) {
    std::wstring text = Widen(item.Text());
    LVITEMW lv{};
    lv.mask = LVIF_TEXT | LVIF_IMAGE | (insert ? LVIF_PARAM : 0u);
    lv.iItem = row;
    lv.pszText = text.data();
    lv.iImage = ImageIndex(item);
    lv.lParam = reinterpret_cast<LPARAM>(&item);
    if (M().CheckBoxes()) {
        // The check box is the row's state image: 1 cleared, 2 ticked.
        lv.mask |= LVIF_STATE;
        lv.stateMask = LVIS_STATEIMAGEMASK;
        lv.state = INDEXTOSTATEIMAGEMASK(item.Checked() ? 2 : 1);
    }
    Send(insert ? LVM_INSERTITEMW : LVM_SETITEMW, 0, reinterpret_cast<LPARAM>(&lv));
    int columns = std::max(M().ColumnCount(), item.SubItemCount() + 1);
    for (int32_t sub = 1; sub < columns; ++sub) {
        if (insert && item.SubItems(sub).empty())
            continue;
        std::wstring subText = Widen(item.SubItems(sub));
        LVITEMW s{};
        s.iSubItem = sub;
        s.pszText = subText.data();
        Send(LVM_SETITEMTEXTW, static_cast<WPARAM>(row), reinterpret_cast<LPARAM>(&s));
    }
}

void ListViewPeer::RewriteAll() {
    int32_t rows = std::min<int32_t>(M().ItemCount(), static_cast<int32_t>(Send(LVM_GETITEMCOUNT)));
    for (int32_t row = 1; row <= rows; ++row)
        WriteItem(M().Item(row), row - 1, false);
}

void ListViewPeer::WriteColumns() {
    while (Send(LVM_DELETECOLUMN, 0))
        ;
    for (int32_t c = 1; c <= M().ColumnCount(); ++c) {
        const ColumnHeader& h = M().Column(c);
        std::wstring text = Widen(h.text);
        LVCOLUMNW col{};
        col.mask = LVCF_TEXT | LVCF_WIDTH | LVCF_SUBITEM;
        col.pszText = text.data();
        col.cx = Px(h.width < 0 ? 1440 : h.width);
        col.iSubItem = c - 1;
        Send(LVM_INSERTCOLUMNW, static_cast<WPARAM>(c - 1), reinterpret_cast<LPARAM>(&col));
    }
}

void ListViewPeer::ShowSelection(int32_t index) {
    LVITEMW none{};
    none.stateMask = LVIS_SELECTED | LVIS_FOCUSED;
    Send(LVM_SETITEMSTATE, static_cast<WPARAM>(-1), reinterpret_cast<LPARAM>(&none));
    if (index > 0) {
        LVITEMW on{};
        on.stateMask = LVIS_SELECTED | LVIS_FOCUSED;
        on.state = LVIS_SELECTED | LVIS_FOCUSED;
        Send(LVM_SETITEMSTATE, static_cast<WPARAM>(index - 1), reinterpret_cast<LPARAM>(&on));
    }
}

void ListViewPeer::Mirror(Change what, int32_t index) {
    switch (what) {
    case Change::Style: {
        LONG_PTR style = GetWindowLongPtrW(Handle(), GWL_STYLE) &
                         ~static_cast<LONG_PTR>(LVS_TYPEMASK | LVS_EDITLABELS | LVS_SHAREIMAGELISTS |
                                                LVS_SHOWSELALWAYS | LVS_SINGLESEL);
        SetWindowLongPtrW(Handle(), GWL_STYLE, style | static_cast<LONG_PTR>(ViewStyle()));
        Send(LVM_SETEXTENDEDLISTVIEWSTYLE, LVS_EX_FULLROWSELECT | LVS_EX_CHECKBOXES,
             (M().FullRowSelect() ? LVS_EX_FULLROWSELECT : 0) | (M().CheckBoxes() ? LVS_EX_CHECKBOXES : 0));
        RewriteAll();
        break;
    }
    case Change::Images: {
        ImageListPeer* large = form_.ImagesOf(M().Icons());
        ImageListPeer* small = form_.ImagesOf(M().SmallIcons());
        Send(LVM_SETIMAGELIST, LVSIL_NORMAL, reinterpret_cast<LPARAM>(large ? large->Large() : nullptr));
        Send(LVM_SETIMAGELIST, LVSIL_SMALL, reinterpret_cast<LPARAM>(small ? small->Small() : nullptr));
        RewriteAll();
        break;
    }
    case Change::Columns:
        WriteColumns();
        break;
    case Change::Items:
        Send(WM_SETREDRAW, FALSE);
        Send(LVM_DELETEALLITEMS);
        for (int32_t row = 1; row <= M().ItemCount(); ++row)
            WriteItem(M().Item(row), row - 1, true);
        Send(WM_SETREDRAW, TRUE);
        InvalidateRect(Handle(), nullptr, TRUE);
        break;
    case Change::ItemAdded:
        WriteItem(M().Item(index), index - 1, true);
        break;
    case Change::ItemChanged:
        WriteItem(M().Item(index), index - 1, false);
        break;
    case Change::ItemRemoved:
        Send(LVM_DELETEITEM, static_cast<WPARAM>(index - 1));
        break;
    case Change::Selection:
        if (!InInput())
            ShowSelection(index);
        break;
    case Change::EnsureVisible:
        Send(LVM_ENSUREVISIBLE, static_cast<WPARAM>(index - 1), FALSE);
        break;
    default:
        break;
    }
}

LRESULT ListViewPeer::OnNotify(NMHDR* header) {
    if (IsQuiet())
        return 0;
    switch (header->code) {
    case NM_CLICK: {
        auto* click = reinterpret_cast<NMITEMACTIVATE*>(header);
        if (click->iItem >= 0 && click->iItem < M().ItemCount()) {
            FromUser input(*this);
            M().UserClickItem(M().Item(click->iItem + 1));
        }
        return 0;
    }
    case LVN_ITEMCHANGED:
        return OnItemChanged(*reinterpret_cast<NMLISTVIEW*>(header));
    default:
        return 0;
    }
}

// The keyboard moves the selection without a click: keep the model's in step, quietly.
LRESULT ListViewPeer::OnItemChanged(const NMLISTVIEW& change) {
    bool row = change.iItem >= 0 && change.iItem < M().ItemCount();
    // A click on a check box, or the space bar, changes the row's state image.
    if (M().CheckBoxes() && (change.uChanged & LVIF_STATE) &&
        ((change.uNewState ^ change.uOldState) & LVIS_STATEIMAGEMASK) && row &&
        (change.uNewState & LVIS_STATEIMAGEMASK)) {
        // A handler that refuses it (a warning answered No) clears the row again, which the
        // model mirrors back here.
        bool on = (change.uNewState & LVIS_STATEIMAGEMASK) == INDEXTOSTATEIMAGEMASK(2);
        M().UserCheckItem(M().Item(change.iItem + 1), on);
    }
    if ((change.uChanged & LVIF_STATE) && (change.uNewState & LVIS_SELECTED) && !(change.uOldState & LVIS_SELECTED) &&
        change.iItem >= 0 && change.iItem < M().ItemCount()) {
        FromUser input(*this);
        M().SetSelectedItem(&M().Item(change.iItem + 1));
    }
    return 0;
}

}  // namespace lumo::win32
