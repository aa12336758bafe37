#pragma once
#include <atomic>
#include <cstdint>
#include <functional>
#include <string>
#include <utility>
#include <vector>

#include "base/result.h"
#include "library/catalogue.h"
#include "platform/folder_walk.h"

namespace pitbox {

// What a check compares a listed file with, for each known track: values
// taken from the catalogue before the walk, so that the walk reads nothing of
// it. Names and stamps are kept as hashes: a check of a million tracks holds
// 32 bytes each.
struct KnownFile {
    static constexpr std::uint8_t kInPack = 1;     // its file is the pack it lies in
    static constexpr std::uint8_t kNotRead = 2;    // listed, not read yet
    static constexpr std::uint8_t kReadAgain = 4;  // to be read again whatever its stamp says
    std::uint64_t folder = 0;                      // the folder whose listing holds its file
    std::uint64_t file = 0;                        // that file's name
    std::uint64_t stamp = 0;                       // the stamp it was read with (found with, not read yet)
    std::uint32_t id = 0;
    std::uint8_t how = 0;
};
std::vector<KnownFile> knownFiles(const Catalogue& known);

// What a walk of a library's tree found that is not as the tracks known of
// it say.
struct TreeDifferences {
    // The folders listed whose own tracks are not the known ones: tracks
    // added, removed, or changed since they were read; a pack changed.
    std::vector<std::string> folders;
    // The folders of known tracks that were not listed (gone, or unreadable),
    // each by the id of one of its tracks.
    std::vector<std::uint32_t> unlisted;
    // The known entries not read yet whose files' stamps moved, by id, with
    // the stamps they have now.
    std::vector<std::pair<std::uint32_t, platform::FileStamp>> stamps;
    // A folder link was met, and the walk ended there: a folder may lie at two
    // paths, and only a walk of the whole tree in its order tells which the
    // library keeps.
    bool linkMet = false;
};

// Walks the tree at `root` (ending in the separator) on a few threads at once,
// each folder's listing compared with the tracks known there. Returns the
// folders and packs that could not be read; fails, as collectTracks does, when
// the root cannot be listed. With `stop` set, ends as it is. `onFound` is told
// how many track files were listed so far, from any of the threads.
Result<platform::UnreadableFolders> compareTree(const std::string& root, std::vector<KnownFile> known,
                                                TreeDifferences& differences,
                                                const std::function<void(std::size_t found)>& onFound = {},
                                                const std::atomic<bool>* stop = nullptr);

// The folders that differ, each to be looked at again on its own: those
// listed, and those of `known`'s tracks that were not.
std::vector<std::string> changedFolders(const Catalogue& known, TreeDifferences& differences);
// Gives the entries of `known` the stamps the walk found for them.
void takeNewStamps(Catalogue& known, const TreeDifferences& differences);

}  // namespace pitbox
