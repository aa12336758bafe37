#include <CLI/CLI.hpp>
#include <iostream>
#include <memory>
#include <optional>

#include "cli/command.h"
#include "library/already_there.h"
#include "library/copy_plan.h"
#include "library/copy_tracks.h"
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
    const std::string to = platform::withSeparator(platform::userPath(o.to));
    std::vector<Error> refused;
    std::vector<CopyItem> plan;
    if (o.root) {
        // The files and the root as one folder is written, so that one lies below the other however typed.
        for (std::string& file : o.files) {
            const std::string_view folder = platform::pathPart(file);
            file = platform::fullFolder(folder.empty() ? "." : std::string(folder)) +
                   std::string(platform::filePart(file));
        }
        const std::string root = platform::withSeparator(platform::userPath(*o.root));
        KeptFoldersPlan kept = planCopiesKeepingFolders(o.files, platform::fullFolder(root), to);
        plan = std::move(kept.items);
        refused = std::move(kept.refused);
    } else {
        plan = planCopies(o.files, to);
    }
    const std::size_t alreadyThere = o.skipIdentical ? dropTracksAlreadyThere(plan) : 0;
    const CopyReport report = copyTracks(plan);
    for (const Error& failure : refused) fail(io.err, failure.message());
    for (const Error& failure : report.failures) fail(io.err, failure.message());
    io.out << copiedText(report.copied, alreadyThere, to) << "\n";
    return report.failures.empty() && refused.empty() ? 0 : 1;
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
