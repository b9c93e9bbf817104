// The program's icon in the notification area: a tooltip, an icon, and the user's clicks on it.
// The host shows it; its clicks come back through the two user actions.
#pragma once

#include <functional>
#include <string>

namespace lumo {

class TrayIcon {
public:
    std::string ToolTip;
    std::string Picture = "appicon";  // resource name of the icon

    std::function<void()> OnDoubleClick;
    std::function<void()> OnRightClick;
    void DoubleClick() {
        if (OnDoubleClick)
            OnDoubleClick();
    }
    void RightClick() {
        if (OnRightClick)
            OnRightClick();
    }
};

}  // namespace lumo
