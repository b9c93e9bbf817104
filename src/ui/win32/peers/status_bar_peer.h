// A status bar: the simple text or the panels, placed where the model says (not stuck to the
// form's bottom).
#pragma once

#include <vector>

#include "ui/controls/status_bar.h"
#include "ui/win32/peers/control_peer.h"

namespace lumo::win32 {

class StatusBarPeer : public ControlPeerOf<StatusBar> {
public:
    using ControlPeerOf::ControlPeerOf;
    void Create() override;

protected:
    void Mirror(Change what, int32_t index) override;

private:
    void Layout(int32_t changed);
    void MeasureWidths(int32_t count);

    bool simple_ = false;
    std::vector<int> widths_;  // in pixels; -1: to be measured
    std::vector<int> edges_;  // as the bar last got them
};

}  // namespace lumo::win32
