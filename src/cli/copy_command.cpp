#include <CLI/CLI.hpp>
#include <iostream>
#include <memory>
#include <optional>

#include "cli/command.h"
#include "jobs/copy_job.h"
#include "library/copy_tracks.h"
#include "platform/archives.h"
#include "platform/paths.h"

namespace pitbox::cli {
namespace {

struct CopyOptions {
    std::string to;
    std::optional<std::string> root;
    bool skipIdentical = false;
    std::vector<std::string> files;
};

int copy(CopyOptions o, const Streams& io) {
    CopyRequest request{std::move(o.files), platform::withSeparator(platform::userPath(o.to)), std::nullopt,
                        o.skipIdentical};
    if (o.root) {
        // The files and the root as one folder is written, so that one lies below the other however typed.
        // A track inside a pack keeps its path inside as it is stored, ".." and all: only the pack's
        // own folder is written anew, lest the track's path come to name another file.
        for (std::string& file : request.sources) {
            const std::string_view pack = platform::archivePartOf(file);
            const std::string_view outer = pack.empty() ? std::string_view(file) : pack;
            const std::string_view folder = platform::pathPart(outer);
            file = platform::fullFolder(folder.empty() ? "." : std::string(folder)) +
                   std::string(platform::filePart(outer)) + file.substr(outer.size());
        }
        request.keepFoldersBelow = platform::fullFolder(platform::withSeparator(platform::userPath(*o.root)));
    }
    JobProgress progress;
    const CopyOutcome outcome = copyJob(request, progress);
    for (const Error& failure : outcome.failures) fail(io.err, failure.message());
    io.out << copiedText(outcome.copied, outcome.alreadyThere, request.target) << "\n";
    return outcome.failures.empty() ? 0 : 1;
}

}  // namespace

CommandRun defineCopy(CLI::App& command) {
    auto o = std::make_shared<CopyOptions>();
    command.description("Copies the files into DIR, numbering clashing names, and prints the count.");
    command.add_option("--to", o->to, "the folder to copy into")->required()->type_name("DIR");
    command
        .add_option("--keep-folders", o->root,
                    "each file lands at its path below ROOT, folders made as needed, clashes numbered within "
                    "their folder")
        ->type_name("ROOT");
    command.add_flag("--skip-identical", o->skipIdentical,
                     "leave alone a file whose bytes are there already, at its name, a numbered name, or as an "
                     "earlier file's copy");
    command.add_option("FILE", o->files, "the track files to copy")->required()->type_name("");
    return [o](const Streams& io) { return copy(*o, io); };
}

}  // namespace pitbox::cli
