#include "app/copy_window.h"

#include "app/ids.h"
#include "app/list_view.h"
#include "app/show_track.h"
#include "base/pacer.h"
#include "library/copy_plan.h"
#include "library/copy_tracks.h"
#include "platform/files.h"
#include "platform/paths.h"

namespace pitbox {
namespace {

constexpr int kWin = ids::kCopyWindow;

void showTarget(AppState& s, const std::string& text) { s.tk.setText(kWin, ids::kTargetLine, text); }

}  // namespace

void chooseTarget(AppState& s) {
    const std::string chosen =
        s.tk.folderRequester("copy " + std::to_string(s.view.selectedCount()) + " tracks to:", s.targetFolder);
    if (!chosen.empty()) s.targetFolder = platform::userPath(chosen);
    showTarget(s, s.targetFolder);
}

void makeNewFolder(AppState& s) {
    std::string answer = s.tk.textRequester("Make New Folder in", s.targetFolder, "");
    if (answer.empty()) {
        showTarget(s, s.targetFolder);
        return;
    }
    const std::string path = platform::withSeparator(s.targetFolder + platform::userPath(answer));
    std::string toCreate = path;
    while (!toCreate.empty() && (toCreate.back() == ' ' || platform::isSeparator(toCreate.back()))) toCreate.pop_back();
    // The folder as made: trailing blanks would be part of a name, so the target
    // is the folder made, not the answer as typed.
    auto made = toCreate.empty() ? Result<std::string>(Error{ErrorCode::WriteFailed, path, "no folder name"})
                                 : platform::makeFolder(toCreate);
    if (made) {
        s.targetFolder = std::move(*made);
        showTarget(s, "New dir: " + s.targetFolder);
    } else {
        showTarget(s, errorText(made.error()));
    }
}

void goToParentFolder(AppState& s) {
    s.targetFolder = platform::parentFolder(s.targetFolder);
    showTarget(s, s.targetFolder);
}

// What the window says it copies: the main window's selection as it stands.
void showSelection(AppState& s) {
    s.tk.setText(kWin, ids::kSelectionLine,
                 "Selected: " + std::to_string(s.view.selectedCount()) + "/" + std::to_string(s.view.rows()));
}

void copySelectedTracks(AppState& s) {
    // The table's selection as it is at the click, in the table's order.
    s.view.selectRows(s.tk.selectedRows(ids::kMainWindow, ids::kTable));
    showSelection(s);
    std::vector<std::string> sources;
    for (std::size_t row : s.view.selectedRows()) sources.emplace_back(s.view.row(row).path);
    if (sources.empty()) return;
    const auto plan = planCopies(sources, s.targetFolder);
    Pacer pacer(s.progressInterval);
    const CopyReport report = copyTracks(plan, [&](std::size_t done) {
        if (!pacer.due()) return;
        showTarget(s, "Copying " + std::to_string(done) + " / " + std::to_string(plan.size()));
        s.tk.keepPainted();
    });
    std::string result = std::to_string(report.copied) + " Tracks copied to: " + s.targetFolder;
    if (!report.failures.empty()) {
        const std::size_t failed = report.failures.size();
        result += " (" + std::to_string(failed) + " failed)";
        // The reason goes to the main window's status line, below this window.
        std::string reason = errorText(report.failures.front());
        if (failed > 1) reason += " (and " + std::to_string(failed - 1) + " more)";
        s.tk.setText(ids::kMainWindow, ids::kStatusLine1, reason);
    }
    showTarget(s, result);
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
    showSelection(s);

    // Events of the main window and the viewer are taken here and dropped,
    // but for the table's: the selection line follows it. A close request of
    // the main window ends only this window, the viewer's closes the viewer.
    for (;;) {
        const ui::Event e = s.tk.waitEvent();
        if (e.kind == ui::EventKind::CloseRequest && e.window == ids::kViewerWindow) {
            closeViewer(s);
            continue;
        }
        if (e.kind == ui::EventKind::CloseRequest) break;
        if (e.isGadget(ids::kMainWindow, ids::kTable)) {
            listEvent(s);
            showSelection(s);
        }
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
