#include "library/folder_scan.h"

#include "platform/folder_walk.h"
#include "ui/text.h"

namespace pitbox {

bool isTrackFileName(std::string_view name) {
    return name.size() > 4 && ui::equalFolded(ui::extensionPart(name), "trk");
}

Result<void> walkTrackFolders(const std::string& root,
                              const std::function<void(std::string_view fileName, std::string&& path)>& onTrack) {
    return platform::walkFolders(root, [&](const std::string& folder, std::string_view name) {
        if (!isTrackFileName(name)) return;
        std::string path;
        path.reserve(folder.size() + name.size());
        path.append(folder).append(name);
        onTrack(name, std::move(path));
    });
}

}  // namespace pitbox
