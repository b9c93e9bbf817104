// The native peers of the controls: one child window per visible control kind (a timer and an
// image list have none), each mirroring its model and turning the user's input into the model's
// user actions. While a peer mirrors a change it is "quiet": the notifications Windows sends for
// changes made by code (EN_CHANGE after SetWindowText, LVN_ITEMCHANGED after LVM_SETITEMSTATE)
// are dropped, so they never reach the model as if the user had acted.
#pragma once

#include <memory>
#include <vector>

#include "ui/controls/control.h"
#include "ui/win32/win32_ui.h"

namespace lumo {
class ImageList;
}

namespace lumo::win32 {

class FormWindow;

class ControlWindow : public ControlPeer {
public:
    ControlWindow(FormWindow& form, Control& model, int id) : form_(form), model_(model), id_(id) {}
    ~ControlWindow() override;

    HWND Handle() const { return hwnd_; }
    Control& Model() const { return model_; }
    int Id() const { return id_; }
    // Frames and shapes stay beneath the controls that stand on them.
    virtual bool IsBackground() const { return false; }

    virtual void Create() = 0;
    void Update(Change what, int32_t index) final;
    virtual void OnCommand(WORD code) {}
    virtual LRESULT OnNotify(NMHDR* header) { return 0; }
    // Place, visibility, enabled state and font again from the model (after a frame moved or the
    // DPI changed).
    void Refresh();
    // The form's window is gone, and this one with it.
    void Forget() { hwnd_ = nullptr; }

protected:
    virtual void Mirror(Change what, int32_t index) = 0;
    virtual void Place();
    HWND MakeWindow(const wchar_t* windowClass, DWORD style, DWORD exStyle, const std::string& text);
    int Px(int32_t twips) const;
    LRESULT Send(UINT message, WPARAM w = 0, LPARAM l = 0) const { return SendMessageW(hwnd_, message, w, l); }

    class Quiet {
    public:
        explicit Quiet(ControlWindow& w) : w_(w) { ++w_.quiet_; }
        ~Quiet() { --w_.quiet_; }
    private:
        ControlWindow& w_;
    };
    bool IsQuiet() const { return quiet_ > 0; }

    FormWindow& form_;
    Control& model_;
    int id_;
    HWND hwnd_ = nullptr;
    int quiet_ = 0;
};

// The two image lists (small and large icons) of an image list control.
class ImageListPeer : public ControlPeer {
public:
    ImageListPeer(HINSTANCE instance, ImageList& model, int dpi);
    ~ImageListPeer() override;
    void Update(Change what, int32_t index) override;
    HIMAGELIST Small() const { return small_; }
    HIMAGELIST Large() const { return large_; }
    void SetDpi(int dpi);

private:
    void Build();
    void Append(const std::string& picture);
    void Destroy();

    HINSTANCE instance_;
    ImageList& model_;
    int dpi_;
    HIMAGELIST small_ = nullptr;
    HIMAGELIST large_ = nullptr;
};

// A timer on the form's window; WM_TIMER comes back to the form, which ticks the model.
class TimerPeer : public ControlPeer {
public:
    TimerPeer(HWND window, Control& model, UINT_PTR id);
    ~TimerPeer() override;
    void Update(Change what, int32_t index) override;
    UINT_PTR Id() const { return id_; }
    void Tick();
    void Forget() { window_ = nullptr; }

private:
    HWND window_;
    Control& model_;
    UINT_PTR id_;
};

// Makes the peer of a windowed control kind; null for the kinds without a window.
std::unique_ptr<ControlWindow> MakeControlWindow(FormWindow& form, Control& model, int id);

}  // namespace lumo::win32
