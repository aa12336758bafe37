#include "library/copy_plan.h"

#include <algorithm>
#include <map>
#include <set>
#include <unordered_map>
#include <unordered_set>

#include "base/text.h"
#include "platform/archives.h"
#include "platform/paths.h"

namespace pitbox {
namespace {

// The stem loses characters from its end (never part of one) until the
// numbered name fits in a file name.
std::string numbered(const std::string& stem, std::size_t counter) {
    const std::string suffix = "_" + std::to_string(counter) + ".trk";
    std::string name = stem + suffix;
    for (std::size_t cut = 1; !platform::fitsInName(name) && cut <= stem.size(); ++cut)
        name = dropLastCharacters(stem, cut) + suffix;
    return name;
}

// Element i's file name is compared with the current target names of the later
// elements; each match longer than four characters is renamed, and a renamed
// target can match again for a later i. The buckets (current lower-cased target
// name -> elements holding it, in order) give the same result as comparing every
// pair, without the quadratic cost on large selections.
void numberClashes(std::vector<CopyItem>& items) {
    std::unordered_map<std::string, std::set<std::size_t>> holders;
    for (std::size_t j = 0; j < items.size(); ++j)
        holders[platform::foldedName(platform::filePart(items[j].target))].insert(j);
    for (std::size_t i = 0; i < items.size(); ++i) {
        auto bucket = holders.find(platform::foldedName(platform::filePart(items[i].source)));
        if (bucket == holders.end()) continue;
        std::size_t counter = 1;
        std::vector<std::size_t> moved;
        for (auto j = bucket->second.upper_bound(i); j != bucket->second.end(); ++j) {
            const std::string_view candidate = platform::filePart(items[*j].target);
            if (candidate.size() <= 4) continue;
            items[*j].target =
                std::string(platform::pathPart(items[*j].target)) + numbered(trackStem(candidate), counter++);
            moved.push_back(*j);
        }
        for (std::size_t j : moved) {
            bucket->second.erase(j);
            holders[platform::foldedName(platform::filePart(items[j].target))].insert(j);
        }
    }
}

// Moves a target that equals an earlier one (ignoring case) to the first numbered
// name that no element uses; every other target stays.
void separateCoincidences(std::vector<CopyItem>& items, const std::string& targetFolder) {
    std::unordered_set<std::string> planned, used;
    for (const CopyItem& item : items) planned.insert(platform::foldedName(item.target));
    for (CopyItem& item : items) {
        std::string key = platform::foldedName(item.target);
        if (used.count(key) != 0) {
            const std::string stem = trackStem(platform::filePart(item.source));
            for (std::size_t counter = 1;; ++counter) {
                std::string candidate = targetFolder + numbered(stem, counter);
                std::string candidateKey = platform::foldedName(candidate);
                if (planned.count(candidateKey) == 0 && used.count(candidateKey) == 0) {
                    item.target = std::move(candidate);
                    key = std::move(candidateKey);
                    planned.insert(key);
                    break;
                }
            }
        }
        used.insert(std::move(key));
    }
}

}  // namespace

KeptFoldersPlan planCopiesKeepingFolders(const std::vector<std::string>& sources, const std::string& root,
                                         const std::string& targetFolder) {
    KeptFoldersPlan plan;
    // The sources of each folder below the root, with their places in the order.
    std::map<std::string, std::vector<std::size_t>> byFolder;
    for (std::size_t i = 0; i < sources.size(); ++i) {
        const std::string_view path = sources[i];
        if (root.empty() || !path.starts_with(root) || path.size() == root.size()) {
            plan.refused.push_back(Error{ErrorCode::CannotOpen, sources[i], "not below " + root});
            continue;
        }
        // A member's folders in its archive are kept as far as they are safe:
        // its name never reaches outside the target.
        std::string folder;
        if (const auto archive = platform::archivePartOf(path); !archive.empty())
            folder = std::string(archive.substr(root.size())) + platform::kSeparator +
                     platform::safeMemberFolders(path.substr(archive.size() + 1));
        else
            folder = platform::pathPart(path.substr(root.size()));
        byFolder[folder].push_back(i);
    }
    std::vector<std::pair<std::size_t, CopyItem>> placed;
    for (const auto& [folder, members] : byFolder) {
        std::vector<std::string> group;
        for (std::size_t i : members) group.push_back(sources[i]);
        std::vector<CopyItem> items = planCopies(group, targetFolder + folder);
        for (std::size_t k = 0; k < members.size(); ++k) {
            items[k].madeBelow = targetFolder;
            placed.emplace_back(members[k], std::move(items[k]));
        }
    }
    std::sort(placed.begin(), placed.end(), [](const auto& a, const auto& b) { return a.first < b.first; });
    for (auto& [at, item] : placed) plan.items.push_back(std::move(item));
    return plan;
}

std::string trackStem(std::string_view name) {
    if (name.size() > 4) return std::string(name.substr(0, name.size() - 4));
    return equalFolded(name, ".trk") ? std::string() : std::string(name);
}

std::vector<CopyItem> planCopies(const std::vector<std::string>& sources, const std::string& targetFolder) {
    std::vector<CopyItem> items;
    items.reserve(sources.size());
    for (const std::string& source : sources)
        items.push_back({source, targetFolder + std::string(platform::filePart(source))});
    numberClashes(items);
    separateCoincidences(items, targetFolder);
    return items;
}

}  // namespace pitbox
