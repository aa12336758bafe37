#include "app/find_duplicates.h"

#include <string_view>
#include <unordered_map>
#include <unordered_set>

#include "app/ids.h"
#include "app/list_view.h"
#include "base/pacer.h"
#include "library/duplicates.h"

namespace pitbox {

void toggleDuplicates(AppState& s) {
    if (s.view.showingDuplicates()) {
        s.view.showDuplicates({});
        s.tk.setText(ids::kMainWindow, ids::kDuplicates, kShowDuplicates);
        fillList(s);
        return;
    }
    if (s.catalogue.count() == 0) return;
    s.tk.setText(ids::kMainWindow, ids::kStatusLine1, "Looking for duplicates...");
    s.tk.keepPainted();
    std::vector<std::string> paths;
    std::unordered_map<std::string_view, const TrackEntry*> byPath;
    paths.reserve(s.catalogue.count());
    for (const TrackEntry& e : s.catalogue.entries()) {
        paths.emplace_back(e.path);
        byPath.emplace(e.path.view(), &e);
    }
    // Every header is read: the count shows it moving, and the window repaints.
    Pacer pacer(s.progressInterval);
    const DuplicateGroups found = findDuplicates(paths, DuplicateKind::SameTrack, [&](std::size_t looked) {
        if (!pacer.due()) return;
        s.tk.setText(ids::kMainWindow, ids::kStatusLine1,
                     "Looking for duplicates... " + std::to_string(looked) + " / " + std::to_string(paths.size()));
        s.tk.keepPainted();
    });
    std::unordered_set<std::string_view> identical;
    for (const auto& group : found.identical) identical.insert(group.begin(), group.end());
    std::vector<CatalogueView::DuplicateOf> duplicates;
    for (std::size_t g = 0; g < found.groups.size(); ++g)
        for (const std::string& path : found.groups[g])
            if (auto it = byPath.find(path); it != byPath.end())
                duplicates.push_back({it->second, static_cast<std::uint32_t>(g),
                                      identical.count(path) ? CatalogueView::Duplicate::Identical
                                                            : CatalogueView::Duplicate::SameTrack});
    if (duplicates.empty()) {
        s.tk.setText(ids::kMainWindow, ids::kStatusLine1,
                     "No duplicates among " + std::to_string(s.catalogue.count()) + " Tracks");
    } else {
        s.view.showDuplicates(duplicates);
        s.tk.setText(ids::kMainWindow, ids::kDuplicates, kShowAllTracks);
        fillList(s);
    }
    if (!found.failures.empty())
        s.tk.setText(ids::kMainWindow, ids::kStatusLine2, unreadText(found.failures, "file", "files"));
}

}  // namespace pitbox
