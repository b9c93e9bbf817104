#include "ui/win32/peers/status_bar_peer.h"

#include <algorithm>
#include <optional>

namespace lumo::win32 {

void StatusBarPeer::Create() {
    MakeWindow(STATUSCLASSNAMEW, CCS_NOPARENTALIGN | CCS_NORESIZE, 0, {});
    Mirror(Change::Items, 0);
}

void StatusBarPeer::Mirror(Change what, int32_t index) {
    switch (what) {
    case Change::Caption:
        if (M().Style() == StatusBarStyle::Simple)
            Send(SB_SETTEXTW, SB_SIMPLEID, reinterpret_cast<LPARAM>(Widen(M().SimpleText()).c_str()));
        break;
    case Change::ItemChanged:
        Send(SB_SETTEXTW, static_cast<WPARAM>(index - 1),
             reinterpret_cast<LPARAM>(Widen(M().Panels(index).text).c_str()));
        Layout(index);
        break;
    default:
        Layout(0);
        for (int32_t p = 1; p <= M().PanelCount(); ++p)
            Send(SB_SETTEXTW, static_cast<WPARAM>(p - 1), reinterpret_cast<LPARAM>(Widen(M().Panels(p).text).c_str()));
        Send(SB_SETTEXTW, SB_SIMPLEID, reinterpret_cast<LPARAM>(Widen(M().SimpleText()).c_str()));
        break;
    }
}

// Measures the panels whose width is not known (-1): a Contents panel is as wide as its text,
// a None panel keeps its width, a Spring panel starts from nothing; each at least its minimum.
void StatusBarPeer::MeasureWidths(int32_t count) {
    // The bar's DC only when some text is measured.
    std::optional<ScopedWindowDc> dc;
    std::optional<ScopedSelect> font;
    int borders[3] = {};
    for (int32_t p = 1; p <= count; ++p) {
        const Panel& panel = M().Panels(p);
        int& w = widths_[static_cast<size_t>(p - 1)];
        if (w >= 0)
            continue;
        w = Px(panel.width);
        if (panel.autoSize == PanelAutoSize::Contents) {
            if (!dc) {
                dc.emplace(Handle());
                font.emplace(dc->get(), reinterpret_cast<HGDIOBJ>(Send(WM_GETFONT)));
                Send(SB_GETBORDERS, 0, reinterpret_cast<LPARAM>(borders));
            }
            std::wstring text = Widen(panel.text);
            SIZE size{};
            GetTextExtentPoint32W(dc->get(), text.c_str(), static_cast<int>(text.size()), &size);
            w = size.cx + 4 * borders[2] + 8;
        } else if (panel.autoSize == PanelAutoSize::Spring) {
            w = 0;
        }
        w = std::max(w, Px(panel.minWidth));
    }
    font.reset();  // before the DC goes back to the bar
}

// Panel widths: the Spring panels share what is left of the bar after the others. A new text
// measures its own panel again (`changed`; 0 measures every panel), and the bar is told its
// simple mode and its edges only when they changed: either message invalidates the whole bar
// (Wine also notifies the form of the mode), and a run sets the panels a few dozen times a
// second.
void StatusBarPeer::Layout(int32_t changed) {
    bool simple = M().Style() == StatusBarStyle::Simple;
    if (changed == 0 || simple != simple_) {
        Send(SB_SIMPLE, simple ? TRUE : FALSE);
        simple_ = simple;
    }
    int32_t count = M().PanelCount();
    if (count == 0)
        return;
    if (changed == 0 || widths_.size() != static_cast<size_t>(count))
        widths_.assign(static_cast<size_t>(count), -1);
    if (changed > 0)
        widths_[static_cast<size_t>(changed - 1)] = -1;
    MeasureWidths(count);
    int used = 0, springs = 0;
    for (int32_t p = 1; p <= count; ++p) {
        if (M().Panels(p).autoSize == PanelAutoSize::Spring)
            ++springs;
        used += widths_[static_cast<size_t>(p - 1)];
    }
    RECT client{};
    GetClientRect(Handle(), &client);
    int spare = std::max(0, static_cast<int>(client.right) - used);
    std::vector<int> edges(static_cast<size_t>(count));
    int x = 0;
    for (int32_t p = 1; p <= count; ++p) {
        int w = widths_[static_cast<size_t>(p - 1)];
        if (M().Panels(p).autoSize == PanelAutoSize::Spring)
            w += spare / springs;
        x += w;
        edges[static_cast<size_t>(p - 1)] = x;
    }
    if (M().Panels(count).autoSize == PanelAutoSize::Spring)
        edges.back() = -1;  // to the bar's end
    if (changed != 0 && edges == edges_)
        return;
    edges_ = edges;
    Send(SB_SETPARTS, static_cast<WPARAM>(count), reinterpret_cast<LPARAM>(edges.data()));
}

}  // namespace lumo::win32
