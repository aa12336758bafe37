#pragma once
#include <functional>
#include <string>
#include <string_view>

#include "base/result.h"
#include "library/catalogue.h"
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
// it where it does, else looked at after the walk).
Result<platform::UnreadableFolders> collectTracks(const std::string& root, Catalogue& catalogue,
                                                  const std::function<void(const TrackEntry&)>& onFound = {},
                                                  bool stamps = false, const std::atomic<bool>* stop = nullptr);

}  // namespace pitbox
