#include "app/save_list.h"

#include "app/ids.h"
#include "app/list_view.h"
#include "library/list_export.h"
#include "platform/file_replacement.h"

namespace pitbox {

void saveList(AppState& s) {
    const std::string proposed = s.trackFolder + s.listName + ".txt";
    const std::string path = s.tk.saveFileRequester("Save List", proposed, "txt|*.txt");
    if (path.empty()) return;
    // The list as the table shows it: filtered and in its order; in the
    // Duplicates view with tracks selected (the extras), those tracks.
    std::vector<TrackEntry*> picked;
    if (s.view.showingDuplicates()) picked = s.view.selectedEntries();
    const Catalogue::ConstEntries entries =
        picked.empty() ? s.view.shown() : Catalogue::ConstEntries(picked.data(), picked.size());
    if (auto saved = platform::replaceFile(path, exportListText(entries)); !saved) reportError(s, saved.error());
}

}  // namespace pitbox
