#include "ui/win32/peers/button_peer.h"

namespace lumo::win32 {
namespace {

// Multi-line: a caption too long for one line breaks where the button is tall enough.
DWORD ButtonStyle(const Button& button) { return (button.Default() ? BS_DEFPUSHBUTTON : BS_PUSHBUTTON) | BS_MULTILINE; }

}  // namespace

void ButtonPeer::Create() { MakeWindow(L"BUTTON", ButtonStyle(M()), 0, M().Caption()); }

void ButtonPeer::Mirror(Change what, int32_t) {
    if (what == Change::Caption)
        SetText(M().Caption());
    else if (what == Change::Value)
        Send(BM_SETSTYLE, ButtonStyle(M()), TRUE);
}

void ButtonPeer::OnCommand(WORD code) {
    if (code == BN_CLICKED)
        M().Click();
}

}  // namespace lumo::win32
