#include "ui/toolkit.h"

namespace pitbox::ui {

void Toolkit::setPicture(int id, Picture picture) {
    pictures_[id] = std::move(picture);
    pictureChanged(id);
}

bool Toolkit::createPictureFromBitmap(int id, std::span<const std::uint8_t> bmp) {
    Picture p = pictureFromBitmap(bmp);
    if (p.width() == 0) return false;
    setPicture(id, std::move(p));
    return true;
}

Picture* Toolkit::picture(int id) {
    auto it = pictures_.find(id);
    return it == pictures_.end() ? nullptr : &it->second;
}

const Picture* Toolkit::picture(int id) const {
    auto it = pictures_.find(id);
    return it == pictures_.end() ? nullptr : &it->second;
}

}  // namespace pitbox::ui
