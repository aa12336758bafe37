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
    // The list as the table shows it: filtered and in its order.
    if (auto saved = platform::replaceFile(path, exportListText(s.view.shown())); !saved) reportError(s, saved.error());
}

}  // namespace pitbox
