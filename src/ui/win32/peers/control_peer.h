// The native peers of the controls: one child window per visible control kind (a timer and an
// image list have none), each mirroring its model and turning the user's input into the model's
// user actions. While a peer mirrors a change it is "quiet": the notifications Windows sends for
// changes made by code (EN_CHANGE after SetWindowText, LVN_ITEMCHANGED after LVM_SETITEMSTATE)
// are dropped, so they never reach the model as if the user had acted. While it hands the user's
// input to the model it is "in input": the model's echo of that very change is not written back
// into the window the user is typing or clicking in.
#pragma once

#include <string>

#include "ui/controls/control.h"
#include "ui/win32/gdi_handles.h"
#include "ui/win32/win32_ui.h"

namespace lumo::win32 {

class FormWindow;

class ControlWindow : public ControlPeer {
public:
    ControlWindow(FormWindow& form, Control& model, int id) : form_(form), model_(model), id_(id) {}

    HWND Handle() const { return hwnd_.get(); }
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
    // The form's window is gone, and this one with it: the peer no longer destroys it.
    void Forget() { static_cast<void>(hwnd_.release()); }

protected:
    virtual void Mirror(Change what, int32_t index) = 0;
    virtual void Place();
    HWND MakeWindow(const wchar_t* windowClass, DWORD style, DWORD exStyle, const std::string& text);
    // Destroys the window now (a control that must be made again to change its kind).
    void DestroyNow() { hwnd_.reset(); }
    int Px(int32_t twips) const;
    LRESULT Send(UINT message, WPARAM w = 0, LPARAM l = 0) const { return SendMessageW(hwnd_.get(), message, w, l); }
    void SetText(const std::string& text) const;
    std::string GetText() const;

    // Mirroring a change made by code: what Windows reports meanwhile is not the user's.
    class Quiet {
    public:
        explicit Quiet(ControlWindow& w) : w_(w) { ++w_.quiet_; }
        ~Quiet() { --w_.quiet_; }
        Quiet(const Quiet&) = delete;
        Quiet& operator=(const Quiet&) = delete;

    private:
        ControlWindow& w_;
    };
    bool IsQuiet() const { return quiet_ > 0; }

    // Handing the user's input to the model: the window already shows it.
    class FromUser {
    public:
        explicit FromUser(ControlWindow& w) : w_(w) { ++w_.input_; }
        ~FromUser() { --w_.input_; }
        FromUser(const FromUser&) = delete;
        FromUser& operator=(const FromUser&) = delete;

    private:
        ControlWindow& w_;
    };
    bool InInput() const { return input_ > 0; }

    FormWindow& form_;
    Control& model_;

private:
    int id_;
    // The peer destroys its window when it goes (a control removed from a live form) unless the
    // form's window went first and took it along (Forget).
    UniqueWindow hwnd_;
    int quiet_ = 0;
    int input_ = 0;
};

// The base of each kind's peer: the model in its own type, so a peer never casts it.
template <class ModelType>
class ControlPeerOf : public ControlWindow {
public:
    ControlPeerOf(FormWindow& form, ModelType& model, int id) : ControlWindow(form, model, id), typed_(model) {}

protected:
    ModelType& M() const { return typed_; }

private:
    ModelType& typed_;
};

}  // namespace lumo::win32
