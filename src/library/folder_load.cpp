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

namespace {

// The tracks one or more walks list, gathered into one catalogue: each with
// its path and name, and with `stamps`, its file's stamp as the listing gives
// it, else looked at once the walks are done.
class Gathering {
public:
    Gathering(bool stamps, const std::function<void(const TrackEntry&)>& onFound)
        : stamps_(stamps), onFound_(onFound) {}

    void take(const std::string& folder, std::string_view fileName, const std::optional<platform::FileStamp>& listed) {
        if (platform::isArchiveName(fileName)) {
            // Its members are stamped as the archive is, which is looked at once.
            const std::string archive = folder + std::string(fileName);
            const auto stamp = stamps_ ? (listed ? listed : platform::fileStamp(archive)) : std::nullopt;
            forEachArchivedTrack(
                archive,
                [&](std::string_view, std::string&& path) {
                    TrackEntry& e = found_.append();
                    found_.setPath(e, path);
                    e.name = Text(e.file.view().substr(0, e.file.size() - 4));
                    e.stamp = stamp.value_or(platform::FileStamp{});
                    if (onFound_) onFound_(e);
                },
                archives_);
        }
        if (!isTrackFileName(fileName)) return;
        TrackEntry& e = found_.append();
        found_.setPath(e, folder, fileName);
        // The name is the file's name without ".trk": no copy of its own.
        e.name = Text(e.file.view().substr(0, e.file.size() - 4));
        if (listed)
            e.stamp = *listed;
        else
            unstamped_.push_back(&e);
        if (onFound_) onFound_(e);
    }

    // The archives that could not be read go to `unreadable`; what the
    // listings did not stamp is looked at, on a few threads at once.
    Catalogue done(const std::string& root, platform::UnreadableFolders& unreadable) {
        unreadable.insert(unreadable.end(), archives_.begin(), archives_.end());
        if (stamps_) {
            std::vector<PathKey> paths;
            paths.reserve(unstamped_.size());
            for (const TrackEntry* e : unstamped_) paths.push_back(pathKey(*e));
            const auto now = currentStamps(paths);
            for (std::size_t i = 0; i < unstamped_.size(); ++i)
                unstamped_[i]->stamp = now[i].value_or(platform::FileStamp{});
        }
        found_.sort(SortKey::Name);
        found_.setRoot(root);
        return std::move(found_);
    }

private:
    const bool stamps_;
    const std::function<void(const TrackEntry&)>& onFound_;
    Catalogue found_;
    std::vector<TrackEntry*> unstamped_;
    platform::UnreadableFolders archives_;
};

}  // namespace

Result<platform::UnreadableFolders> collectTracks(const std::string& root, Catalogue& catalogue,
                                                  const std::function<void(const TrackEntry&)>& onFound, bool stamps,
                                                  const std::atomic<bool>* stop, bool* linkMet) {
    Gathering gathering(stamps, onFound);
    platform::WalkReach reach;
    auto walked = platform::walkFolders(
        root,
        [&](const std::string& folder, std::string_view name, const auto& listed) {
            gathering.take(folder, name, listed);
        },
        stop, &reach);
    if (linkMet) *linkMet = reach.linkMet;
    if (!walked || (stop && *stop)) return walked;
    catalogue = gathering.done(root, *walked);
    return walked;
}

Result<platform::UnreadableFolders> collectChangedTracks(const std::string& root, const ChangedAreas& areas,
                                                         Catalogue& catalogue, bool& linkMet,
                                                         const std::function<void(const TrackEntry&)>& onFound,
                                                         const std::atomic<bool>* stop) {
    Gathering gathering(true, onFound);
    platform::UnreadableFolders unreadable;
    const auto walk = [&](const std::string& folder, bool below) -> Result<void> {
        platform::WalkReach reach{below, false};
        auto walked = platform::walkFolders(
            folder,
            [&](const std::string& in, std::string_view name, const auto& listed) { gathering.take(in, name, listed); },
            stop, &reach);
        linkMet = linkMet || reach.linkMet;
        if (walked) {
            unreadable.insert(unreadable.end(), walked->begin(), walked->end());
            return {};
        }
        // The root gone or unreadable fails the walk, as a walk of the whole
        // tree fails; a folder below it gone holds no tracks, and one that
        // cannot be listed is skipped, as a walk of the whole tree skips it.
        if (folder == root) return walked.error();
        if (walked.error().code != ErrorCode::Missing) unreadable.push_back(walked.error());
        return {};
    };
    linkMet = false;
    for (const ChangedAreas::Area& area : areas.inWalkOrder()) {
        if (stop && *stop) return unreadable;
        if (auto walked = walk(area.folder, area.below); !walked) return walked.error();
    }
    catalogue = gathering.done(root, unreadable);
    return unreadable;
}

}  // namespace pitbox
