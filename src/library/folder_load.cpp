#include "library/folder_load.h"

#include "base/text.h"
#include "library/header_refresh.h"
#include "platform/archives.h"
#include "platform/folder_walk.h"
#include "platform/paths.h"

namespace pitbox {

bool isTrackFileName(std::string_view name) { return name.size() > 4 && equalFolded(extensionPart(name), "trk"); }

void forEachArchivedTrack(const std::string& archive,
                          const std::function<void(std::string_view fileName, std::string&& path)>& onTrack,
                          platform::UnreadableFolders& unreadable) {
    auto pass = platform::forEachMember(archive, [&](const platform::ArchiveMember& m, platform::MemberBytes&) {
        std::string path = platform::memberPath(archive, m.name);
        const std::string_view name = platform::filePart(path);
        if (isTrackFileName(name)) onTrack(name, std::move(path));
        return true;
    });
    if (!pass)
        unreadable.push_back(pass.error());
    else if (pass->broken)
        unreadable.push_back(*pass->broken);
}

Result<platform::UnreadableFolders> walkTrackFolders(
    const std::string& root, const std::function<void(std::string_view fileName, std::string&& path)>& onTrack) {
    platform::UnreadableFolders archives;
    auto walked = platform::walkFolders(root, [&](const std::string& folder, std::string_view name, const auto&) {
        if (platform::isArchiveName(name)) forEachArchivedTrack(folder + std::string(name), onTrack, archives);
        if (!isTrackFileName(name)) return;
        std::string path;
        path.reserve(folder.size() + name.size());
        path.append(folder).append(name);
        onTrack(name, std::move(path));
    });
    if (walked) walked->insert(walked->end(), archives.begin(), archives.end());
    return walked;
}

Result<platform::UnreadableFolders> collectTracks(const std::string& root, Catalogue& catalogue,
                                                  const std::function<void(const TrackEntry&)>& onFound, bool stamps,
                                                  const std::atomic<bool>* stop) {
    Catalogue found;
    std::vector<TrackEntry*> unstamped;
    platform::UnreadableFolders archives;
    const auto onFile = [&](const std::string& folder, std::string_view fileName,
                            const std::optional<platform::FileStamp>& listed) {
        if (platform::isArchiveName(fileName)) {
            // Its members are stamped as the archive is, which is looked at once.
            const std::string archive = folder + std::string(fileName);
            const auto stamp = stamps ? (listed ? listed : platform::fileStamp(archive)) : std::nullopt;
            forEachArchivedTrack(
                archive,
                [&](std::string_view name, std::string&& path) {
                    TrackEntry& e = found.append();
                    found.setText(e.path, path);
                    e.name = Text(e.path.view().substr(path.size() - name.size(), name.size() - 4));
                    e.stamp = stamp.value_or(platform::FileStamp{});
                    if (onFound) onFound(e);
                },
                archives);
        }
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
    walked->insert(walked->end(), archives.begin(), archives.end());
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
