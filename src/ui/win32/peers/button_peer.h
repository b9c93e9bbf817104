// A command button: a click goes to the model's Click.
#pragma once

#include "ui/controls/button.h"
#include "ui/win32/peers/control_peer.h"

namespace lumo::win32 {

class ButtonPeer : public ControlPeerOf<Button> {
public:
    using ControlPeerOf::ControlPeerOf;
    void Create() override;
    void OnCommand(WORD code) override;

protected:
    void Mirror(Change what, int32_t index) override;
};

}  // namespace lumo::win32
