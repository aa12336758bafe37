#include "toolkit/toolkit.h"

#include <algorithm>

namespace pitbox::ui {

Rect anchoredRect(Rect opened, unsigned anchor, int openWidth, int openHeight, int width, int height) {
    const int dw = width - openWidth, dh = height - openHeight;
    Rect r = opened;
    if (anchor & kFollowRight) r.x += dw;
    if (anchor & kFollowBottom) r.y += dh;
    if (anchor & kGrowWidth) r.width = std::max(0, r.width + dw);
    if (anchor & kGrowHeight) r.height = std::max(0, r.height + dh);
    return r;
}

FileFilter splitFilter(const std::string& filter) {
    const auto bar = filter.find('|');
    if (bar == std::string::npos) return {filter, filter};
    return {filter.substr(0, bar), filter.substr(bar + 1)};
}

void Toolkit::setPicture(int id, Picture picture) {
    pictures_[id] = std::move(picture);
    pictureChanged(id);
}

const Picture* Toolkit::picture(int id) const {
    auto it = pictures_.find(id);
    return it == pictures_.end() ? nullptr : &it->second;
}

}  // namespace pitbox::ui
