#pragma once
#include <atomic>
#include <cstddef>
#include <cstdint>
#include <functional>
#include <span>
#include <string>
#include <string_view>
#include <vector>

#include "base/result.h"
#include "library/path_list.h"

namespace pitbox {

enum class DuplicateKind {
    IdenticalFiles,  // the same bytes
    SameTrack,       // the same map (world size, water level, terrain runs, height grid, object table), whatever
                     // the name, author and records; identical files among them
};

struct DuplicateGroups {
    DuplicateKind kind = DuplicateKind::IdenticalFiles;
    // Each group's paths in byte order, the groups in the order of their first path.
    std::vector<std::vector<std::string>> groups;
    // Looking for the same track, the groups of identical files (each lies
    // inside one of its groups): the two kinds told apart. Looking for
    // identical files, none: they are the groups, not held twice.
    std::vector<std::vector<std::string>> identical;
    std::vector<Error> failures;  // files that could not be read

    const std::vector<std::vector<std::string>>& identicalGroups() const {
        return kind == DuplicateKind::IdenticalFiles ? groups : identical;
    }
};

// Finds the groups of duplicates among the files. Files are grouped by size,
// then by a hash of their first 4 KB, then of all their bytes, and last
// compared byte by byte, so only what may be a duplicate is read on and
// memory stays small. Looking for the same track, every file is read whole
// (as far as the track buffer holds) and tracks grouped by a hash of their
// map, then compared. Old-format and damaged files take part only as
// identical files. One file reached by several paths counts once, under its
// first path in byte order, and is never its own duplicate. Anything but a
// regular file is a failure, in either kind. Work runs on a few threads;
// `looked` hears, on the calling thread, how many files were looked at (for
// the same track: read). Once `stop` is set the search ends, with no groups.
DuplicateGroups findDuplicates(PathList paths, DuplicateKind kind,
                               const std::function<void(std::size_t looked)>& looked = {},
                               const std::atomic<bool>* stop = nullptr);

// A file of a group of duplicates, its modification time, and whether it
// lies inside an archive. Its path is `path` followed by `pathRest`: a
// catalogue's entry gives its folder and its file's name.
struct DuplicateFile {
    std::string_view path;
    std::int64_t modified;
    bool inArchive = false;
    std::string_view pathRest = {};
};
// Two paths, each in two parts, in the byte order of the whole paths.
bool pathBefore(const DuplicateFile& a, const DuplicateFile& b);
// Which one of a group to keep, the others being extras: a loose file before
// one inside an archive (which Pitbox never rewrites, so its extras could not
// go), then the most recently modified, of those equally recent the first
// path in byte order (npos for an empty group).
std::size_t fileToKeep(std::span<const DuplicateFile> group);
// Whether `a` is kept rather than `b` by that rule.
inline bool keptBefore(const DuplicateFile& a, const DuplicateFile& b) {
    if (a.inArchive != b.inArchive) return b.inArchive;
    return a.modified != b.modified ? a.modified > b.modified : pathBefore(a, b);
}

}  // namespace pitbox
