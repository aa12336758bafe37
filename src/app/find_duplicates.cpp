#include "app/find_duplicates.h"

#include <string_view>
#include <unordered_map>
#include <unordered_set>

#include "app/ids.h"
#include "app/list_view.h"
#include "app/long_work.h"
#include "library/duplicates.h"

namespace pitbox {
namespace {

// The search beside the event loop, over the paths the catalogue had when it
// began; its groups are matched to the tracks by path when it ends, so the
// check of the remembered library may replace the catalogue meanwhile.
class DuplicatesWork : public LongWork {
public:
    explicit DuplicatesWork(const Catalogue& catalogue) {
        paths_.reserve(catalogue.count());
        for (const TrackEntry& e : catalogue.entries()) paths_.emplace_back(e.path);
        setTotal(paths_.size());
    }

    bool step() override {
        found_ = findDuplicates(
            paths_, DuplicateKind::SameTrack, [this](std::size_t looked) { setDone(looked); }, &stopFlag());
        return false;
    }
    bool take(AppState&) override { return false; }

    void finish(AppState& s, bool stopped) override {
        if (stopped) {
            showResult(
                s, "Duplicates stopped: " + std::to_string(done()) + " of " + std::to_string(total()) + " looked at");
            showDuplicatesCaption(s);
            return;
        }
        std::unordered_map<std::string_view, const TrackEntry*> byPath;
        for (const TrackEntry& e : std::as_const(s.catalogue).entries()) byPath.emplace(e.path.view(), &e);
        std::unordered_set<std::string_view> identical;
        for (const auto& group : found_.identical) identical.insert(group.begin(), group.end());
        std::vector<CatalogueView::DuplicateOf> duplicates;
        for (std::size_t g = 0; g < found_.groups.size(); ++g)
            for (const std::string& path : found_.groups[g])
                if (auto it = byPath.find(path); it != byPath.end())
                    duplicates.push_back({it->second, static_cast<std::uint32_t>(g),
                                          identical.count(path) ? CatalogueView::Duplicate::Identical
                                                                : CatalogueView::Duplicate::SameTrack});
        if (duplicates.empty()) {
            showResult(s, "No duplicates among " + std::to_string(s.catalogue.count()) + " Tracks");
        } else {
            s.view.showDuplicates(duplicates);
            fillList(s);
        }
        showDuplicatesCaption(s);
        if (!found_.failures.empty())
            s.tk.setText(ids::kMainWindow, ids::kStatusLine2, unreadText(found_.failures, "file", "files"));
    }

    std::string doing(std::size_t done, std::size_t total) const override {
        return "Looking for duplicates... " + std::to_string(done) + " / " + std::to_string(total);
    }

private:
    std::vector<std::string> paths_;
    DuplicateGroups found_;
};

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
    const auto fileOf = [](const TrackEntry& e) { return DuplicateFile{e.path.view(), e.stamp.modified}; };
    std::vector<const TrackEntry*> keep;
    for (const TrackEntry& e : std::as_const(s.catalogue).entries()) {
        if (s.view.duplicateKind(e) == CatalogueView::Duplicate::None) continue;
        const std::uint32_t group = s.view.groupOf(e);
        if (group >= keep.size()) keep.resize(group + 1, nullptr);
        if (!keep[group] || keptBefore(fileOf(e), fileOf(*keep[group]))) keep[group] = &e;
    }
    s.view.selectWhere([&](const TrackEntry& e) {
        const std::uint32_t group = s.view.groupOf(e);
        return s.view.duplicateKind(e) != CatalogueView::Duplicate::None && group < keep.size() && keep[group] != &e;
    });
    s.tk.setTableSelection(ids::kMainWindow, ids::kTable, {s.view.selectedRows(), s.view.currentRow()});
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
    startWork(s, std::make_unique<DuplicatesWork>(s.catalogue), {ids::kMainWindow, ids::kDuplicates, -1, -1}, false);
}

}  // namespace pitbox
