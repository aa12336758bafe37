#include "app/open_given.h"

#include "app/ids.h"
#include "app/load_tracks.h"
#include "app/program_options.h"
#include "app/show_track.h"
#include "base/text.h"
#include "platform/paths.h"

namespace pitbox {

void HandedPaths::add(std::vector<std::string> paths) {
    const std::lock_guard<std::mutex> hold(mutex_);
    pending_.push_back(std::move(paths));
}

std::vector<std::vector<std::string>> HandedPaths::take() {
    const std::lock_guard<std::mutex> hold(mutex_);
    return std::exchange(pending_, {});
}

void openGiven(AppState& s, const std::vector<std::string>& paths) {
    const GivenPaths given = sortGivenPaths(paths);
    if (given.tracks.empty()) s.tk.raiseWindow(ids::kMainWindow);
    if (!given.notTrack.empty()) {
        s.tk.setText(ids::kMainWindow, ids::kStatusLine2,
                     visibleControls(given.notTrack) + " is no track file: give one folder, or track files");
    } else if (!given.folder.empty()) {
        // The user's work is never stopped for it: the Load button waits as well.
        if (s.work)
            s.tk.setText(ids::kMainWindow, ids::kStatusLine2,
                         "Stop the work first to load " + visibleControls(given.folder));
        else
            loadFolder(s, platform::withSeparator(given.folder));
    } else {
        showGivenTracks(s, given.tracks);
    }
}

void openHanded(AppState& s) {
    for (const std::vector<std::string>& paths : s.handed.take()) openGiven(s, paths);
}

std::vector<std::string> absoluteGiven(const std::vector<std::string>& paths, const std::string& workingFolder) {
    std::vector<std::string> given;
    given.reserve(paths.size());
    for (const std::string& path : paths)
        given.push_back(platform::userPath(platform::absolutePath(path, platform::withSeparator(workingFolder))));
    return given;
}

platform::InstanceClaim claimProgram(AppState& s, const ProgramOptions& options, const std::string& workingFolder) {
    const std::vector<std::string> given = absoluteGiven(options.paths, workingFolder);
    return platform::claimInstance(s.storePath, given, !options.forget, [&s](std::vector<std::string> paths) {
        s.handed.add(std::move(paths));
        s.tk.wake();
    });
}

}  // namespace pitbox
