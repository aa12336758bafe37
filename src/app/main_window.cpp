#include "app/main_window.h"

#include <algorithm>

#include "app/button_pictures.h"
#include "app/copy_window.h"
#include "app/find_duplicates.h"
#include "app/ids.h"
#include "app/library_watch.h"
#include "app/list_view.h"
#include "app/load_tracks.h"
#include "app/long_work.h"
#include "app/move_to_trash.h"
#include "app/open_given.h"
#include "app/remembered_library.h"
#include "app/save_catalogue.h"
#include "app/save_list.h"
#include "app/scan_tracks.h"
#include "app/show_track.h"
#include "library/track_columns.h"
#include "platform/paths.h"
#include "preview/track_preview.h"

namespace pitbox {
namespace {

std::vector<ui::Column> tableColumns() {
    std::vector<ui::Column> columns;
    columns.reserve(kTrackColumns.size());
    // Paths begin alike (the library's folder): the end tells them apart.
    for (const TrackColumn& c : kTrackColumns) columns.push_back({c.title, c.width, c.key == SortKey::Path});
    return columns;
}
// The smallest client area that keeps every gadget whole and apart: the sort
// buttons stay right of the selection counter, which still holds
// "200000/200000", the table a few rows high.
constexpr int kMinWidth = 980;
constexpr int kMinHeight = 360;
constexpr int kWorkFallback = 1000;  // ms

}  // namespace

void startUp(AppState& s, const std::string& workingFolder, const std::string& startFolder,
             const std::vector<std::string>& tracks) {
    ui::Toolkit& tk = s.tk;
    loadButtonPictures(tk);
    s.trackFolder = platform::withSeparator(workingFolder);
    s.targetFolder = s.trackFolder;
    s.listName.clear();
    tk.loadFont(ids::kFontRecords, preview::kRecordsFont);
    tk.loadFont(ids::kFontTexts, {"Arial", 12, raster::FontStyle::SansSerif});

    ui::WindowSpec main{ids::kMainWindow, "Kestrun Pitbox", 10, 10, 1000, 720};
    main.resizable = true;
    main.minClientWidth = kMinWidth;
    main.minClientHeight = kMinHeight;
    main.takesDrops = true;
    tk.openWindow(main);
    const int w = ids::kMainWindow;
    // The filter box takes the top of the table's place; Tab reaches it first.
    tk.addTextField(w, ids::kFilter, {10, 10, 540, 24}, ids::kTable,
                    "Filter (Ctrl+F): words; name:, author:, record:, path: for one field; \"a phrase\"");
    tk.addTextButton(w, ids::kSaveCatalogue, {560, 8, 100, 28}, kSaveCatalogueCaption);
    tk.addTextButton(w, ids::kMoveToTrash, {670, 8, 100, 28}, kMoveToTrashCaption);
    // Beside it, for the Duplicates view only.
    tk.addTextButton(w, ids::kSelectExtras, {780, 8, 100, 28}, kSelectExtrasCaption);
    tk.addTextButton(w, ids::kDuplicates, {890, 8, 100, 28}, kShowDuplicates);
    tk.addTable(w, ids::kTable, {10, 40, 980, 570}, tableColumns());
    tk.addImageButton(w, ids::kShow, {10, 622, 100, 36}, ids::kPictureShow);
    tk.addText(w, ids::kStatusLine1, {130, 620, 850, 24}, ui::Align::Left, ids::kFontTexts);
    tk.addText(w, ids::kStatusLine2, {130, 645, 850, 24}, ui::Align::Left, ids::kFontTexts);
    // Long work's progress, over the end of status line 1 while it runs.
    tk.addProgressBar(w, ids::kProgress, {760, 622, 220, 18});
    tk.addImageButton(w, ids::kLoad, {15, 675, 90, 36}, ids::kPictureLoad);
    tk.addImageButton(w, ids::kScan, {120, 675, 84, 36}, ids::kPictureScan);
    tk.addImageButton(w, ids::kSaveList, {214, 675, 80, 36}, ids::kPictureSaveList);
    tk.addImageButton(w, ids::kCopy, {304, 675, 91, 36}, ids::kPictureCopy);
    // The counter takes the room up to the sort buttons: a count of a hundred
    // thousand tracks and more is wider than its first 60 pixels.
    tk.addText(w, ids::kSelectionCounter, {415, 682, 142, 36}, ui::Align::Left, ids::kFontTexts);
    tk.addImageButton(w, ids::kSortAuthor, {719, 675, 97, 36}, ids::kPictureAuthor);
    tk.addImageButton(w, ids::kSortLength, {916, 675, 74, 36}, ids::kPictureKm);
    tk.addImageButton(w, ids::kSortWorldSize, {826, 675, 80, 36}, ids::kPictureWorldSize);
    tk.addImageButton(w, ids::kSortName, {567, 675, 142, 36}, ids::kPictureSortName);
    // Resizing: the table takes the extra room, the status lines widen, the
    // rows below the table keep their distance to the bottom edge, the sort
    // buttons to the right edge.
    tk.setAnchor(w, ids::kFilter, ui::kGrowWidth);
    tk.setAnchor(w, ids::kSaveCatalogue, ui::kFollowRight);
    tk.setAnchor(w, ids::kMoveToTrash, ui::kFollowRight);
    tk.setAnchor(w, ids::kSelectExtras, ui::kFollowRight);
    tk.setAnchor(w, ids::kDuplicates, ui::kFollowRight);
    tk.setAnchor(w, ids::kTable, ui::kGrowWidth | ui::kGrowHeight);
    for (int g : {ids::kShow, ids::kLoad, ids::kScan, ids::kSaveList, ids::kCopy})
        tk.setAnchor(w, g, ui::kFollowBottom);
    tk.setAnchor(w, ids::kSelectionCounter, ui::kFollowBottom | ui::kGrowWidth);
    for (int g : {ids::kStatusLine1, ids::kStatusLine2}) tk.setAnchor(w, g, ui::kFollowBottom | ui::kGrowWidth);
    tk.setAnchor(w, ids::kProgress, ui::kFollowBottom | ui::kFollowRight);
    for (int g : {ids::kSortName, ids::kSortAuthor, ids::kSortWorldSize, ids::kSortLength})
        tk.setAnchor(w, g, ui::kFollowBottom | ui::kFollowRight);
    s.view.reset(s.catalogue);
    fillList(s);
    showDuplicatesCaption(s);

    // Let the window settle: clicks that arrive meanwhile are not acted on, but a
    // close request is kept and ends the program.
    for (int take = 0; take < 2; ++take) {
        if (take == 1) tk.sleep(100);
        const ui::Event e = tk.waitEvent(0);
        if (e.kind == ui::EventKind::CloseRequest && e.window == ids::kMainWindow) s.quitRequested = true;
    }
    // Without a folder to load, the remembered library is shown and checked.
    recallLibrary(s, startFolder.empty());
    if (!startFolder.empty() && !s.quitRequested)
        loadFolder(s, platform::withSeparator(platform::userPath(platform::absolutePath(startFolder, s.trackFolder))));
    if (!tracks.empty() && !s.quitRequested) showGivenTracks(s, absoluteGiven(tracks, workingFolder));
}

namespace {

void dispatchGadget(AppState& s, int gadget, bool shift) {
    // The button of the running work reads Stop.
    if (s.work && s.work->button.window == ids::kMainWindow && s.work->button.gadget == gadget) {
        stopWork(s);
        return;
    }
    switch (gadget) {
        case ids::kTable: listEvent(s); break;
        case ids::kFilter: filterChanged(s); break;
        case ids::kDuplicates: toggleDuplicates(s); break;
        case ids::kSelectExtras: selectExtras(s); break;
        case ids::kMoveToTrash: moveSelectionToTrash(s); break;
        case ids::kSaveCatalogue: saveCatalogue(s); break;
        case ids::kLoad: loadTracks(s); break;
        case ids::kScan: refreshHeaders(s, shift); break;
        case ids::kSortWorldSize: sortAction(s, SortKey::WorldSize); break;
        case ids::kSortLength: sortAction(s, SortKey::Length); break;
        case ids::kSortAuthor: sortAction(s, SortKey::Author); break;
        case ids::kSortName: sortAction(s, SortKey::Name); break;
        case ids::kSaveList: saveList(s); break;
        case ids::kShow:
            showTrack(s);
            // The viewer, once open, keeps the keys; else the table has them again.
            if (!s.tk.isWindowOpen(ids::kViewerWindow)) s.tk.setFocus(ids::kMainWindow, ids::kTable);
            break;
        case ids::kCopy: openCopyWindow(s); break;
        default: break;
    }
}

}  // namespace

void dispatchMainEvent(AppState& s, const ui::Event& e) {
    // Whatever the user does next takes back the line that held a result.
    if (e.kind == ui::EventKind::Gadget || e.kind == ui::EventKind::HeaderClick || e.kind == ui::EventKind::Key)
        s.resultShown = false;
    // A folder dropped on the main window is loaded, tracks dropped on it or
    // on the viewer are shown.
    if (e.kind == ui::EventKind::Drop) {
        if (e.window == ids::kMainWindow || e.window == ids::kViewerWindow) openGiven(s, e.paths);
        return;
    }
    if (e.window == ids::kViewerWindow) viewerEvent(s, e);
    if (e.window == ids::kCopyWindow) copyWindowEvent(s, e);
    if (e.window != ids::kMainWindow) return;
    if (e.kind == ui::EventKind::HeaderClick && e.gadget == ids::kTable) headerSort(s, e.column);
    if (e.kind == ui::EventKind::Key && e.key == ui::Key::Escape) stopWork(s);
    if (e.kind == ui::EventKind::Key && e.key == ui::Key::Delete) moveSelectionToTrash(s);
    if (e.kind == ui::EventKind::Gadget) dispatchGadget(s, e.gadget, e.shift);
    // The open viewer follows whatever made another track current; after Load
    // and Scan it reads its track again, which may have changed.
    followCurrentTrack(s, e.isGadget(ids::kMainWindow, ids::kLoad) || e.isGadget(ids::kMainWindow, ids::kScan));
    followSelection(s);
}

ui::Event nextEvent(AppState& s) {
    // Work's results are taken between events, a slice each time its worker
    // wakes the loop; changes to the library, once they have settled.
    for (;;) {
        openHanded(s);
        const int changesDue = takeLibraryChanges(s, std::chrono::steady_clock::now());
        const bool working = tickWork(s);
        if (working) followSelection(s);  // what the work changed
        // The worker wakes the loop; the wait's end is only a fallback.
        const int wait = !working ? changesDue : changesDue < 0 ? kWorkFallback : std::min(changesDue, kWorkFallback);
        ui::Event e = wait < 0 ? s.tk.waitEvent() : s.tk.waitEvent(wait);
        // A wake asks only for the look above: at the work, the library and
        // what later starts handed over.
        if (e.kind == ui::EventKind::Wake) continue;
        if (e.kind != ui::EventKind::None || s.workByHand) return e;
    }
}

int runMainLoop(AppState& s) {
    while (!s.quitRequested) {
        const ui::Event e = nextEvent(s);
        if (e.kind == ui::EventKind::CloseRequest && e.window == ids::kMainWindow)
            s.quitRequested = true;
        else
            dispatchMainEvent(s, e);
    }
    s.watch.reset();
    endWork(s);
    closeViewer(s);
    closeAndRemember(s);
    return 0;
}

}  // namespace pitbox
