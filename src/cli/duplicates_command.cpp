#include <CLI/CLI.hpp>
#include <iostream>
#include <memory>

#include "base/text.h"
#include "cli/command.h"
#include "jobs/duplicates_job.h"
#include "library/folder_load.h"
#include "platform/paths.h"

namespace pitbox::cli {
namespace {

struct DuplicatesOptions {
    bool sameTrack = false, extras = false;
    std::string dir;
};

int printDuplicates(const DuplicatesOptions& o, const Streams& io) {
    PathList paths;
    auto walked =
        walkTrackFolders(platform::fullFolder(o.dir), [&](std::string_view, std::string&& path) { paths.add(path); });
    if (!walked) return fail(io.err, walked.error().message());
    int code = 0;
    for (const Error& folder : *walked) code = fail(io.err, folder.message());
    DuplicatesJob job(std::move(paths), o.sameTrack ? DuplicateKind::SameTrack : DuplicateKind::IdenticalFiles);
    JobProgress progress;
    job.run(progress);
    const DuplicateGroups& found = job.found();
    for (const Error& file : found.failures) code = fail(io.err, file.message());
    // One path a line (control characters as their symbols, as in the list), an
    // empty line between groups; or only the extras, one a line.
    if (o.extras) {
        for (const std::string& extra : extraFiles(found)) io.out << visibleControls(extra) << "\n";
        return code;
    }
    for (std::size_t g = 0; g < found.groups.size(); ++g) {
        if (g > 0) io.out << "\n";
        for (const std::string& path : found.groups[g]) io.out << visibleControls(path) << "\n";
    }
    return code;
}

}  // namespace

CommandRun defineDuplicates(CLI::App& command) {
    auto o = std::make_shared<DuplicatesOptions>();
    command.description(
        "Prints the groups of identical track files below DIR: their paths, one a line in byte order, an empty "
        "line between groups.");
    command.add_flag("--same-track", o->sameTrack,
                     "groups of the same track instead: equal maps (world size, water level, terrain, heights, "
                     "objects), whatever the name, author and records");
    command.add_flag("--extra", o->extras,
                     "only the files to let go, one a line: of each group all but the most recently modified (of "
                     "those equally recent, the first path in byte order)");
    command.add_option("DIR", o->dir, "the folder to search")->required()->type_name("");
    return [o](const Streams& io) { return printDuplicates(*o, io); };
}

}  // namespace pitbox::cli
