#include <CLI/CLI.hpp>
#include <iostream>
#include <memory>

#include "cli/command.h"
#include "jobs/trash_job.h"
#include "platform/trash.h"

namespace pitbox::cli {
namespace {

int moveToTrash(const std::vector<std::string>& files, const Streams& io) {
    TrashJob job(files);
    JobProgress progress;
    job.run(progress);
    const TrashReport& report = job.report();
    for (const Error& failure : report.failures) fail(io.err, failure.message());
    io.out << report.moved.size() << " Tracks moved to " << platform::trashName() << "\n";
    return report.failures.empty() ? 0 : 1;
}

}  // namespace

CommandRun defineTrash(CLI::App& command) {
    auto files = std::make_shared<std::vector<std::string>>();
    command.description(
        "Moves the files to the trash (on Windows the Recycle Bin), from where they can be put back; a file no "
        "trash can take stays, named on standard error.");
    command.add_option("FILE", *files, "the files to move")->required()->type_name("");
    return [files](const Streams& io) { return moveToTrash(*files, io); };
}

}  // namespace pitbox::cli
