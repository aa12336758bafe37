#include "app/save_list.h"

#include "app/ids.h"
#include "app/list_view.h"
#include "jobs/save_list_job.h"

namespace pitbox {

void saveList(AppState& s) {
    const std::string proposed = s.trackFolder + s.listName + ".txt";
    // The text the table's own, or CSV for spreadsheets, by the type chosen.
    const ui::SaveAnswer answer = s.tk.saveFileRequester("Save List", proposed, {{"txt", "*.txt"}, {"csv", "*.csv"}});
    if (answer.path.empty()) return;
    const ListFormat format = answer.type == 1 ? ListFormat::Csv : ListFormat::Text;
    // The list as the table shows it: filtered and in its order; in the
    // Duplicates view with tracks selected (the extras), those tracks, and in
    // CSV each track's group, numbered from 1.
    std::vector<TrackEntry*> picked;
    GroupOf groupOf;
    if (s.view.showingDuplicates()) {
        picked = s.view.selectedEntries();
        groupOf = [&view = s.view](const TrackEntry& e) { return view.groupOf(e) + 1; };
    }
    const Catalogue::ConstEntries entries =
        picked.empty() ? s.view.shown() : Catalogue::ConstEntries(picked.data(), picked.size());
    if (auto saved = saveListJob(entries, format, answer.path, groupOf); !saved) reportError(s, saved.error());
}

}  // namespace pitbox
