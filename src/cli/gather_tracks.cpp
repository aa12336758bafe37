#include "cli/gather_tracks.h"

#include <iostream>
#include <optional>

#include "cli/command.h"
#include "jobs/scan_job.h"
#include "jobs/walk_job.h"
#include "library/library_store.h"

namespace pitbox::cli {
namespace {

// list --scan --cache: the remembered fields of unchanged files, the others
// read, and DIR's tracks written back to the store beside the other folders'.
int scanWithStore(Catalogue& catalogue, const std::string& folder, bool rescan, bool forget, std::ostream& err) {
    const std::string store = libraryStorePath();
    if (store.empty()) return fail(err, "no folder for the library is known (set HOME)");
    int code = 0;
    bool changed = true;  // the store differs from what it will hold
    if (!forget) {
        auto tracks = rememberedTracks(store, folder);
        if (!tracks && tracks.error().code == ErrorCode::NotRegularFile)
            return fail(err, tracks.error().message() + "; the library is not remembered");
        if (!tracks) {
            err << "pitbox-cli: " << tracks.error().message() << "; it is made anew\n";
        } else if (tracks->count() > 0) {
            (void)takeRememberedFields(catalogue, *tracks);
            changed = tracks->count() != catalogue.count();
        }
    }
    // The walk took each file's stamp before any read: a file that took no
    // remembered fields is read now under that stamp, as Scan would read it.
    JobProgress progress;
    ScanJob scan(ScanJob::filesOf(catalogue, true), rescan ? ScanKind::EveryFile : ScanKind::ChangedFiles);
    if (scan.runInto(catalogue, progress) > 0) changed = true;
    for (const TrackEntry& e : catalogue.entries())
        if (e.state == TrackState::Unreadable) code = fail(err, problemText(e));
    if (!changed) return code;  // an unchanged library is not written again
    if (auto written = rememberTracks(store, folder, catalogue); !written)
        code = fail(err, written.error().message() + "; the library is not remembered");
    return code;
}

}  // namespace

Result<int> gatherTracks(const std::string& folder, Catalogue& catalogue, const Gathering& how, std::ostream& err) {
    WalkJob walk(folder, how.cache);
    JobProgress walking;
    walk.run(walking);
    if (!walk.walked()) return walk.walked().error();
    catalogue = std::move(walk.found());
    int code = 0;
    for (const Error& unread : *walk.walked()) code = fail(err, unread.message());
    if (how.cache) {
        if (int failed = scanWithStore(catalogue, folder, how.rescan, how.forget, err)) code = failed;
    } else if (how.scan) {
        JobProgress progress;
        ScanJob(ScanJob::filesOf(catalogue, false), ScanKind::EveryFile, false).runInto(catalogue, progress);
        for (const TrackEntry& e : catalogue.entries())
            if (e.state == TrackState::Unreadable) code = fail(err, problemText(e));
    }
    return code;
}

}  // namespace pitbox::cli
