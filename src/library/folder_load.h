#pragma once
#include <functional>
#include <string>
#include <string_view>

#include "base/result.h"
#include "library/catalogue.h"
#include "library/changed_areas.h"
#include "platform/folder_walk.h"

namespace pitbox {

// A track file: extension "trk" in any letter case and a name longer than four
// characters (so ".trk" alone is not one).
bool isTrackFileName(std::string_view name);

// The tracks inside an archive, each with its name and its path as a member's
// (the archive's path, the separator, its path inside). An archive that
// cannot be read, or only in part, goes into `unreadable`.
void forEachArchivedTrack(const std::string& archive,
                          const std::function<void(std::string_view fileName, std::string&& path)>& onTrack,
                          platform::UnreadableFolders& unreadable);

// Walks `root` (a folder path ending in the separator) and every folder below it
// in the walk's order (files of a folder first, in byte order, then each
// subfolder with all below it; each folder entered once, links followed).
// `onTrack` gets each track file's name and full path, and each track inside an
// archive there. Returns the folders below the root, and the archives, that
// could not be read; fails only when the root cannot be listed.
Result<platform::UnreadableFolders> walkTrackFolders(
    const std::string& root, const std::function<void(std::string_view fileName, std::string&& path)>& onTrack);

// Builds a catalogue from a folder tree: walk, then sort by name. `root` ends in
// the separator; every path is `root` followed by the path below it. Returns the
// folders below the root that could not be read. Fails, with the catalogue left
// as it was, when `root` cannot be listed, and when `stop` is set before it is
// done. With `stamps`, each entry gets its file's stamp (as the listing gives
// it where it does, else looked at after the walk). With `linkMet`, tells
// whether a folder link was met below the root.
Result<platform::UnreadableFolders> collectTracks(const std::string& root, Catalogue& catalogue,
                                                  const std::function<void(const TrackEntry&)>& onFound = {},
                                                  bool stamps = false, const std::atomic<bool>* stop = nullptr,
                                                  bool* linkMet = nullptr);

// Builds a catalogue of the tracks in the changed areas of the tree at
// `root`, each stamped, sorted as collectTracks sorts: what a walk of the
// whole tree would find there. An area that is not there holds none; one that
// cannot be listed is returned among the folders that could not be read. The
// root, not there or not listed, fails the walk. `linkMet` tells whether a folder
// link was met, where a walk of the whole tree may have reached a folder by
// another path.
Result<platform::UnreadableFolders> collectChangedTracks(const std::string& root, const ChangedAreas& areas,
                                                         Catalogue& catalogue, bool& linkMet,
                                                         const std::function<void(const TrackEntry&)>& onFound = {},
                                                         const std::atomic<bool>* stop = nullptr);

}  // namespace pitbox
