// A combo box: the user's choice goes to the model's UserSelect, typing in its edit part to
// UserSetText. A change of style makes the window again.
#pragma once

#include "ui/controls/list_box.h"
#include "ui/win32/peers/control_peer.h"

namespace lumo::win32 {

class ComboBoxPeer : public ControlPeerOf<ComboBox> {
public:
    using ControlPeerOf::ControlPeerOf;
    void Create() override;
    void OnCommand(WORD code) override;

protected:
    void Mirror(Change what, int32_t index) override;
    void Place() override;

private:
    DWORD ComboStyleBits() const;
    void ShowSelection();
};

}  // namespace lumo::win32
