#include "ui/toolkit.h"

namespace pitbox::ui {

void Toolkit::setPicture(int id, Picture picture) {
    pictures_[id] = std::move(picture);
    pictureChanged(id);
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
