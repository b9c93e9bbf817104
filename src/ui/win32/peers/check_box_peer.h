// A check box. Not an automatic box: the model decides the next state and the peer shows it, so
// a grayed box looks grayed and a click goes through CheckBox::Click like a test's.
#pragma once

#include "ui/controls/check_box.h"
#include "ui/win32/peers/control_peer.h"

namespace lumo::win32 {

class CheckBoxPeer : public ControlPeerOf<CheckBox> {
public:
    using ControlPeerOf::ControlPeerOf;
    void Create() override;
    void OnCommand(WORD code) override;

protected:
    void Mirror(Change what, int32_t index) override;
};

}  // namespace lumo::win32
