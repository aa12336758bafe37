#include "app/find_duplicates.h"

#include <string_view>
#include <unordered_map>
#include <unordered_set>

#include "app/ids.h"
#include "app/job_work.h"
#include "app/list_view.h"
#include "app/long_work.h"
#include "jobs/duplicates_job.h"
#include "platform/archives.h"

namespace pitbox {
namespace {

// The groups are matched to the tracks by path when the search ends, so the
// check of the remembered library may replace the catalogue meanwhile.
void duplicatesFound(AppState& s, const DuplicatesJob& job, bool stopped, std::size_t looked) {
    if (stopped) {
        showResult(s, "Duplicates stopped: " + std::to_string(looked) + " of " + std::to_string(job.pathCount()) +
                          " looked at");
        showDuplicatesCaption(s);
        return;
    }
    const DuplicateGroups& found = job.found();
    std::unordered_set<std::string_view> identical;
    for (const auto& group : found.identicalGroups()) identical.insert(group.begin(), group.end());
    // The paths found, each with its place among them: the tracks are looked
    // up by path, each path's first track, and kept in the groups' order.
    std::unordered_map<std::string_view, std::size_t> placeOf;
    std::vector<std::pair<std::uint32_t, std::string_view>> places;
    for (std::size_t g = 0; g < found.groups.size(); ++g)
        for (const std::string& path : found.groups[g])
            if (placeOf.emplace(path, places.size()).second) places.emplace_back(static_cast<std::uint32_t>(g), path);
    std::vector<const TrackEntry*> entryAt(places.size(), nullptr);
    std::string path;
    for (const TrackEntry& e : std::as_const(s.catalogue).entries()) {
        path.assign(e.folderPath()).append(e.file.view());
        if (auto it = placeOf.find(path); it != placeOf.end() && !entryAt[it->second]) entryAt[it->second] = &e;
    }
    std::vector<CatalogueView::DuplicateOf> duplicates;
    for (std::size_t i = 0; i < places.size(); ++i)
        if (entryAt[i])
            duplicates.push_back({entryAt[i], places[i].first,
                                  identical.count(places[i].second) ? CatalogueView::Duplicate::Identical
                                                                    : CatalogueView::Duplicate::SameTrack});
    if (duplicates.empty()) {
        showResult(s, "No duplicates among " + std::to_string(s.catalogue.count()) + " Tracks");
    } else {
        s.view.showDuplicates(duplicates);
        fillList(s);
    }
    showDuplicatesCaption(s);
    if (!found.failures.empty())
        s.tk.setText(ids::kMainWindow, ids::kStatusLine2, unreadText(found.failures, "file", "files"));
}

}  // namespace

void showDuplicatesCaption(AppState& s) {
    const bool searching = s.work && s.work->button.gadget == ids::kDuplicates;
    s.tk.setText(ids::kMainWindow, ids::kDuplicates,
                 searching                    ? "Stop"
                 : s.view.showingDuplicates() ? kShowAllTracks
                                              : kShowDuplicates);
    s.tk.setEnabled(ids::kMainWindow, ids::kSelectExtras, s.view.showingDuplicates() && !searching);
}

void selectExtras(AppState& s) {
    if (!s.view.showingDuplicates()) return;
    // The one to keep of each group, of all its tracks (a filter may hide it),
    // by the stamps the catalogue holds: no file is looked at again.
    // Groups are numbered from 0, one after another.
    const auto fileOf = [](const TrackEntry& e) {
        return DuplicateFile{e.folderPath(), e.stamp.modified, !platform::archivePartOf(e.folderPath()).empty(),
                             e.file};
    };
    std::vector<const TrackEntry*> keep;
    std::vector<DuplicateFile> kept;  // what keep's entry is, by group
    for (const TrackEntry& e : std::as_const(s.catalogue).entries()) {
        if (s.view.duplicateKind(e) == CatalogueView::Duplicate::None) continue;
        const std::uint32_t group = s.view.groupOf(e);
        if (group >= keep.size()) {
            keep.resize(group + 1, nullptr);
            kept.resize(group + 1);
        }
        const DuplicateFile file = fileOf(e);
        if (!keep[group] || keptBefore(file, kept[group])) {
            keep[group] = &e;
            kept[group] = file;
        }
    }
    s.view.selectWhere([&](const TrackEntry& e) {
        const std::uint32_t group = s.view.groupOf(e);
        return s.view.duplicateKind(e) != CatalogueView::Duplicate::None && group < keep.size() && keep[group] != &e;
    });
    s.tk.showTableSelection(ids::kMainWindow, ids::kTable, s.view.currentRow());
    showListStatus(s);
}

void toggleDuplicates(AppState& s) {
    if (s.view.showingDuplicates()) {
        s.view.showDuplicates({});
        showDuplicatesCaption(s);
        fillList(s);
        return;
    }
    if (s.catalogue.count() == 0) return;
    // Over the paths the catalogue has as the search begins.
    PathList paths;
    for (const TrackEntry& e : s.catalogue.entries()) paths.add(e.folderPath(), e.file.view());
    auto job = std::make_shared<DuplicatesJob>(std::move(paths), DuplicateKind::SameTrack);
    auto work = jobWork(
        job,
        {{},
         [job](AppState& state, bool stopped, std::size_t looked) { duplicatesFound(state, *job, stopped, looked); },
         [](std::size_t done, std::size_t total) {
             return "Looking for duplicates... " + std::to_string(done) + " / " + std::to_string(total);
         }});
    startWork(s, std::move(work), {ids::kMainWindow, ids::kDuplicates, -1, -1}, false);
}

}  // namespace pitbox
