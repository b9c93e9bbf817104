// Icons by key.
#include "ui/controls/image_list.h"

#include "base/collection.h"

namespace lumo {

int32_t ImageList::Add(std::string key, std::string picture) {
    if (!key.empty() && Find(key) != 0)
        throw CollectionError("key \"" + key + "\" is already in the image list");
    images_.push_back(ListImage{std::move(key), std::move(picture)});
    Notify(Change::ItemAdded, Count());
    return Count();
}

const ListImage& ImageList::item(int32_t position) const {
    if (position < 1 || position > Count())
        throw CollectionError("position " + std::to_string(position) + " is not in the image list");
    return images_[static_cast<size_t>(position - 1)];
}

int32_t ImageList::Find(std::string_view key) const {
    for (size_t i = 0; i < images_.size(); ++i)
        if (images_[i].key == key)
            return static_cast<int32_t>(i + 1);
    return 0;
}

}  // namespace lumo
