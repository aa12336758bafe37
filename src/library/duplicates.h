#pragma once
#include <cstddef>
#include <functional>
#include <string>
#include <vector>

#include "base/result.h"

namespace pitbox {

enum class DuplicateKind {
    IdenticalFiles,  // the same bytes
    SameTrack,       // the same map (world size, water level, terrain runs, height grid, object table), whatever
                     // the name, author and records; identical files among them
};

struct DuplicateGroups {
    // Each group's paths in byte order, the groups in the order of their first path.
    std::vector<std::vector<std::string>> groups;
    // The groups of identical files, also when looking for the same track (each
    // lies inside one of its groups): the two kinds told apart.
    std::vector<std::vector<std::string>> identical;
    std::vector<Error> failures;  // files that could not be read
};

// Finds the groups of duplicates among the files. Each file is read once:
// for identical files only those that share a size with another; for the same
// track every file's header, and past it only the files whose map is as large
// as another's. Old-format and damaged files take part only as identical files.
// `looked` hears how many files were looked at so far, after each.
DuplicateGroups findDuplicates(const std::vector<std::string>& paths, DuplicateKind kind,
                               const std::function<void(std::size_t looked)>& looked = {});

}  // namespace pitbox
