#include "ui/win32/peers/frame_peer.h"

namespace lumo::win32 {
namespace {

// A frame lower than this (twips) and without a caption is drawn as a separator line.
constexpr int32_t kSeparatorHeight = 120;

}  // namespace

// A group box paints only its border and caption; transparent, it is left out of the form's
// WS_CLIPCHILDREN clipping, so the form paints the inside instead of leaving it unpainted. A
// frame without a caption and too low for a box is a separator line: a group box draws its
// border half a text line below its top, outside so low a window, so an etched line stands in
// for it.
void FramePeer::Create() {
    if (M().Caption().empty() && M().Height() < kSeparatorHeight)
        MakeWindow(L"STATIC", SS_ETCHEDHORZ, 0, {});
    else
        MakeWindow(L"BUTTON", BS_GROUPBOX, WS_EX_TRANSPARENT, M().Caption());
}

void FramePeer::Mirror(Change what, int32_t) {
    if (what == Change::Caption)
        SetText(M().Caption());
}

}  // namespace lumo::win32
