#pragma once
#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>
#include <unordered_map>
#include <vector>

namespace pitbox {

// Many paths held as each folder's text, once, and each file's name: a
// million paths of twenty tracks a folder take about 40 MB, where a string
// each took 130.
class PathList {
public:
    PathList() = default;
    explicit PathList(const std::vector<std::string>& paths);

    // `folder` ends in its separator; the other splits a path after its last.
    void add(std::string_view folder, std::string_view name);
    void add(std::string_view path);
    // Gives back the room the list grew into, and what finds a folder given
    // before (a folder given after is held again).
    void shrinkToFit();

    std::size_t size() const { return folderOf_.size(); }
    std::string_view folder(std::size_t i) const;
    std::string_view name(std::size_t i) const;
    std::string path(std::size_t i) const;
    // Whether path a comes before path b in byte order.
    bool before(std::size_t a, std::size_t b) const;

private:
    std::string folderTexts_, names_;
    std::vector<std::uint64_t> folderEnds_, nameEnds_;
    std::vector<std::uint32_t> folderOf_;                      // by path
    std::unordered_map<std::size_t, std::uint32_t> folderAt_;  // by the hash of its text
};

}  // namespace pitbox
