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
// it. Names and stamps are kept as hashes, and a folder as its place in a
// table: a check of a million tracks holds 24 bytes each.
struct KnownFile {
    static constexpr std::uint8_t kInPack = 1;     // its file is the pack it lies in
    static constexpr std::uint8_t kNotRead = 2;    // listed, not read yet
    static constexpr std::uint8_t kReadAgain = 4;  // to be read again whatever its stamp says
    static constexpr std::uint64_t kHowBits = 7;
    std::uint64_t file = 0;  // the hash of the name of the file whose listing holds it
    // The hash of the stamp it was read with (found with, not read yet), its
    // three lowest bits how it is compared.
    std::uint64_t stampAndHow = 0;
    std::uint32_t id = 0;
    std::uint32_t folder = 0;  // where the hash of its file's folder is, in KnownTracks::folders

    std::uint8_t how() const { return static_cast<std::uint8_t>(stampAndHow & kHowBits); }
    std::uint64_t stamp() const { return stampAndHow & ~kHowBits; }
};
static_assert(sizeof(KnownFile) == 24);
// The known tracks, and the hashes of the folders whose listings hold their
// files, by the tracks' `folder` (a folder may have more than one place).
struct KnownTracks {
    std::vector<KnownFile> files;
    std::vector<std::uint64_t> folders;
};
KnownTracks knownFiles(const Catalogue& known);

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
Result<platform::UnreadableFolders> compareTree(const std::string& root, KnownTracks known,
                                                TreeDifferences& differences,
                                                const std::function<void(std::size_t found)>& onFound = {},
                                                const std::atomic<bool>* stop = nullptr);

// The folders that differ, each to be looked at again on its own: those
// listed, and those of `known`'s tracks that were not.
std::vector<std::string> changedFolders(const Catalogue& known, TreeDifferences& differences);
// Gives the entries of `known` the stamps the walk found for them.
void takeNewStamps(Catalogue& known, const TreeDifferences& differences);

}  // namespace pitbox
