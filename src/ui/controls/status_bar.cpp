// Status bar panels.
#include "ui/controls/status_bar.h"

#include "base/collection.h"

namespace lumo {

const Panel& StatusBar::Panels(int32_t index) const {
    if (index < 1 || index > PanelCount())
        throw CollectionError("panel " + std::to_string(index) + " does not exist");
    return panels_[static_cast<size_t>(index - 1)];
}

Panel& StatusBar::At(int32_t index) { return const_cast<Panel&>(static_cast<const StatusBar&>(*this).Panels(index)); }

int32_t StatusBar::AddPanel(std::string text, PanelAutoSize autoSize) {
    panels_.push_back(Panel{std::move(text), autoSize});
    Notify(Change::ItemAdded, PanelCount());
    return PanelCount();
}

void StatusBar::SetPanelText(int32_t index, std::string text) {
    Panel& p = At(index);
    if (p.text == text)
        return;
    p.text = std::move(text);
    Notify(Change::ItemChanged, index);
}

void StatusBar::SetPanelAutoSize(int32_t index, PanelAutoSize autoSize) {
    At(index).autoSize = autoSize;
    Notify(Change::ItemChanged, index);
}

void StatusBar::SetPanelWidth(int32_t index, int32_t width) {
    At(index).width = width < 0 ? 0 : width;
    Notify(Change::ItemChanged, index);
}

}  // namespace lumo
