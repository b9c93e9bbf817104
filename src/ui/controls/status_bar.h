// A status bar: one simple text or text panels, counted from 1. A panel sizes to its text, takes
// the width left over, or keeps its own width.
#pragma once

#include <vector>

#include "ui/controls/control.h"

namespace lumo {

enum class StatusBarStyle { Normal = 0, Simple = 1 };
enum class PanelAutoSize { None = 0, Spring = 1, Contents = 2 };

struct Panel {
    std::string text;
    PanelAutoSize autoSize = PanelAutoSize::None;
    int32_t width = 1440;  // twips, for AutoSize None
    int32_t minWidth = 0;  // twips
};

class StatusBar : public Control {
public:
    explicit StatusBar(ControlSite site) : Control(std::move(site), ControlKind::StatusBar) { SetTabStop(false); }

    StatusBarStyle Style() const { return style_; }
    void SetStyle(StatusBarStyle style) {
        style_ = style;
        Notify(Change::Style);
    }
    const std::string& SimpleText() const { return simpleText_; }
    void SetSimpleText(std::string text) {
        simpleText_ = std::move(text);
        Notify(Change::Caption);
    }

    int32_t PanelCount() const { return static_cast<int32_t>(panels_.size()); }
    const Panel& Panels(int32_t index) const;
    // Returns the new panel's position.
    int32_t AddPanel(std::string text = {}, PanelAutoSize autoSize = PanelAutoSize::None);
    void ClearPanels() {
        panels_.clear();
        Notify(Change::Items);
    }
    void SetPanelText(int32_t index, std::string text);
    void SetPanelAutoSize(int32_t index, PanelAutoSize autoSize);
    void SetPanelWidth(int32_t index, int32_t width);

private:
    Panel& At(int32_t index);

    StatusBarStyle style_ = StatusBarStyle::Normal;
    std::string simpleText_;
    std::vector<Panel> panels_;
};

}  // namespace lumo
