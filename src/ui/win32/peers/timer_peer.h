// A timer on the form's window; WM_TIMER comes back to the form, which ticks the model.
#pragma once

#include "ui/controls/timer.h"
#include "ui/win32/win32_ui.h"

namespace lumo::win32 {

class TimerPeer : public ControlPeer {
public:
    TimerPeer(HWND window, Timer& model, UINT_PTR id) : window_(window), model_(model), id_(id) {}
    ~TimerPeer() override;
    TimerPeer(const TimerPeer&) = delete;
    TimerPeer& operator=(const TimerPeer&) = delete;
    void Update(Change what, int32_t index) override;
    UINT_PTR Id() const { return id_; }
    void Tick() { model_.Tick(); }
    // The form's window is gone, and its timers with it.
    void Forget() { window_ = nullptr; }

private:
    HWND window_;
    Timer& model_;
    UINT_PTR id_;
};

}  // namespace lumo::win32
