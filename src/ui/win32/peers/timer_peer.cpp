#include "ui/win32/peers/timer_peer.h"

namespace lumo::win32 {

TimerPeer::~TimerPeer() {
    if (window_)
        KillTimer(window_, id_);
}

void TimerPeer::Update(Change, int32_t) {
    if (!window_)
        return;
    // SetTimer on a running id starts its period again, as a changed interval does.
    if (model_.Running())
        SetTimer(window_, id_, static_cast<UINT>(model_.Interval()), nullptr);
    else
        KillTimer(window_, id_);
}

}  // namespace lumo::win32
