#include <CLI/CLI.hpp>
#include <iostream>
#include <memory>

#include "cli/command.h"
#include "cli/gather_tracks.h"
#include "jobs/catalogue_job.h"
#include "library/catalogue_view.h"
#include "platform/paths.h"

namespace pitbox::cli {
namespace {

struct CatalogueOptions {
    std::string output, match, dir;
};

int saveCatalogue(const CatalogueOptions& o, const Streams& io) {
    const std::string folder = platform::fullFolder(o.dir);
    Catalogue catalogue;
    auto gathered = gatherTracks(folder, catalogue, {.scan = true}, io.err);
    if (!gathered) return fail(io.err, gathered.error().message());
    CatalogueView view;
    view.reset(catalogue);
    view.setFilter(o.match);
    const std::string target = platform::userPath(o.output);
    CatalogueJob job(view.shown(), folder, target);
    JobProgress progress;
    job.run(progress);
    const Result<CatalogueSaved>& saved = job.saved();
    if (!saved) return fail(io.err, saved.error().message());
    io.out << catalogueSavedText(*saved, target) << "\n";
    return *gathered;
}

}  // namespace

CommandRun defineCatalogue(CLI::App& command) {
    auto o = std::make_shared<CatalogueOptions>();
    command.description(
        "Saves an HTML catalogue of the tracks below DIR as the folder OUTDIR: index.html and a picture of each "
        "track's map, to open in any browser. OUTDIR is replaced as a whole, and only when it is empty or a "
        "catalogue.");
    command.add_option("-o,--output", o->output, "the catalogue's folder")->required()->type_name("OUTDIR");
    command.add_option("--match", o->match, "only the tracks that list --match keeps")->type_name("TEXT");
    command.add_option("DIR", o->dir, "the folder whose tracks to show")->required()->type_name("");
    return [o](const Streams& io) { return saveCatalogue(*o, io); };
}

}  // namespace pitbox::cli
