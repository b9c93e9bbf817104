// A list box: the user's choice goes to the model's UserSelect. It scrolls sideways as far as
// its widest line reaches, so that a long line can be read to its end.
#pragma once

#include <string>
#include <vector>

#include "ui/controls/list_box.h"
#include "ui/win32/peers/control_peer.h"

namespace lumo::win32 {

class ListBoxPeer : public ControlPeerOf<ListBox> {
public:
    using ControlPeerOf::ControlPeerOf;
    void Create() override;
    void OnCommand(WORD code) override;

protected:
    void Mirror(Change what, int32_t index) override;

private:
    void MeasureAll();
    void Measure(const std::vector<std::string>& lines);

    int widest_ = 0;  // pixels
};

}  // namespace lumo::win32
