#include <CLI/CLI.hpp>
#include <iostream>
#include <memory>
#include <optional>

#include "cli/command.h"
#include "cli/gather_tracks.h"
#include "jobs/save_list_job.h"
#include "library/catalogue_view.h"
#include "library/list_export.h"
#include "platform/paths.h"

namespace pitbox::cli {
namespace {

struct ListOptions {
    Gathering gathering;
    std::vector<SortKey> sorts;
    std::string match;
    ListFormat format = ListFormat::Text;
    bool nul = false;
    std::optional<std::string> output;
    std::string dir;
};

int list(const ListOptions& o, const Streams& io) {
    // Absolute, so that the store names the folder wherever it is read.
    const std::string folder = platform::fullFolder(o.dir);
    Catalogue catalogue;
    auto gathered = gatherTracks(folder, catalogue, o.gathering, io.err);
    if (!gathered) return fail(io.err, gathered.error().message());
    // The window's view: its sorts and its filter rule.
    CatalogueView view;
    view.reset(catalogue);
    for (SortKey key : o.sorts) view.sort(key);
    view.setFilter(o.match);
    const ListFormat format = o.nul ? ListFormat::PathsNul : o.format;
    if (o.output) {
        if (auto saved = saveListJob(view.shown(), format, *o.output); !saved)
            return fail(io.err, saved.error().message());
    } else {
        exportList(view.shown(), format, [&](std::string_view piece) {
            io.out.write(piece.data(), static_cast<std::streamsize>(piece.size()));
        });
    }
    return *gathered;
}

}  // namespace

CommandRun defineList(CLI::App& command) {
    auto o = std::make_shared<ListOptions>();
    command.description(
        "Lists every track file below DIR in the Save List format, sorted by name; with --sort, then by each KEY "
        "in turn.");
    CLI::Option* scan = command.add_flag("--scan", o->gathering.scan,
                                         "read each file's header first (world size, length, author, record)");
    CLI::Option* cache = command.add_flag("--cache", o->gathering.cache,
                                          "read only files changed since the remembered library of DIR, and "
                                          "remember DIR's tracks there, beside other folders'");
    cache->needs(scan);
    command.add_flag("--rescan", o->gathering.rescan, "with --cache: read every file all the same")->needs(cache);
    command.add_flag("--forget", o->gathering.forget, "with --cache: start from an empty library")->needs(cache);
    command.add_option("--sort", o->sorts, "then sort by KEY: name, author, ws or km; repeat to sort in turn")
        ->transform(namedChoice({{"name", static_cast<int>(SortKey::Name)},
                                 {"author", static_cast<int>(SortKey::Author)},
                                 {"ws", static_cast<int>(SortKey::WorldSize)},
                                 {"km", static_cast<int>(SortKey::Length)}}))
        ->type_name("KEY")
        ->expected(1)
        ->multi_option_policy(CLI::MultiOptionPolicy::TakeAll);
    command
        .add_option("--match", o->match,
                    "keep only the tracks the window's filter box shows for TEXT: each word in the name, "
                    "author, record or path, ignoring case and accents; author:, name:, record: or path: "
                    "before a word for that field alone; \"two words\" as a phrase")
        ->type_name("TEXT");
    CLI::Option* format =
        command
            .add_option("--format", o->format,
                        "text: the Save List text (the default); csv: RFC 4180 with a header row, UTF-8 with a "
                        "byte-order mark; paths: one path a line")
            ->transform(namedChoice({{"text", static_cast<int>(ListFormat::Text)},
                                     {"csv", static_cast<int>(ListFormat::Csv)},
                                     {"paths", static_cast<int>(ListFormat::Paths)}}))
            ->type_name("FORMAT");
    command.add_flag("-z,--null", o->nul, "with --format paths: each path ended by a NUL instead of a line end")
        ->needs(format);
    command.add_option("-o,--output", o->output, "write to FILE, replaced as a whole, instead of standard output")
        ->type_name("FILE");
    command.add_option("DIR", o->dir, "the folder whose tracks to list")->required()->type_name("");
    command.callback([o] {
        if (o->nul && o->format != ListFormat::Paths) throw CLI::ValidationError("-z", "goes with --format paths");
    });
    return [o](const Streams& io) { return list(*o, io); };
}

}  // namespace pitbox::cli
