#include "app/load_tracks.h"

#include "app/ids.h"
#include "app/list_view.h"
#include "app/long_work.h"
#include "app/remembered_library.h"
#include "app/scan_tracks.h"
#include "app/show_track.h"
#include "library/folder_load.h"
#include "library/library_store.h"
#include "platform/paths.h"

namespace pitbox {
namespace {

// Gives the tracks of a Load the fields remembered for them: those shown, when
// the folder is loaded again, else those the store holds for it.
void takeRemembered(AppState& s, const std::string& folder, Catalogue& found) {
    if (s.folderLoaded && folder == s.trackFolder) {
        (void)takeRememberedFields(found, s.catalogue);
        return;
    }
    // A store that cannot be read was said at the start, and is made anew at the next write.
    if (auto tracks = rememberedTracks(s.storePath, folder)) (void)takeRememberedFields(found, *tracks);
}

// A folder walked beside the event loop, for a Load or for the check of the
// remembered library; the table keeps its rows until the walk is done, and a
// stopped walk leaves them as they were.
class WalkWork : public LongWork {
public:
    WalkWork(std::string folder, bool stamps, bool check)
        : folder_(std::move(folder)), stamps_(stamps), check_(check) {}

    bool step() override {
        std::size_t found = 0;
        walked_ = collectTracks(
            folder_, found_, [&](const TrackEntry&) { setDone(++found); }, stamps_, &stopFlag());
        return false;
    }
    bool take(AppState&) override { return false; }

    void finish(AppState& s, bool stopped) override {
        if (stopped) {
            if (!check_) s.tk.setText(ids::kMainWindow, ids::kStatusLine1, "Load stopped: " + tracksFoundText(done()));
            return;
        }
        if (!walked_) {
            // Loading, the old list stays; checking, the remembered tracks stay.
            if (check_)
                s.tk.setText(ids::kMainWindow, ids::kStatusLine2, errorText(walked_.error()));
            else
                reportError(s, walked_.error());
            return;
        }
        if (check_) {
            finishCheck(s);
            return;
        }
        if (!s.storePath.empty()) takeRemembered(s, folder_, found_);
        s.trackFolder = folder_;
        s.folderLoaded = true;
        presentCatalogue(s, std::move(found_), Presented::AsNew);
        // Folders that could not be read are said, so the count is not taken as complete.
        if (!walked_->empty())
            s.tk.setText(ids::kMainWindow, ids::kStatusLine2, unreadText(*walked_, "folder", "folders"));
        rememberLibrary(s);
        followCurrentTrack(s, true);
    }

    std::string doing(std::size_t done, std::size_t) const override {
        return (check_ ? "Checking the library... " : "Searching... ") + tracksFoundText(done);
    }

private:
    // The tracks found take the remembered fields of unchanged files; the new
    // and changed ones are read next.
    void finishCheck(AppState& s) {
        std::vector<TrackEntry*> toRead = takeRememberedFields(found_, s.catalogue);
        presentCatalogue(s, std::move(found_), Presented::AsBefore);
        followCurrentTrack(s);
        if (!toRead.empty()) startCheck(s, scanWork(s, toRead, ScanKind::CheckedFiles));
    }

    const std::string folder_;
    const bool stamps_, check_;
    Catalogue found_;
    Result<platform::UnreadableFolders> walked_ = platform::UnreadableFolders{};
};

}  // namespace

void loadFolder(AppState& s, const std::string& folder) {
    // Remembering, each file's stamp is taken, and unchanged files keep the
    // fields remembered for them.
    startWork(s, std::make_unique<WalkWork>(folder, !s.storePath.empty(), false),
              {ids::kMainWindow, ids::kLoad, ids::kPictureLoad, ids::kPictureStop}, true);
}

void checkLibrary(AppState& s) { startCheck(s, std::make_unique<WalkWork>(s.trackFolder, true, true)); }

void loadTracks(AppState& s) {
    const std::string folder = s.tk.folderRequester("Open Track Directory", s.trackFolder);
    if (folder.empty()) return;
    loadFolder(s, platform::userPath(folder));
}

}  // namespace pitbox
