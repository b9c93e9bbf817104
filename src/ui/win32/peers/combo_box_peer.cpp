#include "ui/win32/peers/combo_box_peer.h"

namespace lumo::win32 {

DWORD ComboBoxPeer::ComboStyleBits() const {
    switch (M().Style()) {
    case ComboStyle::Simple:
        return CBS_SIMPLE;
    case ComboStyle::DropdownList:
        return CBS_DROPDOWNLIST;
    case ComboStyle::DropdownCombo:
        break;
    }
    return CBS_DROPDOWN | CBS_AUTOHSCROLL;
}

void ComboBoxPeer::Create() {
    MakeWindow(L"COMBOBOX", ComboStyleBits() | WS_VSCROLL, 0, {});
    Mirror(Change::Items, 0);
}

void ComboBoxPeer::Place() {
    // The model's height is the closed box's; the window also holds the drop-down list.
    TwipsRect r = M().FormBounds();
    int height = Px(r.height);
    if (M().Style() != ComboStyle::Simple)
        height += Px(2400);
    SetWindowPos(Handle(), nullptr, Px(r.left), Px(r.top), Px(r.width), height, SWP_NOZORDER | SWP_NOACTIVATE);
}

void ComboBoxPeer::Mirror(Change what, int32_t index) {
    switch (what) {
    case Change::Items:
        Send(CB_RESETCONTENT);
        for (int32_t i = 0; i < M().ListCount(); ++i)
            Send(CB_ADDSTRING, 0, reinterpret_cast<LPARAM>(Widen(M().List(i)).c_str()));
        ShowSelection();
        break;
    case Change::ItemAdded:
        Send(CB_INSERTSTRING, static_cast<WPARAM>(index), reinterpret_cast<LPARAM>(Widen(M().List(index)).c_str()));
        break;
    case Change::ItemRemoved:
        Send(CB_DELETESTRING, static_cast<WPARAM>(index));
        break;
    case Change::Selection:
    case Change::Caption:
        if (!InInput())
            ShowSelection();
        break;
    case Change::Style:
        // A combo box cannot change its kind in place: make it again.
        DestroyNow();
        Create();
        break;
    default:
        break;
    }
}

void ComboBoxPeer::ShowSelection() {
    Send(CB_SETCURSEL, static_cast<WPARAM>(M().ListIndex()));
    if (M().Style() != ComboStyle::DropdownList && M().ListIndex() < 0)
        SetText(M().Text());
}

void ComboBoxPeer::OnCommand(WORD code) {
    if (IsQuiet())
        return;
    FromUser input(*this);
    if (code == CBN_SELCHANGE)
        M().UserSelect(static_cast<int32_t>(Send(CB_GETCURSEL)));
    else if (code == CBN_EDITCHANGE)
        M().UserSetText(GetText());
}

}  // namespace lumo::win32
