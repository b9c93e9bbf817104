// What every control's peer shares: its child window, place, font, enabled state and the
// changes every kind mirrors the same way.
#include "ui/win32/peers/control_peer.h"

#include "ui/controls/frame.h"
#include "ui/win32/form_window.h"

namespace lumo::win32 {

int ControlWindow::Px(int32_t twips) const { return form_.Px(twips); }

HWND ControlWindow::MakeWindow(const wchar_t* windowClass, DWORD style, DWORD exStyle, const std::string& text) {
    Quiet quiet(*this);
    if (model_.TabStop())
        style |= WS_TABSTOP;
    hwnd_.reset(CreateWindowExW(exStyle, windowClass, Widen(text).c_str(), style | WS_CHILD | WS_CLIPSIBLINGS, 0, 0, 0,
                                0, form_.Handle(), reinterpret_cast<HMENU>(static_cast<INT_PTR>(id_)),
                                reinterpret_cast<HINSTANCE>(GetWindowLongPtrW(form_.Handle(), GWLP_HINSTANCE)),
                                nullptr));
    Refresh();
    return Handle();
}

void ControlWindow::Place() {
    TwipsRect r = model_.FormBounds();
    SetWindowPos(Handle(), nullptr, Px(r.left), Px(r.top), Px(r.width), Px(r.height), SWP_NOZORDER | SWP_NOACTIVATE);
}

void ControlWindow::Refresh() {
    if (!hwnd_)
        return;
    Quiet quiet(*this);
    Place();
    Send(WM_SETFONT, reinterpret_cast<WPARAM>(form_.FontFor(model_.Font())), TRUE);
    bool enabled = true;
    for (const Control* c = &model_; c; c = c->Container())
        enabled = enabled && c->Enabled();
    EnableWindow(Handle(), enabled ? TRUE : FALSE);
    ShowWindow(Handle(), model_.Shown() ? SW_SHOWNA : SW_HIDE);
}

void ControlWindow::Update(Change what, int32_t index) {
    if (!hwnd_)
        return;
    Quiet quiet(*this);
    switch (what) {
    case Change::Bounds:
    case Change::Visible:
    case Change::Enabled:
        // A frame takes what stands in it along.
        if (model_.Kind() == ControlKind::Frame)
            form_.RefreshControls();
        else
            Refresh();
        if (what == Change::Bounds)
            Mirror(what, index);
        break;
    case Change::Font:
        Send(WM_SETFONT, reinterpret_cast<WPARAM>(form_.FontFor(model_.Font())), TRUE);
        Mirror(what, index);
        break;
    case Change::TabOrder:
        form_.ApplyTabOrder();
        break;
    default:
        Mirror(what, index);
        break;
    }
}

void ControlWindow::SetText(const std::string& text) const { SetWindowTextW(Handle(), Widen(text).c_str()); }

std::string ControlWindow::GetText() const {
    int n = GetWindowTextLengthW(Handle());
    std::wstring text(static_cast<size_t>(n) + 1, L'\0');
    int got = GetWindowTextW(Handle(), text.data(), n + 1);
    text.resize(static_cast<size_t>(got < 0 ? 0 : got));
    return Narrow(text);
}

}  // namespace lumo::win32
