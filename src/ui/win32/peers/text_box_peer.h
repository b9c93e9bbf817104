// A text box: the user's typing goes to the model's UserSetText.
#pragma once

#include "ui/controls/text_box.h"
#include "ui/win32/peers/control_peer.h"

namespace lumo::win32 {

class TextBoxPeer : public ControlPeerOf<TextBox> {
public:
    using ControlPeerOf::ControlPeerOf;
    void Create() override;
    void OnCommand(WORD code) override;

protected:
    void Mirror(Change what, int32_t index) override;

private:
    DWORD EditStyle() const;
};

}  // namespace lumo::win32
