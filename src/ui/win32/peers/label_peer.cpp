#include "ui/win32/peers/label_peer.h"

namespace lumo::win32 {

DWORD LabelPeer::AlignStyle() const {
    switch (M().GetAlignment()) {
    case Alignment::Right:
        return SS_RIGHT;
    case Alignment::Center:
        return SS_CENTER;
    case Alignment::Left:
        break;
    }
    return SS_LEFT;
}

void LabelPeer::Create() { MakeWindow(L"STATIC", AlignStyle(), 0, M().Caption()); }

void LabelPeer::Mirror(Change what, int32_t) {
    if (what == Change::Caption) {
        SetText(M().Caption());
    } else if (what == Change::Style) {
        LONG_PTR style = GetWindowLongPtrW(Handle(), GWL_STYLE) & ~static_cast<LONG_PTR>(SS_TYPEMASK);
        SetWindowLongPtrW(Handle(), GWL_STYLE, style | static_cast<LONG_PTR>(AlignStyle()));
        InvalidateRect(Handle(), nullptr, TRUE);
    }
}

}  // namespace lumo::win32
