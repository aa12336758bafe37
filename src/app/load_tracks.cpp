#include "app/load_tracks.h"

#include <algorithm>

#include "app/ids.h"
#include "app/job_work.h"
#include "app/library_watch.h"
#include "app/list_view.h"
#include "app/long_work.h"
#include "app/remembered_library.h"
#include "app/scan_tracks.h"
#include "app/show_track.h"
#include "jobs/check_job.h"
#include "jobs/walk_job.h"
#include "library/library_store.h"
#include "platform/archives.h"
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

constexpr WorkButton kLoadButton{ids::kMainWindow, ids::kLoad, ids::kPictureLoad, ids::kPictureStop};
constexpr WorkButton kScanButton{ids::kMainWindow, ids::kScan, ids::kPictureScan, ids::kPictureStop};

// Loading or scanning, a walk that could not list the folder keeps the old list.
bool walkedForUser(AppState& s, const WalkJob& job, bool stopped, std::size_t found, const char* what) {
    if (stopped) {
        showResult(s, std::string(what) + " stopped: " + tracksFoundText(found));
        return false;
    }
    if (!job.walked()) {
        reportError(s, job.walked().error());
        return false;
    }
    return true;
}

// Folders and packs that could not be read (in whole or in part) are said,
// so the count is not taken as complete.
void sayUnreadFolders(AppState& s, const WalkJob& job) {
    const std::vector<Error>& unread = *job.walked();
    if (unread.empty()) return;
    const auto packs = std::count_if(unread.begin(), unread.end(), [](const Error& e) {
        return platform::isArchiveName(platform::filePart(e.file));
    });
    const bool all = static_cast<std::size_t>(packs) == unread.size();
    s.tk.setText(ids::kMainWindow, ids::kStatusLine2,
                 packs == 0 ? unreadText(unread, "folder", "folders")
                 : all      ? unreadText(unread, "pack", "packs")
                            : unreadText(unread, "folder or pack", "folders and packs"));
}

// A Load's walk is over: the tracks found, with what was remembered of them.
void loaded(AppState& s, WalkJob& job, bool stopped, std::size_t found) {
    if (!walkedForUser(s, job, stopped, found, "Load")) return;
    if (!s.storePath.empty()) takeRemembered(s, job.folder(), job.found());
    s.treeHasLinks = job.linkMet();
    s.trackFolder = job.folder();
    s.folderLoaded = true;
    s.absentTracks.reset();
    presentCatalogue(s, std::move(job.found()), Presented::AsNew);
    watchLibrary(s);
    sayUnreadFolders(s, job);
    rememberLibrary(s);
    followCurrentTrack(s, true);
}

// A Scan's walk is over: the tracks found take all that was known of them,
// the new ones listed, the removed ones gone; then the files are read.
void walkedForScan(AppState& s, WalkJob& job, bool stopped, std::size_t found, ScanKind kind) {
    if (!walkedForUser(s, job, stopped, found, "Scan")) return;
    keepKnownEntries(job.found(), knownTracks(s));
    s.treeHasLinks = job.linkMet();
    s.absentTracks.reset();
    presentCatalogue(s, std::move(job.found()), Presented::AsBefore);
    followCurrentTrack(s);
    sayUnreadFolders(s, job);
    std::vector<TrackEntry*> entries;
    entries.reserve(s.catalogue.count());
    for (TrackEntry& e : s.catalogue.entries()) entries.push_back(&e);
    startWork(s, scanWork(s, entries, kind), kScanButton, true);
}

// Whether a check's walk listed the folder; if not, the folder gone or why it
// could not be listed is said.
bool walkedForCheck(AppState& s, const Result<platform::UnreadableFolders>& walked) {
    if (walked) return true;
    if (walked.error().code == ErrorCode::Missing)
        libraryGone(s);
    else
        s.tk.setText(ids::kMainWindow, ids::kStatusLine2, errorText(walked.error()));
    return false;
}

// The check's comparison of the tree with the table is over: the table stays
// as it is when nothing differs, the usual case, and the folders that differ
// are looked at again on their own. A folder link met sends the check to a
// walk of the whole tree, which alone tells the path a folder keeps.
void comparedTree(AppState& s, CheckJob& job, bool stopped) {
    if (stopped || !walkedForCheck(s, job.walked())) return;
    TreeDifferences& differences = job.differences();
    s.treeHasLinks = differences.linkMet;
    if (differences.linkMet) {
        checkLibrary(s, true);
        return;
    }
    takeNewStamps(s.catalogue, differences);
    std::vector<std::string> folders = changedFolders(s.catalogue, differences);
    if (!folders.empty())
        checkChanges(s, ChangedAreas(platform::FolderChanges{std::move(folders), {}, false}, job.folder()));
}

