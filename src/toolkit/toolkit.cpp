#include "toolkit/toolkit.h"

namespace pitbox::ui {

std::string_view cellOf(std::string_view row, std::size_t column) {
    std::size_t start = 0;
    for (std::size_t c = 0; c < column; ++c) {
        start = row.find('\n', start);
        if (start == std::string_view::npos) return {};
        ++start;
    }
    const std::size_t end = row.find('\n', start);
    return row.substr(start, end == std::string_view::npos ? std::string_view::npos : end - start);
}

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
