#include "toolkit/toolkit.h"

#include <algorithm>

#include "base/search_fold.h"

namespace pitbox::ui {

std::optional<std::size_t> TableRows::findRow(std::string_view typed, std::size_t from) const {
    const std::size_t n = rowCount();
    const std::string wanted = searchFolded(typed);
    if (n == 0 || wanted.empty()) return std::nullopt;
    std::string cell;
    for (std::size_t k = 0; k < n; ++k) {
        const std::size_t row = (from + k) % n;
        cell.clear();
        appendFindText(row, cell);
        if (searchFolded(cell).starts_with(wanted)) return row;
    }
    return std::nullopt;
}

Rect anchoredRect(Rect opened, unsigned anchor, int openWidth, int openHeight, int width, int height) {
    const int dw = width - openWidth, dh = height - openHeight;
    Rect r = opened;
    if (anchor & kFollowRight) r.x += dw;
    if (anchor & kFollowBottom) r.y += dh;
    if (anchor & kGrowWidth) r.width = std::max(0, r.width + dw);
    if (anchor & kGrowHeight) r.height = std::max(0, r.height + dh);
    return r;
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
