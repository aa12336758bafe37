#pragma once
#include <functional>
#include <string>
#include <string_view>

namespace pitbox {

// A track file: extension "trk" in any letter case and a name longer than four
// characters (so ".trk" alone is not one).
bool isTrackFileName(std::string_view name);

// Walks `root` (ending in "/") and every folder below it depth-first in pre-order:
// a folder's own files first, then each subfolder, in listing order, with all that
// lies below it. Folder links are followed, but a folder already on the path being
// walked (same device and inode) is not entered again, so a link cycle ends at
// once. A folder that cannot be listed is skipped with everything below it.
// `onTrack` gets each track file's name and full path.
void walkTrackFolders(const std::string& root,
                      const std::function<void(std::string_view fileName, std::string&& path)>& onTrack);

}  // namespace pitbox
