#include "library/path_list.h"

#include "base/text.h"
#include "platform/paths.h"

namespace pitbox {
namespace {

std::string_view piece(const std::string& text, const std::vector<std::uint64_t>& ends, std::size_t i) {
    const std::uint64_t start = i == 0 ? 0 : ends[i - 1];
    return std::string_view(text).substr(start, ends[i] - start);
}

}  // namespace

PathList::PathList(const std::vector<std::string>& paths) {
    for (const std::string& path : paths) add(path);
}

void PathList::add(std::string_view folder, std::string_view name) {
    // A walk gives each folder's files together; the table, in its order, may not.
    auto at = static_cast<std::uint32_t>(folderEnds_.size() - 1);
    if (folderEnds_.empty() || piece(folderTexts_, folderEnds_, at) != folder) {
        const std::size_t hash = std::hash<std::string_view>{}(folder);
        const auto known = folderAt_.find(hash);
        if (known != folderAt_.end() && piece(folderTexts_, folderEnds_, known->second) == folder) {
            at = known->second;
        } else {
            folderTexts_.append(folder);
            folderEnds_.push_back(folderTexts_.size());
            at = static_cast<std::uint32_t>(folderEnds_.size() - 1);
            folderAt_.try_emplace(hash, at);  // of two texts with one hash, the first is found
        }
    }
    folderOf_.push_back(at);
    names_.append(name);
    nameEnds_.push_back(names_.size());
}

void PathList::add(std::string_view path) {
    const std::size_t cut = platform::lastSeparator(path) + 1;  // 0 for none
    add(path.substr(0, cut), path.substr(cut));
}

void PathList::shrinkToFit() {
    folderTexts_.shrink_to_fit();
    names_.shrink_to_fit();
    folderEnds_.shrink_to_fit();
    nameEnds_.shrink_to_fit();
    folderOf_.shrink_to_fit();
    std::unordered_map<std::size_t, std::uint32_t>().swap(folderAt_);
}

std::string_view PathList::folder(std::size_t i) const { return piece(folderTexts_, folderEnds_, folderOf_[i]); }

std::string_view PathList::name(std::size_t i) const { return piece(names_, nameEnds_, i); }

std::string PathList::path(std::size_t i) const {
    std::string whole;
    whole.reserve(folder(i).size() + name(i).size());
    return whole.append(folder(i)).append(name(i));
}

bool PathList::before(std::size_t a, std::size_t b) const {
    return joinedBefore(folder(a), name(a), folder(b), name(b));
}

}  // namespace pitbox
