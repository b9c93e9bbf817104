// A label: a static text aligned as the model says.
#pragma once

#include "ui/controls/label.h"
#include "ui/win32/peers/control_peer.h"

namespace lumo::win32 {

class LabelPeer : public ControlPeerOf<Label> {
public:
    using ControlPeerOf::ControlPeerOf;
    void Create() override;

protected:
    void Mirror(Change what, int32_t index) override;

private:
    DWORD AlignStyle() const;
};

}  // namespace lumo::win32
