#pragma once
#include <cstddef>
#include <memory>
#include <mutex>
#include <optional>
#include <string>
#include <vector>

#include "library/catalogue.h"
#include "library/catalogue_view.h"
#include "toolkit/toolkit.h"
#include "trackfile/header_reader.h"
#include "trackfile/track_buffer.h"

namespace pitbox {

// The table's rows: the view's entries, each cell made when the table draws
// it, and the view's selection, which the table changes as the user clicks.
class TrackRows : public ui::TableRows {
public:
    explicit TrackRows(CatalogueView& view) : view_(view) {}
    std::size_t rowCount() const override { return view_.rows(); }
    void appendCell(std::size_t row, std::size_t column, std::string& out) const override;
    // Typing finds a track by its name, without the marks the Duplicates view
    // puts before it.
    void appendFindText(std::size_t row, std::string& out) const override;
    bool isSelected(std::size_t row) const override { return view_.isRowSelected(row); }
    void setSelected(std::size_t first, std::size_t last, bool selected) override {
        view_.setRowsSelected(first, last, selected);
    }
    void clearSelection() override { view_.clearSelection(); }
    // A drag gives the selected tracks that are files of their own: a member
    // of a pack has no file to give until Copy writes it out.
    std::vector<std::string> dragFiles() const override;

private:
    CatalogueView& view_;
};

// What later starts of the program handed over, from the thread that hears
// them to the event loop.
class HandedPaths {
public:
    void add(std::vector<std::string> paths);
    std::vector<std::vector<std::string>> take();

private:
    std::mutex mutex_;
    std::vector<std::vector<std::string>> pending_;
};

struct RunningWork;
struct LibraryWatch;

// Everything the program keeps between clicks. Actions take it and the toolkit.
struct AppState {
    explicit AppState(ui::Toolkit& toolkit);
    ~AppState();
    AppState(const AppState&) = delete;
    AppState& operator=(const AppState&) = delete;

    ui::Toolkit& tk;
    Catalogue catalogue;
    CatalogueView view;  // what the table shows of the catalogue
    TrackRows rows{view};
    int sortColumn = -1;  // the column the table was last sorted by, -1 for none
    SortOrder sortOrder = SortOrder::Ascending;
    TrackBuffer trackBuffer;
    HeaderFields header;
    std::string trackFolder;   // folder of the last Load, ends in "/"
    std::string targetFolder;  // folder of the Copy Tracks window, ends in "/"
    // The Copy Tracks window's options: each track at its path below the
    // library's folder; tracks whose bytes are there already left alone.
    bool keepFolders = false;
    bool skipAlreadyThere = false;
    std::string listName;         // base name of the proposed export file
    std::string catalogueFolder;  // where the last catalogue was saved, ends in "/"
    std::string currentTrackPath;
    std::string viewerTrack;  // the path of the track the open viewer shows, empty for none
    // The folder of a track opened from outside the library, which Load
    // proposes next; empty for none.
    std::string folderOfShownTrack;
    // While the viewer shows such a track: the path of the entry that was
    // current then (empty for none). The viewer follows the table again once
    // another entry is current, not when the library is merely read again.
    std::optional<std::string> currentWhenGivenShown;
    // Where the user moved the viewer, where it opens again; and where it was
    // last opened, to tell a move of the user's.
    std::optional<ui::WindowPlace> viewerPlace;
    ui::WindowPlace viewerOpenedAt;
    bool quitRequested = false;  // the main window's close request came during start-up
    // Where the library is remembered between runs; empty when nothing is.
    std::string storePath;
    bool forgetStore = false;   // start afresh, whatever the store holds (--forget)
    bool folderLoaded = false;  // the catalogue holds a folder's tracks (a Load, or remembered)
    // The long work running beside the event loop: the user's, and the check
    // of the remembered library against its folder.
    std::unique_ptr<RunningWork> work, check;
    bool workByHand = false;  // tests run the work's steps themselves
    // The watch of the loaded folder; the program watches, tests only where they ask.
    bool watchesLibrary = false;
    std::unique_ptr<LibraryWatch> watch;
    // The last walk of the loaded folder met a folder link, or there was none
    // yet: a folder may lie at two paths, and a change is looked for in the
    // whole tree rather than only where the watch saw it.
    bool treeHasLinks = true;
    // The loaded folder's tracks while the folder is not there (removed, a
    // stick unplugged): remembered as they were, and given back when it returns.
    std::optional<Catalogue> absentTracks;
    // Status line 1 holds the result of what the user did, which stays until
    // the user does something else: what the watch finds meanwhile goes to
    // the counter.
    bool resultShown = false;
    HandedPaths handed;
};

}  // namespace pitbox
