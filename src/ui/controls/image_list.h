// An image list: icons by key, for list views and tree views. The icons are named resources of
// the program; the backend loads each at the sizes its users need.
#pragma once

#include <vector>

#include "ui/controls/control.h"

namespace lumo {

struct ListImage {
    std::string key;
    std::string picture;  // the resource name of the icon
};

class ImageList : public Control {
public:
    explicit ImageList(ControlSite site) : Control(std::move(site), ControlKind::ImageList) {
        SetVisible(false);
        SetTabStop(false);
    }

    // Adds an icon under a unique key (CollectionError when the key is taken); returns its
    // position from 1.
    int32_t Add(std::string key, std::string picture);
    int32_t Count() const { return static_cast<int32_t>(images_.size()); }
    const ListImage& item(int32_t position) const;
    // Position from 1 of the image with this key; 0 when there is none.
    int32_t Find(std::string_view key) const;
    void Clear() {
        images_.clear();
        Notify(Change::Items);
    }

private:
    std::vector<ListImage> images_;
};

}  // namespace lumo
