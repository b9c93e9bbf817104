#include "ui/win32/peers/image_peer.h"

namespace lumo::win32 {

void ImagePeer::Create() {
    MakeWindow(L"STATIC", SS_ICON | SS_CENTERIMAGE, 0, {});
    Mirror(Change::Value, 0);
}

void ImagePeer::Mirror(Change what, int32_t) {
    if (what != Change::Value && what != Change::Bounds)
        return;
    const std::string& picture = M().Picture();
    UniqueIcon icon(picture.empty()
                        ? nullptr
                        : LoadProgramIcon(reinterpret_cast<HINSTANCE>(GetWindowLongPtrW(Handle(), GWLP_HINSTANCE)),
                                          picture, Px(480)));
    Send(STM_SETICON, reinterpret_cast<WPARAM>(icon.get()));
    Place();  // SS_ICON resizes the window to the icon; the model's size holds
    icon_ = std::move(icon);  // the old icon goes once the window no longer shows it
}

}  // namespace lumo::win32
