#include "ui/win32/peers/peer_factory.h"

#include "ui/win32/peers/button_peer.h"
#include "ui/win32/peers/check_box_peer.h"
#include "ui/win32/peers/combo_box_peer.h"
#include "ui/win32/peers/frame_peer.h"
#include "ui/win32/peers/image_peer.h"
#include "ui/win32/peers/label_peer.h"
#include "ui/win32/peers/list_box_peer.h"
#include "ui/win32/peers/list_view_peer.h"
#include "ui/win32/peers/shape_peer.h"
#include "ui/win32/peers/status_bar_peer.h"
#include "ui/win32/peers/text_box_peer.h"
#include "ui/win32/peers/tree_view_peer.h"

namespace lumo::win32 {
namespace {

// The control's kind names its model type; the cast is made here and nowhere else.
template <class Peer, class ModelType>
std::unique_ptr<ControlWindow> Make(FormWindow& form, Control& model, int id) {
    return std::make_unique<Peer>(form, static_cast<ModelType&>(model), id);
}

}  // namespace

std::unique_ptr<ControlWindow> MakeControlWindow(FormWindow& form, Control& model, int id) {
    switch (model.Kind()) {
    case ControlKind::Button:
        return Make<ButtonPeer, Button>(form, model, id);
    case ControlKind::Label:
        return Make<LabelPeer, Label>(form, model, id);
    case ControlKind::CheckBox:
        return Make<CheckBoxPeer, CheckBox>(form, model, id);
    case ControlKind::ComboBox:
        return Make<ComboBoxPeer, ComboBox>(form, model, id);
    case ControlKind::TextBox:
        return Make<TextBoxPeer, TextBox>(form, model, id);
    case ControlKind::ListBox:
        return Make<ListBoxPeer, ListBox>(form, model, id);
    case ControlKind::ListView:
        return Make<ListViewPeer, ListView>(form, model, id);
    case ControlKind::TreeView:
        return Make<TreeViewPeer, TreeView>(form, model, id);
    case ControlKind::StatusBar:
        return Make<StatusBarPeer, StatusBar>(form, model, id);
    case ControlKind::Frame:
        return Make<FramePeer, Frame>(form, model, id);
    case ControlKind::Image:
        return Make<ImagePeer, Image>(form, model, id);
    case ControlKind::Shape:
        return Make<ShapePeer, Shape>(form, model, id);
    case ControlKind::Timer:
    case ControlKind::ImageList:
        break;
    }
    return nullptr;
}

std::unique_ptr<TimerPeer> MakeTimerPeer(HWND window, Control& model, UINT_PTR id) {
    return std::make_unique<TimerPeer>(window, static_cast<Timer&>(model), id);
}

}  // namespace lumo::win32
