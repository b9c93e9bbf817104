// The two image lists (small and large icons) of an image list control; the list views that
// use it show their rows' icons from them.
#pragma once

#include <string>

#include "ui/controls/control.h"
#include "ui/win32/gdi_handles.h"
#include "ui/win32/win32_ui.h"

namespace lumo {
class ImageList;
}

namespace lumo::win32 {

class ImageListPeer : public ControlPeer {
public:
    ImageListPeer(HINSTANCE instance, ImageList& model, int dpi);
    void Update(Change what, int32_t index) override;
    HIMAGELIST Small() const { return small_.get(); }
    HIMAGELIST Large() const { return large_.get(); }
    void SetDpi(int dpi);

private:
    void Append(const std::string& picture);
    void AppendAll();

    HINSTANCE instance_;
    ImageList& model_;
    int dpi_;
    UniqueImageList small_;
    UniqueImageList large_;
};

}  // namespace lumo::win32
