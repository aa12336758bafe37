#include "app/load_tracks.h"

#include "app/ids.h"
#include "app/library_watch.h"
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

// What was known of the loaded folder's tracks: those shown, or while the
// folder was not there, those it had.
const Catalogue& knownTracks(const AppState& s) { return s.absentTracks ? *s.absentTracks : s.catalogue; }

// What a folder is walked for.
enum class WalkFor { Load, Check, Scan };

constexpr WorkButton kLoadButton{ids::kMainWindow, ids::kLoad, ids::kPictureLoad, ids::kPictureStop};
constexpr WorkButton kScanButton{ids::kMainWindow, ids::kScan, ids::kPictureScan, ids::kPictureStop};

// A folder walked beside the event loop, for a Load, a Scan or the check of
// the remembered library; the table keeps its rows until the walk is done, and
// a stopped walk leaves them as they were.
class WalkWork : public LongWork {
public:
    WalkWork(std::string folder, WalkFor purpose, bool stamps, ScanKind scan = ScanKind::ChangedFiles)
        : folder_(std::move(folder)), purpose_(purpose), stamps_(stamps), scan_(scan) {}

    bool step() override {
        std::size_t found = 0;
        walked_ = collectTracks(
            folder_, found_, [&](const TrackEntry&) { setDone(++found); }, stamps_, &stopFlag());
        return false;
    }
    bool take(AppState&) override { return false; }

    void finish(AppState& s, bool stopped) override {
        if (stopped) {
            if (purpose_ != WalkFor::Check)
                showResult(s,
                           (purpose_ == WalkFor::Scan ? "Scan stopped: " : "Load stopped: ") + tracksFoundText(done()));
            return;
        }
        if (!walked_) {
            // Loading or scanning, the old list stays. Checking, a folder that
            // is gone takes its tracks with it until it is back; one that
            // cannot be listed keeps the remembered tracks.
            if (purpose_ != WalkFor::Check)
                reportError(s, walked_.error());
            else if (walked_.error().code == ErrorCode::Missing)
                libraryGone(s);
            else
                s.tk.setText(ids::kMainWindow, ids::kStatusLine2, errorText(walked_.error()));
            return;
        }
        if (purpose_ == WalkFor::Check) {
            finishCheck(s);
            return;
        }
        if (purpose_ == WalkFor::Scan) {
            finishScanWalk(s);
            return;
        }
        if (!s.storePath.empty()) takeRemembered(s, folder_, found_);
        s.trackFolder = folder_;
        s.folderLoaded = true;
        s.absentTracks.reset();
        presentCatalogue(s, std::move(found_), Presented::AsNew);
        watchLibrary(s);
        // Folders that could not be read are said, so the count is not taken as complete.
        if (!walked_->empty())
            s.tk.setText(ids::kMainWindow, ids::kStatusLine2, unreadText(*walked_, "folder", "folders"));
        rememberLibrary(s);
        followCurrentTrack(s, true);
    }

    std::string doing(std::size_t done, std::size_t) const override {
        return (purpose_ == WalkFor::Check ? "Checking the library... " : "Searching... ") + tracksFoundText(done);
    }

private:
    // The tracks found take the remembered fields of unchanged files; the new
    // and changed ones are read next.
    void finishCheck(AppState& s) {
        std::vector<TrackEntry*> toRead = takeRememberedFields(found_, knownTracks(s));
        s.absentTracks.reset();
        presentCatalogue(s, std::move(found_), Presented::AsBefore);
        followCurrentTrack(s);
        if (!toRead.empty()) startCheck(s, scanWork(s, toRead, ScanKind::CheckedFiles));
    }

    // The tracks found take all that was known of them, the new ones listed,
    // the removed ones gone; then the files are read as a Scan reads them.
    void finishScanWalk(AppState& s) {
        keepKnownEntries(found_, knownTracks(s));
        s.absentTracks.reset();
        presentCatalogue(s, std::move(found_), Presented::AsBefore);
        followCurrentTrack(s);
        if (!walked_->empty())
            s.tk.setText(ids::kMainWindow, ids::kStatusLine2, unreadText(*walked_, "folder", "folders"));
        std::vector<TrackEntry*> entries;
        entries.reserve(s.catalogue.count());
        for (TrackEntry& e : s.catalogue.entries()) entries.push_back(&e);
        startWork(s, scanWork(s, entries, scan_), kScanButton, true);
    }

    const std::string folder_;
    const WalkFor purpose_;
    const bool stamps_;
    const ScanKind scan_;
    Catalogue found_;
    Result<platform::UnreadableFolders> walked_ = platform::UnreadableFolders{};
};

}  // namespace

void loadFolder(AppState& s, const std::string& folder) {
    // Remembering, each file's stamp is taken, and unchanged files keep the
    // fields remembered for them.
    startWork(s, std::make_unique<WalkWork>(folder, WalkFor::Load, !s.storePath.empty()), kLoadButton, true);
}

void rescanFolder(AppState& s, ScanKind kind) {
    // The files' stamps are taken by the Scan that follows.
    startWork(s, std::make_unique<WalkWork>(s.trackFolder, WalkFor::Scan, false, kind), kScanButton, true);
}

void checkLibrary(AppState& s) { startCheck(s, std::make_unique<WalkWork>(s.trackFolder, WalkFor::Check, true)); }

void loadTracks(AppState& s) {
    const std::string folder = s.tk.folderRequester("Open Track Directory", s.trackFolder);
    if (folder.empty()) return;
    loadFolder(s, platform::userPath(folder));
}

}  // namespace pitbox
