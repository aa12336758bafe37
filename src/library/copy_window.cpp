#include "library/copy_window.h"

#include <sys/stat.h>

#include "app/ids.h"
#include "library/copy_file.h"
#include "library/copy_plan.h"
#include "ui/pacer.h"

namespace pitbox {
namespace {

constexpr int kWin = ids::kSecondWindow;

void showTarget(AppState& s, const std::string& text) { s.tk.setText(kWin, ids::kTargetLine, text); }

}  // namespace

std::string parentFolder(const std::string& folder) {
    if (folder.find('/') == std::string::npos) return folder;
    std::size_t n = folder.size();
    if (n > 0 && folder[n - 1] == '/') --n;
    // Positions count from 1; a slash in the first position is the root and is
    // taken only when nothing is left above it.
    while (n > 1) {
        if (folder[n - 1] == '/') return folder.substr(0, n);
        --n;
    }
    return folder[0] == '/' ? std::string("/") : folder;
}

void chooseTarget(AppState& s) {
    const std::string chosen =
        s.tk.folderRequester("copy " + std::to_string(s.selectedCount) + " tracks to:", s.targetFolder);
    if (!chosen.empty()) s.targetFolder = chosen;
    showTarget(s, s.targetFolder);
}

void makeNewFolder(AppState& s) {
    std::string answer = s.tk.textRequester("Make New Folder in", s.targetFolder, "");
    if (answer.empty()) {
        showTarget(s, s.targetFolder);
        return;
    }
    if (answer.back() != '/') answer.push_back('/');
    const std::string path = s.targetFolder + answer;
    std::string toCreate = path;
    while (!toCreate.empty() && (toCreate.back() == ' ' || toCreate.back() == '/' || toCreate.back() == '\\'))
        toCreate.pop_back();
    if (!toCreate.empty() && ::mkdir(toCreate.c_str(), 0777) == 0) {
        // The folder as created: on this file system trailing blanks are part of a
        // name, so the target is what mkdir made, not the answer as typed.
        s.targetFolder = toCreate + "/";
        showTarget(s, "New dir: " + s.targetFolder);
    } else {
        showTarget(s, "Error: " + path);
    }
}

void goToParentFolder(AppState& s) {
    s.targetFolder = parentFolder(s.targetFolder);
    showTarget(s, s.targetFolder);
}

void copySelectedTracks(AppState& s) {
    const std::size_t entries = s.catalogue.count();
    const std::size_t rows = s.tk.rowCount(ids::kMainWindow, ids::kTable);
    s.rowCount = rows;
    if (rows == 0 || rows != entries) return;
    std::vector<std::string> sources;
    for (std::size_t row : s.tk.selectedRows(ids::kMainWindow, ids::kTable))
        if (row < entries) sources.push_back(s.catalogue[row].path);
    const auto plan = planCopies(sources, s.targetFolder);
    std::size_t copied = 0;
    ui::Pacer pacer(s.progressInterval);
    for (std::size_t i = 0; i < plan.size(); ++i) {
        if (copyTrackFile(plan[i].source, plan[i].target) == CopyResult::Copied) ++copied;
        if (pacer.due()) {
            showTarget(s, "Copying " + std::to_string(i + 1) + " / " + std::to_string(plan.size()));
            s.tk.keepPainted();
        }
    }
    showTarget(s, std::to_string(copied) + " Tracks copied to: " + s.targetFolder);
}

void openCopyWindow(AppState& s) {
    ui::WindowSpec layout;
    layout.number = kWin;
    layout.title = "Copy Tracks";
    layout.clientWidth = 600;
    layout.clientHeight = 300;
    layout.owner = ids::kMainWindow;
    layout.centreOnOwner = true;
    s.tk.openWindow(layout);
    s.tk.addText(kWin, ids::kTargetLine, {10, 50, 580, 24}, ui::Align::Centre, ids::kFontTexts);
    s.tk.addText(kWin, ids::kSelectionLine, {10, 20, 580, 24}, ui::Align::Centre, ids::kFontTexts);
    s.tk.addImageButton(kWin, ids::kCopySelect, {124, 100, 101, 36}, ids::kPictureSelect);
    s.tk.addImageButton(kWin, ids::kCopyNew, {245, 100, 90, 36}, ids::kPictureNew);
    s.tk.addImageButton(kWin, ids::kCopyBack, {355, 100, 99, 36}, ids::kPictureBack);
    s.tk.addImageButton(kWin, ids::kCopyStart, {211, 150, 178, 68}, ids::kPictureCopyLarge);
    s.tk.addImageButton(kWin, ids::kCopyClose, {249, 240, 102, 36}, ids::kPictureClose);
    showTarget(s, s.targetFolder);
    s.tk.sleep(10);
    s.tk.setText(kWin, ids::kSelectionLine,
                 "Selected: " + std::to_string(s.selectedCount) + "/" + std::to_string(s.rowCount));

    // Events of the main window are taken here and dropped; a close request of
    // either window ends only this window.
    for (;;) {
        const ui::Event e = s.tk.waitEvent();
        if (e.kind == ui::EventKind::CloseRequest) break;
        if (e.kind != ui::EventKind::Gadget || e.window != kWin) continue;
        if (e.gadget == ids::kCopyClose) break;
        switch (e.gadget) {
            case ids::kCopyStart: copySelectedTracks(s); break;
            case ids::kCopySelect: chooseTarget(s); break;
            case ids::kCopyNew: makeNewFolder(s); break;
            case ids::kCopyBack: goToParentFolder(s); break;
            default: break;
        }
    }
    s.tk.closeWindow(kWin);
}

}  // namespace pitbox
