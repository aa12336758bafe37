#include "library/path_list.h"

#include "base/text.h"
#include "platform/paths.h"

namespace pitbox {

PathList::PathList(const std::vector<std::string>& paths) {
    for (const std::string& path : paths) add(path);
}

void PathList::add(std::string_view folder, std::string_view name) {
    paths_.push_back({pool_.storeFolder(folder), pool_.store(name)});
}

void PathList::add(std::string_view path) { add(platform::pathPart(path), platform::filePart(path)); }

std::string PathList::path(std::size_t i) const {
    std::string whole;
    whole.reserve(folder(i).size() + name(i).size());
    return whole.append(folder(i)).append(name(i));
}

bool PathList::before(std::size_t a, std::size_t b) const {
    return joinedBefore(folder(a), name(a), folder(b), name(b));
}

}  // namespace pitbox
