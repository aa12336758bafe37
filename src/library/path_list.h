#pragma once
#include <cstddef>
#include <string>
#include <string_view>
#include <vector>

#include "library/catalogue.h"

namespace pitbox {

// Many paths held as a catalogue holds its tracks' paths: each folder's text
// once in a pool, beside each file's name. A million paths of twenty tracks a
// folder take about 50 MB, where a string each took 130.
class PathList {
public:
    PathList() = default;
    explicit PathList(const std::vector<std::string>& paths);

    // `folder` ends in its separator; the other splits a path after its last.
    void add(std::string_view folder, std::string_view name);
    void add(std::string_view path);
    // Gives back the room the list of paths grew into.
    void shrinkToFit() { paths_.shrink_to_fit(); }

    std::size_t size() const { return paths_.size(); }
    std::string_view folder(std::size_t i) const { return paths_[i].folder->text.view(); }
    std::string_view name(std::size_t i) const { return paths_[i].name.view(); }
    std::string path(std::size_t i) const;
    // Whether path a comes before path b in byte order.
    bool before(std::size_t a, std::size_t b) const;

private:
    struct Path {
        const FolderText* folder;
        Text name;
    };
    TextPool pool_;
    std::vector<Path> paths_;
};

}  // namespace pitbox
