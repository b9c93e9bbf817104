#include "ui/win32/peers/text_box_peer.h"

namespace lumo::win32 {

DWORD TextBoxPeer::EditStyle() const {
    DWORD style = M().MultiLine() ? ES_MULTILINE | ES_AUTOVSCROLL | ES_WANTRETURN | WS_VSCROLL : ES_AUTOHSCROLL;
    return M().Locked() ? style | ES_READONLY : style;
}

void TextBoxPeer::Create() { MakeWindow(L"EDIT", EditStyle(), WS_EX_CLIENTEDGE, M().Text()); }

void TextBoxPeer::Mirror(Change what, int32_t) {
    if (what == Change::Caption && !InInput())
        SetText(M().Text());
    else if (what == Change::Style)
        Send(EM_SETREADONLY, M().Locked() ? TRUE : FALSE);
}

void TextBoxPeer::OnCommand(WORD code) {
    // EN_CHANGE also follows SetWindowText: only the user's typing goes to the model.
    if (code != EN_CHANGE || IsQuiet())
        return;
    FromUser input(*this);
    M().UserSetText(GetText());
}

}  // namespace lumo::win32
