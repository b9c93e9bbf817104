// A shape: only an etched border, beneath what stands on it. Transparent like a group box, so
// the form paints its inside.
#pragma once

#include "ui/controls/image.h"
#include "ui/win32/peers/control_peer.h"

namespace lumo::win32 {

class ShapePeer : public ControlPeerOf<Shape> {
public:
    using ControlPeerOf::ControlPeerOf;
    bool IsBackground() const override { return true; }
    void Create() override { MakeWindow(L"STATIC", SS_ETCHEDFRAME, WS_EX_TRANSPARENT, {}); }

protected:
    void Mirror(Change, int32_t) override {}
};

}  // namespace lumo::win32
