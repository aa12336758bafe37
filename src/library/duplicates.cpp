#include "library/duplicates.h"

#include <algorithm>
#include <map>
#include <span>
#include <unordered_map>

#include "platform/files.h"
#include "trackfile/header_reader.h"

namespace pitbox {
namespace {

// Enough for the header of any real track: M lies at 4,118 + 2N.
constexpr std::size_t kHeaderBytes = std::size_t{64} * 1024;
// Files compared as identical are read whole up to this size.
constexpr std::size_t kLargestFile = std::size_t{256} * 1024 * 1024;

struct Candidate {
    const std::string* path;
    std::uint64_t size = 0;
    std::int64_t mapEnd = -1;  // where a supported track's map ends; -1 for other files
};

// Reads each file of one group and groups those whose compared bytes (the whole
// file, or the map) are equal.
void compareGroup(const std::vector<const Candidate*>& group, bool byMap, DuplicateGroups& out) {
    std::unordered_map<std::string, std::vector<std::string>> same, identical;
    std::vector<std::uint8_t> bytes;
    for (const Candidate* c : group) {
        // Read to the size it had when listed: one that grew since is named, not compared.
        auto got = platform::readRegularFile(*c->path, std::min<std::uint64_t>(c->size, kLargestFile), bytes);
        if (!got) {
            out.failures.push_back(got.error());
            continue;
        }
        const std::span<const std::uint8_t> file(bytes.data(), *got);
        std::string whole(file.begin(), file.end());
        if (byMap) same[trackMapBytes(file, c->mapEnd)].push_back(*c->path);
        identical[std::move(whole)].push_back(*c->path);
    }
    auto groupsOf = [](auto& buckets) {
        std::vector<std::vector<std::string>> groups;
        for (auto& [key, paths] : buckets)
            if (paths.size() > 1) {
                std::sort(paths.begin(), paths.end());
                groups.push_back(std::move(paths));
            }
        return groups;
    };
    auto identicalGroups = groupsOf(identical);
    auto groups = byMap ? groupsOf(same) : identicalGroups;
    out.identical.insert(out.identical.end(), identicalGroups.begin(), identicalGroups.end());
    out.groups.insert(out.groups.end(), groups.begin(), groups.end());
}

}  // namespace

DuplicateGroups findDuplicates(const std::vector<std::string>& paths, DuplicateKind kind,
                               const std::function<void(std::size_t looked)>& looked) {
    DuplicateGroups out;
    std::vector<Candidate> files;
    files.reserve(paths.size());
    std::vector<std::uint8_t> start;
    for (const std::string& path : paths) {
        if (looked) looked(static_cast<std::size_t>(&path - paths.data()));
        Candidate c{&path};
        if (kind == DuplicateKind::IdenticalFiles) {
            auto status = platform::fileStatus(path);
            if (!status) {
                out.failures.push_back(status.error());
                continue;
            }
            c.size = status->size;
        } else {
            auto got = platform::readRegularFileStart(path, kHeaderBytes, start, c.size);
            if (!got) {
                out.failures.push_back(got.error());
                continue;
            }
            if (auto end = trackMapEnd(std::span(start.data(), *got), c.size)) c.mapEnd = *end;
        }
        files.push_back(c);
    }
    // Tracks are grouped by the size of their map, other files by their own
    // size; only groups of two or more are read.
    std::map<std::pair<bool, std::uint64_t>, std::vector<const Candidate*>> bySize;
    for (const Candidate& c : files) {
        const bool byMap = c.mapEnd >= 0;
        bySize[{byMap, byMap ? static_cast<std::uint64_t>(c.mapEnd) : c.size}].push_back(&c);
    }
    for (const auto& [key, group] : bySize)
        if (group.size() > 1) compareGroup(group, key.first, out);
    std::sort(out.groups.begin(), out.groups.end());
    std::sort(out.identical.begin(), out.identical.end());
    return out;
}

}  // namespace pitbox
