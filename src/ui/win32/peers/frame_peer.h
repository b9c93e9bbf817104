// A frame: a group box with its caption, or a separator line when it has no caption and is too
// low for a box. It stays beneath what stands on it.
#pragma once

#include "ui/controls/frame.h"
#include "ui/win32/peers/control_peer.h"

namespace lumo::win32 {

class FramePeer : public ControlPeerOf<Frame> {
public:
    using ControlPeerOf::ControlPeerOf;
    bool IsBackground() const override { return true; }
    void Create() override;

protected:
    void Mirror(Change what, int32_t index) override;
};

}  // namespace lumo::win32
