#include "library/folder_load.h"

#include "base/text.h"
#include "library/header_refresh.h"
#include "platform/folder_walk.h"

namespace pitbox {

bool isTrackFileName(std::string_view name) { return name.size() > 4 && equalFolded(extensionPart(name), "trk"); }

Result<platform::UnreadableFolders> walkTrackFolders(
    const std::string& root, const std::function<void(std::string_view fileName, std::string&& path)>& onTrack) {
    return platform::walkFolders(root, [&](const std::string& folder, std::string_view name) {
        if (!isTrackFileName(name)) return;
        std::string path;
        path.reserve(folder.size() + name.size());
        path.append(folder).append(name);
        onTrack(name, std::move(path));
    });
}

Result<platform::UnreadableFolders> collectTracks(const std::string& root, Catalogue& catalogue,
                                                  const std::function<void(const TrackEntry&)>& onFound, bool stamps) {
    Catalogue found;
    const auto onFile = [&](const std::string& folder, std::string_view fileName) {
        if (!isTrackFileName(fileName)) return;
        TrackEntry& e = found.append();
        found.setText(e.path, folder, fileName);
        // The name is the path's last part without ".trk": no copy of its own.
        e.name = Text(e.path.view().substr(folder.size(), fileName.size() - 4));
        if (onFound) onFound(e);
    };
    auto walked = platform::walkFolders(root, onFile);
    if (!walked) return walked;
    // Looked at after the walk, on a few threads at once.
    if (stamps) {
        const auto now = currentStamps(found.entries());
        for (std::size_t i = 0; i < found.count(); ++i) found[i].stamp = now[i].value_or(platform::FileStamp{});
    }
    found.sort(SortKey::Name);
    catalogue = std::move(found);
    return walked;
}

}  // namespace pitbox
