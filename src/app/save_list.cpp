#include "app/save_list.h"

#include "app/ids.h"
#include "library/list_export.h"
#include "platform/file_replacement.h"

namespace pitbox {

void saveList(AppState& s) {
    const std::string proposed = s.trackFolder + s.listName + ".txt";
    const std::string path = s.tk.saveFileRequester("Save List", proposed, "txt|*.txt");
    if (path.empty()) return;
    if (auto saved = platform::replaceFile(path, exportListText(s.catalogue.entries())); !saved)
        s.tk.setText(ids::kMainWindow, ids::kStatusLine1,
                     "Error: " + path + " not saved (" + saved.error().reason + ")");
}

}  // namespace pitbox
