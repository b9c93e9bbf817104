// An image: the model's picture as an icon centred in the model's place.
#pragma once

#include "ui/controls/image.h"
#include "ui/win32/peers/control_peer.h"

namespace lumo::win32 {

class ImagePeer : public ControlPeerOf<Image> {
public:
    using ControlPeerOf::ControlPeerOf;
    void Create() override;

protected:
    void Mirror(Change what, int32_t index) override;

private:
    UniqueIcon icon_;  // the one the window shows
};

}  // namespace lumo::win32
