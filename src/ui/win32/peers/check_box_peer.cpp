#include "ui/win32/peers/check_box_peer.h"

namespace lumo::win32 {

void CheckBoxPeer::Create() {
    MakeWindow(L"BUTTON", BS_3STATE | BS_MULTILINE, 0, M().Caption());
    Mirror(Change::Value, 0);
}

void CheckBoxPeer::Mirror(Change what, int32_t) {
    if (what == Change::Caption)
        SetText(M().Caption());
    else if (what == Change::Value)
        Send(BM_SETCHECK, static_cast<WPARAM>(M().Value()));
}

void CheckBoxPeer::OnCommand(WORD code) {
    if (code == BN_CLICKED && !IsQuiet())
        M().Click();
}

}  // namespace lumo::win32
