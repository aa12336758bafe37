#include "app/main_window.h"

#include "app/button_pictures.h"
#include "app/copy_window.h"
#include "app/ids.h"
#include "app/list_view.h"
#include "app/load_tracks.h"
#include "app/save_list.h"
#include "app/scan_tracks.h"
#include "app/show_track.h"
#include "platform/paths.h"
#include "preview/track_preview.h"

namespace pitbox {
namespace {

const std::vector<ui::Column> kColumns = {
    {"Track", 150}, {"WS", 60}, {"Length", 60}, {"Author", 200}, {"Record/FL", 200}, {"Path", 300},
};

}  // namespace

void startUp(AppState& s, const std::string& workingFolder, const std::string& startFolder) {
    ui::Toolkit& tk = s.tk;
    loadButtonPictures(tk);
    s.trackFolder = platform::withSeparator(workingFolder);
    s.targetFolder = s.trackFolder;
    s.listName.clear();
    tk.loadFont(ids::kFontRecords, preview::kRecordsFont);
    tk.loadFont(ids::kFontTexts, {"Arial", 12, raster::FontStyle::SansSerif});

    tk.openWindow({ids::kMainWindow, "Kestrun Pitbox", 10, 10, 1000, 720, -1, false});
    const int w = ids::kMainWindow;
    tk.addTable(w, ids::kTable, {10, 10, 980, 600}, kColumns);
    tk.addImageButton(w, ids::kShow, {10, 622, 100, 36}, ids::kPictureShow);
    tk.addText(w, ids::kStatusLine1, {130, 620, 850, 24}, ui::Align::Left, ids::kFontTexts);
    tk.addText(w, ids::kStatusLine2, {130, 645, 850, 24}, ui::Align::Left, ids::kFontTexts);
    tk.addImageButton(w, ids::kLoad, {15, 675, 90, 36}, ids::kPictureLoad);
    tk.addImageButton(w, ids::kScan, {120, 675, 84, 36}, ids::kPictureScan);
    tk.addImageButton(w, ids::kSaveList, {214, 675, 80, 36}, ids::kPictureSaveList);
    tk.addImageButton(w, ids::kCopy, {304, 675, 91, 36}, ids::kPictureCopy);
    tk.addText(w, ids::kSelectionCounter, {415, 682, 60, 36}, ui::Align::Left, ids::kFontTexts);
    tk.addImageButton(w, ids::kSortAuthor, {719, 675, 97, 36}, ids::kPictureAuthor);
    tk.addImageButton(w, ids::kSortLength, {916, 675, 74, 36}, ids::kPictureKm);
    tk.addImageButton(w, ids::kSortWorldSize, {826, 675, 80, 36}, ids::kPictureWorldSize);
    tk.addImageButton(w, ids::kSortName, {567, 675, 142, 36}, ids::kPictureSortName);

    // Let the window settle: clicks that arrive meanwhile are not acted on, but a
    // close request is kept and ends the program.
    for (int take = 0; take < 2; ++take) {
        if (take == 1) tk.sleep(100);
        const ui::Event e = tk.waitEvent(0);
        if (e.kind == ui::EventKind::CloseRequest && e.window == ids::kMainWindow) s.quitRequested = true;
    }
    if (!startFolder.empty() && !s.quitRequested)
        loadFolder(s, platform::withSeparator(platform::userPath(platform::absolutePath(startFolder, s.trackFolder))));
}

void dispatchMainEvent(AppState& s, const ui::Event& e) {
    if (e.kind != ui::EventKind::Gadget || e.window != ids::kMainWindow) return;
    switch (e.gadget) {
        case ids::kTable: listEvent(s); break;
        case ids::kLoad: loadTracks(s); break;
        case ids::kScan: refreshHeaders(s); break;
        case ids::kSortWorldSize: sortAction(s, SortKey::WorldSize); break;
        case ids::kSortLength: sortAction(s, SortKey::Length); break;
        case ids::kSortAuthor: sortAction(s, SortKey::Author); break;
        case ids::kSortName: sortAction(s, SortKey::Name); break;
        case ids::kSaveList: saveList(s); break;
        case ids::kShow:
            showTrack(s);
            s.tk.setFocus(ids::kMainWindow, ids::kTable);
            break;
        case ids::kCopy:
            openCopyWindow(s);
            s.tk.setFocus(ids::kMainWindow, ids::kTable);
            break;
        default: break;
    }
}

int runMainLoop(AppState& s) {
    while (!s.quitRequested) {
        const ui::Event e = s.tk.waitEvent();
        if (e.kind == ui::EventKind::CloseRequest && e.window == ids::kMainWindow)
            s.quitRequested = true;
        else
            dispatchMainEvent(s, e);
    }
    s.tk.closeWindow(ids::kMainWindow);
    return 0;
}

}  // namespace pitbox