// The check's walk is over: the tracks found take the remembered fields of
// unchanged files; the new and changed ones are read next. A folder that is
// gone takes its tracks with it until it is back; one that cannot be listed
// keeps the remembered tracks.
void checked(AppState& s, WalkJob& job, bool stopped) {
    if (stopped || !walkedForCheck(s, job.walked())) return;
    s.treeHasLinks = job.linkMet();
    // Nothing changed, the usual case: the table stays as it is.
    if (!s.absentTracks && takeUnchangedWalk(s.catalogue, job.found())) return;
    std::vector<TrackEntry*> toRead = takeRememberedFields(job.found(), knownTracks(s));
    s.absentTracks.reset();
    presentCatalogue(s, std::move(job.found()), Presented::AsBefore);
    followCurrentTrack(s);
    if (!toRead.empty()) startCheck(s, scanWork(s, toRead, ScanKind::CheckedFiles));
}

// The walk of the areas the watch saw change is over: the table takes what
// changed there, and the new and changed tracks are read next. A folder link
// met there may lead to a folder the walk of the whole tree reaches by another
// path: the whole tree is looked at instead.
void checkedChanges(AppState& s, WalkJob& job, bool stopped) {
    if (stopped || !walkedForCheck(s, job.walked())) return;
    if (job.linkMet()) {
        s.treeHasLinks = true;
        checkLibrary(s, true);
        return;
    }
    const auto change = takeChangedAreas(s.catalogue, job.found(), *job.areas());
    if (!change) return;
    presentChange(s, *change);
    followCurrentTrack(s);
    if (!change->toRead.empty()) startCheck(s, scanWork(s, change->toRead, ScanKind::CheckedFiles));
}

// A walk beside the event loop; the table keeps its rows until it is done,
// and a stopped walk leaves them as they were.
std::unique_ptr<LongWork> walkWork(const std::shared_ptr<Job>& job,
                                   std::function<void(AppState&, bool stopped, std::size_t found)> walked,
                                   const char* doing) {
    return jobWork(
        job, {{}, std::move(walked), [doing](std::size_t done, std::size_t) { return doing + tracksFoundText(done); }});
}

}  // namespace

void loadFolder(AppState& s, const std::string& folder) {
    // Remembering, each file's stamp is taken, and unchanged files keep the
    // fields remembered for them.
    auto job = std::make_shared<WalkJob>(folder, !s.storePath.empty());
    startWork(s,
              walkWork(
                  job, [job](AppState& state, bool stopped, std::size_t found) { loaded(state, *job, stopped, found); },
                  "Searching... "),
              kLoadButton, true);
}

void rescanFolder(AppState& s, ScanKind kind) {
    // The files' stamps are taken by the Scan that follows.
    auto job = std::make_shared<WalkJob>(s.trackFolder, false);
    startWork(s,
              walkWork(
                  job,
                  [job, kind](AppState& state, bool stopped, std::size_t found) {
                      walkedForScan(state, *job, stopped, found, kind);
                  },
                  "Searching... "),
              kScanButton, true);
}

namespace {

// A check's walk beside the event loop, `walked` taking what it found.
template <class Walk>
void startCheckWalk(AppState& s, const std::shared_ptr<Walk>& job, void (*walked)(AppState&, Walk&, bool stopped)) {
    startCheck(s, walkWork(
                      job, [job, walked](AppState& state, bool stopped, std::size_t) { walked(state, *job, stopped); },
                      "Checking the library... "));
}

}  // namespace

void checkLibrary(AppState& s, bool wholeTree) {
    // While the folder was gone, the tracks it had are not the table's.
    if (wholeTree || s.absentTracks) {
        startCheckWalk(s, std::make_shared<WalkJob>(s.trackFolder, true), checked);
        return;
    }
    startCheckWalk(s, std::make_shared<CheckJob>(s.trackFolder, knownFiles(s.catalogue)), comparedTree);
}

void checkChanges(AppState& s, ChangedAreas areas) {
    startCheckWalk(s, std::make_shared<WalkJob>(s.trackFolder, std::move(areas)), checkedChanges);
}

void loadTracks(AppState& s) {
    const std::string folder = s.tk.folderRequester(
        "Open Track Directory", s.folderOfShownTrack.empty() ? s.trackFolder : s.folderOfShownTrack);
    s.folderOfShownTrack.clear();
    if (folder.empty()) return;
    loadFolder(s, platform::userPath(folder));
}

}  // namespace pitbox
