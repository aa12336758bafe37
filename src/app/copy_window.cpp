#include "app/copy_window.h"

#include "app/ids.h"
#include "app/job_work.h"
#include "app/list_view.h"
#include "app/long_work.h"
#include "app/main_window.h"
#include "app/show_track.h"
#include "jobs/copy_job.h"
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

namespace {

// What the window says it copies: the main window's selection as it stands.
void showSelection(AppState& s) {
    s.tk.setText(kWin, ids::kSelectionLine,
                 "Selected: " + std::to_string(s.view.selectedCount()) + "/" + std::to_string(s.view.rows()));
}

// The copy beside the event loop; the Copy Tracks window's target buttons
// wait meanwhile.
constexpr int kTargetGadgets[] = {ids::kCopySelect, ids::kCopyNew, ids::kCopyBack, ids::kKeepFolders,
                                  ids::kSkipAlreadyThere};

// The result in the window's target line; the reason of the first failure
// in the main window's status line, below this window.
void copied(AppState& s, const CopyJob& job, bool stopped, const std::string& statusLine) {
    for (int g : kTargetGadgets) s.tk.setEnabled(kWin, g, true);
    CopyOutcome o = job.outcome();
    // Stopped before it began: none of the tracks was copied.
    if (!job.ran()) {
        o.planned = job.request().sources.size();
        o.stopped = stopped;
    }
    const std::string& target = job.request().target;
    std::string result = o.stopped ? "Copy stopped: " + std::to_string(o.copied) + " of " + std::to_string(o.planned) +
                                         " Tracks copied to: " + target
                                   : copiedText(o.copied, o.alreadyThere, target);
    if (!o.failures.empty()) {
        result += " (" + std::to_string(o.failures.size()) + " failed)";
        showResult(s, firstFailureText(o.failures));
    } else {
        s.tk.setText(ids::kMainWindow, ids::kStatusLine1, statusLine);  // as it was
    }
    showTarget(s, result);
}

std::string copying(std::size_t done, std::size_t total) {
    return "Copying " + std::to_string(done) + " / " + std::to_string(total);
}

}  // namespace

void copySelectedTracks(AppState& s) {
    // The table's selection as it is at the click, in the table's order.
    const std::vector<std::string> sources = selectedPaths(s);
    showSelection(s);
    if (sources.empty()) return;
    for (int g : kTargetGadgets) s.tk.setEnabled(kWin, g, false);
    CopyRequest request{sources, s.targetFolder, std::nullopt, s.skipAlreadyThere};
    if (s.keepFolders && !s.catalogue.root().empty()) request.keepFoldersBelow = s.catalogue.root();
    auto job = std::make_shared<CopyJob>(std::move(request));
    // The main window's status line shows the progress meanwhile, and is given back.
    JobApply apply{[](AppState& state, const JobProgress& progress) {
                       showTarget(state, copying(progress.done(), progress.total()));
                       return false;
                   },
                   [job, statusLine = s.tk.text(ids::kMainWindow, ids::kStatusLine1)](
                       AppState& state, bool stopped, std::size_t) { copied(state, *job, stopped, statusLine); },
                   copying};
    startWork(s, jobWork(job, std::move(apply)),
              {kWin, ids::kCopyStart, ids::kPictureCopyLarge, ids::kPictureStopLarge}, false);
}

void openCopyWindow(AppState& s) {
    // Open already: it comes to the front, saying what is selected now.
    if (s.tk.isWindowOpen(kWin)) {
        showSelection(s);
        s.tk.raiseWindow(kWin);
        return;
    }
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
    s.tk.addCheckBox(kWin, ids::kKeepFolders, {20, 160, 186, 22}, "Keep folders");
    s.tk.addCheckBox(kWin, ids::kSkipAlreadyThere, {20, 188, 186, 22}, "Skip tracks already there");
    s.tk.setChecked(kWin, ids::kKeepFolders, s.keepFolders);
    s.tk.setChecked(kWin, ids::kSkipAlreadyThere, s.skipAlreadyThere);
    showTarget(s, s.targetFolder);
    showSelection(s);
}

void closeCopyWindow(AppState& s) {
    if (!s.tk.isWindowOpen(kWin)) return;
    // A copy running from the window stops first, keeping what it committed.
    if (s.work && s.work->button.window == kWin) endUserWork(s);
    s.tk.closeWindow(kWin);
    s.tk.setFocus(ids::kMainWindow, ids::kTable);
}

void copyWindowEvent(AppState& s, const ui::Event& e) {
    if (e.window != kWin) return;
    if (e.kind == ui::EventKind::CloseRequest) {
        closeCopyWindow(s);
        return;
    }
    if (e.kind != ui::EventKind::Gadget) return;
    switch (e.gadget) {
        case ids::kCopyClose: closeCopyWindow(s); break;
        case ids::kCopyStart:
            if (s.work && s.work->button.window == kWin)
                stopWork(s);
            else
                copySelectedTracks(s);
            break;
        case ids::kCopySelect: chooseTarget(s); break;
        case ids::kCopyNew: makeNewFolder(s); break;
        case ids::kCopyBack: goToParentFolder(s); break;
        case ids::kKeepFolders: s.keepFolders = s.tk.isChecked(kWin, ids::kKeepFolders); break;
        case ids::kSkipAlreadyThere: s.skipAlreadyThere = s.tk.isChecked(kWin, ids::kSkipAlreadyThere); break;
        default: break;
    }
}

void followSelection(AppState& s) {
    if (s.tk.isWindowOpen(kWin)) showSelection(s);
}

}  // namespace pitbox
