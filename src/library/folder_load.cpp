#include "library/folder_load.h"

#include "base/text.h"
#include "library/header_refresh.h"
#include "platform/folder_walk.h"

namespace pitbox {

bool isTrackFileName(std::string_view name) { return name.size() > 4 && equalFolded(extensionPart(name), "trk"); }

Result<platform::UnreadableFolders> walkTrackFolders(
    const std::string& root, const std::function<void(std::string_view fileName, std::string&& path)>& onTrack) {
    return platform::walkFolders(root, [&](const std::string& folder, std::string_view name, const auto&) {
        if (!isTrackFileName(name)) return;
        std::string path;
        path.reserve(folder.size() + name.size());
        path.append(folder).append(name);
        onTrack(name, std::move(path));
    });
}

Result<platform::UnreadableFolders> collectTracks(const std::string& root, Catalogue& catalogue,
                                                  const std::function<void(const TrackEntry&)>& onFound, bool stamps,
                                                  const std::atomic<bool>* stop) {
    Catalogue found;
    std::vector<TrackEntry*> unstamped;
    const auto onFile = [&](const std::string& folder, std::string_view fileName,
                            const std::optional<platform::FileStamp>& listed) {
        if (!isTrackFileName(fileName)) return;
        TrackEntry& e = found.append();
        found.setText(e.path, folder, fileName);
        // The name is the path's last part without ".trk": no copy of its own.
        e.name = Text(e.path.view().substr(folder.size(), fileName.size() - 4));
        if (listed)
            e.stamp = *listed;
        else
            unstamped.push_back(&e);
        if (onFound) onFound(e);
    };
    auto walked = platform::walkFolders(root, onFile, stop);
    if (!walked || (stop && *stop)) return walked;
    // What the listing did not tell is looked at after the walk, on a few threads at once.
    if (stamps) {
        std::vector<std::string_view> paths;
        paths.reserve(unstamped.size());
        for (const TrackEntry* e : unstamped) paths.push_back(e->path.view());
        const auto now = currentStamps(paths);
        for (std::size_t i = 0; i < unstamped.size(); ++i) unstamped[i]->stamp = now[i].value_or(platform::FileStamp{});
    }
    found.sort(SortKey::Name);
    found.setRoot(root);
    catalogue = std::move(found);
    return walked;
}

}  // namespace pitbox
