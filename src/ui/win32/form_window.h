// The native peer of a form: a top-level window with the form's caption, border and client size
// in pixels at the window's DPI, its controls' peers, its menu bar and timers. Its window
// procedure turns WM_COMMAND, WM_NOTIFY, WM_TIMER, WM_SIZE and WM_CLOSE into the model's user
// actions and catches whatever escapes them.
#pragma once

#include <map>
#include <memory>
#include <vector>

#include "ui/controls/form.h"
#include "ui/win32/gdi_handles.h"
#include "ui/win32/peers/peer_factory.h"
#include "ui/win32/win32_ui.h"

namespace lumo {
class Win32Host;
}

namespace lumo::win32 {

// A pop-up menu of the visible sub-items of `menu`.
UniqueMenu BuildPopupMenu(const MenuItem& menu);

class FormWindow : public FormPeer {
public:
    FormWindow(Win32Host& host, Form& form);
    ~FormWindow() override;

    HWND Handle() const { return hwnd_.get(); }
    Form& Model() const { return form_; }
    Win32Host& Host() const { return host_; }
    int Dpi() const { return dpi_; }
    int Px(int32_t twips) const { return TwipsToPixels(twips, dpi_); }
    HFONT FontFor(const FontInfo& font) const;
    ImageListPeer* ImagesOf(const ImageList* images) const;
    ControlWindow* PeerOf(HWND child) const;

    // Makes the peers of the controls that exist now.
    void CreatePeers();
    void Update(Change what) override;
    void ControlAdded(Control& control) override;
    void MenuChanged(MenuItem& item, Change what) override;
    // Places the window centred on `owner`, or on the screen's work area.
    void Center(HWND owner);
    // The window is going: its children and timers go with it; the peers stay until the host
    // drops them (a window procedure may still be running).
    void Destroy();
    // Nonzero while one of this window's messages is being handled.
    int Busy() const { return busy_; }
    // Refreshes every control's place and visibility (a frame moved, hid or the DPI changed).
    void RefreshControls();
    // Stacks the control windows by TabIndex (the keyboard's order), frames and shapes last.
    void ApplyTabOrder();

    static void RegisterClassFor(HINSTANCE instance, const std::wstring& name);

private:
    static LRESULT CALLBACK WindowProc(HWND hwnd, UINT message, WPARAM w, LPARAM l);
    LRESULT Handle(UINT message, WPARAM w, LPARAM l);
    void MakePeer(Control& control);
    void RebuildMenuBar();
    void ApplySize();
    void ApplyStyle();
    void MeasureFrame();
    DWORD Style() const;
    DWORD ExStyle() const;
    LRESULT DefaultButtonId() const;

    Win32Host& host_;
    Form& form_;
    // Set as the window is created (WM_NCCREATE), so its first messages already reach this peer.
    UniqueWindow hwnd_;
    int dpi_ = 96;
    int nextId_ = 100;
    UINT_PTR nextTimerId_ = 1;
    bool creating_ = true;
    int busy_ = 0;
    std::map<int, ControlWindow*> byId_;
    std::map<UINT_PTR, TimerPeer*> timers_;
    // The bar shown in the window; the window destroys it with itself.
    UniqueMenu menuBar_;
    UniqueIcon bigIcon_;
    UniqueIcon smallIcon_;
};

}  // namespace lumo::win32
