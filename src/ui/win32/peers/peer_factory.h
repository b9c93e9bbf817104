// Where a model control gets its native peer: the one place that turns a Control into its kind.
#pragma once

#include <memory>

#include "ui/win32/peers/control_peer.h"
#include "ui/win32/peers/image_list_peer.h"
#include "ui/win32/peers/timer_peer.h"

namespace lumo::win32 {

// Makes the peer of a windowed control kind; null for the kinds without a window.
std::unique_ptr<ControlWindow> MakeControlWindow(FormWindow& form, Control& model, int id);

// The peer of a timer control, ticking through `window`'s WM_TIMER with `id`.
std::unique_ptr<TimerPeer> MakeTimerPeer(HWND window, Control& model, UINT_PTR id);

}  // namespace lumo::win32
