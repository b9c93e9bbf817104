#include "ui/win32/peers/image_list_peer.h"

#include <utility>

#include "ui/controls/image_list.h"

namespace lumo::win32 {

ImageListPeer::ImageListPeer(HINSTANCE instance, ImageList& model, int dpi)
    : instance_(instance), model_(model), dpi_(dpi) {
    int small = MulDiv(16, dpi_, 96), large = MulDiv(32, dpi_, 96);
    small_.reset(ImageList_Create(small, small, ILC_COLOR32 | ILC_MASK, model_.Count(), 4));
    large_.reset(ImageList_Create(large, large, ILC_COLOR32 | ILC_MASK, model_.Count(), 4));
    AppendAll();
}

void ImageListPeer::Append(const std::string& picture) {
    // Positions must match the model's even when an icon is missing: a stand-in keeps its place.
    for (auto [list, size] :
         {std::pair{small_.get(), MulDiv(16, dpi_, 96)}, std::pair{large_.get(), MulDiv(32, dpi_, 96)}}) {
        UniqueIcon icon(LoadProgramIcon(instance_, picture, size));
        ImageList_ReplaceIcon(list, -1, icon.get());
    }
}

void ImageListPeer::AppendAll() {
    for (int32_t i = 1; i <= model_.Count(); ++i)
        Append(model_.item(i).picture);
}

void ImageListPeer::Update(Change what, int32_t index) {
    if (what == Change::ItemAdded && index == ImageList_GetImageCount(small_.get()) + 1) {
        Append(model_.item(index).picture);
    } else if (what == Change::Items || what == Change::ItemAdded) {
        ImageList_RemoveAll(small_.get());
        ImageList_RemoveAll(large_.get());
        AppendAll();
    }
}

void ImageListPeer::SetDpi(int dpi) {
    if (dpi == dpi_)
        return;
    // The list views keep the old handles until they are told again; the backend refreshes them.
    dpi_ = dpi;
    ImageList_SetIconSize(small_.get(), MulDiv(16, dpi_, 96), MulDiv(16, dpi_, 96));
    ImageList_SetIconSize(large_.get(), MulDiv(32, dpi_, 96), MulDiv(32, dpi_, 96));
    AppendAll();
}

}  // namespace lumo::win32
