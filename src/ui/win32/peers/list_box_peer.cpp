#include "ui/win32/peers/list_box_peer.h"

#include <algorithm>

namespace lumo::win32 {

void ListBoxPeer::Create() {
    MakeWindow(L"LISTBOX", LBS_NOTIFY | LBS_NOINTEGRALHEIGHT | WS_VSCROLL | WS_HSCROLL, WS_EX_CLIENTEDGE, {});
    Mirror(Change::Items, 0);
}

void ListBoxPeer::Mirror(Change what, int32_t index) {
    switch (what) {
    case Change::Items:
        Send(WM_SETREDRAW, FALSE);
        Send(LB_RESETCONTENT);
        for (int32_t i = 0; i < M().ListCount(); ++i)
            Send(LB_ADDSTRING, 0, reinterpret_cast<LPARAM>(Widen(M().List(i)).c_str()));
        Send(LB_SETCURSEL, static_cast<WPARAM>(M().ListIndex()));
        MeasureAll();
        Send(WM_SETREDRAW, TRUE);
        InvalidateRect(Handle(), nullptr, TRUE);
        break;
    case Change::ItemAdded:
        Send(LB_INSERTSTRING, static_cast<WPARAM>(index), reinterpret_cast<LPARAM>(Widen(M().List(index)).c_str()));
        Measure({M().List(index)});
        break;
    case Change::ItemRemoved:
        // The scroll range stays as wide as the widest line seen; measuring every line again on
        // each removal would cost a long log dearly.
        Send(LB_DELETESTRING, static_cast<WPARAM>(index));
        break;
    case Change::Selection:
        if (!InInput())
            Send(LB_SETCURSEL, static_cast<WPARAM>(index));
        break;
    case Change::Font:
        MeasureAll();
        break;
    default:
        break;
    }
}

void ListBoxPeer::OnCommand(WORD code) {
    if (code != LBN_SELCHANGE || IsQuiet())
        return;
    FromUser input(*this);
    M().UserSelect(static_cast<int32_t>(Send(LB_GETCURSEL)));
}

void ListBoxPeer::MeasureAll() {
    widest_ = 0;
    std::vector<std::string> lines;
    for (int32_t i = 0; i < M().ListCount(); ++i)
        lines.push_back(M().List(i));
    Measure(lines);
}

void ListBoxPeer::Measure(const std::vector<std::string>& lines) {
    {
        ScopedWindowDc dc(Handle());
        ScopedSelect font(dc.get(), reinterpret_cast<HGDIOBJ>(Send(WM_GETFONT)));
        for (const std::string& line : lines) {
            std::wstring text = Widen(line);
            SIZE size{};
            GetTextExtentPoint32W(dc.get(), text.c_str(), static_cast<int>(text.size()), &size);
            widest_ = std::max(widest_, static_cast<int>(size.cx));
        }
    }
    Send(LB_SETHORIZONTALEXTENT, static_cast<WPARAM>(widest_ > 0 ? widest_ + Px(90) : 0));
}

}  // namespace lumo::win32
