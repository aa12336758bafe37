#include "cli/cli.h"

#include <cstdint>
#include <cstdio>
#include <iostream>
#include <optional>

#include "base/text.h"
#include "library/already_there.h"
#include "library/catalogue.h"
#include "library/catalogue_view.h"
#include "library/copy_plan.h"
#include "library/copy_tracks.h"
#include "library/duplicates.h"
#include "library/folder_load.h"
#include "library/header_refresh.h"
#include "library/html_catalogue.h"
#include "library/library_store.h"
#include "library/list_export.h"
#include "library/trash_tracks.h"
#include "platform/file_replacement.h"
#include "platform/paths.h"
#include "platform/trash.h"
#include "preview/track_preview.h"
#include "raster/image_files.h"

namespace pitbox::cli {
namespace {

constexpr const char* kUsage =
    "usage: pitbox-cli COMMAND [OPTIONS]\n"
    "\n"
    "Commands:\n"
    "  list [--scan [--cache [--rescan] [--forget]]] [--sort KEY]... [--match TEXT]\n"
    "       [--format text|csv|paths [-z]] [-o FILE] DIR\n"
    "      Lists every track file below DIR in the Save List format, sorted by name.\n"
    "      --scan      read each file's header first (world size, length, author, record)\n"
    "      --cache     read only files changed since the program's remembered library\n"
    "                  of DIR, and remember DIR's tracks there (beside other folders')\n"
    "      --rescan    with --cache: read every file all the same\n"
    "      --forget    with --cache: start from an empty library\n"
    "      --sort KEY  then sort by KEY: name, author, ws or km; repeat to sort in turn\n"
    "      --match TEXT  keep only the tracks the window's filter box would show for\n"
    "                  TEXT: each word in the name, author, record or path, ignoring\n"
    "                  case and accents; author:WORD, name:WORD, record:WORD and\n"
    "                  path:WORD in that field only; \"two words\" as a phrase\n"
    "      --format F  text: the Save List text (the default); csv: RFC 4180 with a\n"
    "                  header row, every field whole, UTF-8 with a byte-order mark;\n"
    "                  paths: one path a line (-z: each ended by a NUL instead)\n"
    "      -o FILE     write to FILE (replaced as a whole) instead of standard output\n"
    "  catalogue -o OUTDIR [--match TEXT] DIR\n"
    "      Saves an HTML catalogue of the tracks below DIR as the folder OUTDIR:\n"
    "      index.html and a picture of each track's map, to open in any browser.\n"
    "      OUTDIR is replaced as a whole, and only when it is empty or a catalogue.\n"
    "      --match TEXT  only the tracks the list's --match keeps\n"
    "  header FILE\n"
    "      Prints the header fields of one track file as a JSON object.\n"
    "  render [--no-records] -o OUT FILE\n"
    "      Draws the track's 512 by 560 picture into OUT (.png, .bmp or .ppm).\n"
    "      --no-records  leave out the lap-records text\n"
    "  copy --to DIR [--keep-folders ROOT] [--skip-identical] FILE...\n"
    "      Copies the files into DIR, numbering clashing names, and prints the count.\n"
    "      --keep-folders ROOT  each file lands at its path below ROOT (folders made\n"
    "                           as needed, clashes numbered within their folder)\n"
    "      --skip-identical     leave alone a file whose bytes are there already, at\n"
    "                           its name, a numbered name, or as an earlier file's copy\n"
    "  duplicates [--same-track] [--extra] DIR\n"
    "      Prints the groups of identical track files below DIR: their paths, one a\n"
    "      line in byte order, an empty line between groups.\n"
    "      --same-track  groups of the same track instead: equal maps (world size,\n"
    "                    water level, terrain, heights, objects), whatever the\n"
    "                    name, author and records\n"
    "      --extra       only the files to let go, one a line: of each group all\n"
    "                    but the most recently modified (of those equally recent,\n"
    "                    the first path in byte order)\n"
    "  trash FILE...\n"
    "      Moves the files to the trash (on Windows the Recycle Bin), from where\n"
    "      they can be put back; a file no trash can take stays, named on standard\n"
    "      error.\n"
    "  --help\n"
    "      Shows this text.\n";

// A command line the program cannot take: the reason and the usage text, exit 2.
int usage(std::ostream& err, const std::string& message) {
    err << "pitbox-cli: " << message << "\n" << kUsage;
    return 2;
}

std::string jsonText(const std::string& s) {
    std::string out = "\"";
    for (char ch : s) {
        const auto c = static_cast<unsigned char>(ch);
        switch (ch) {
            case '"': out += "\\\""; break;
            case '\\': out += "\\\\"; break;
            case '\n': out += "\\n"; break;
            case '\r': out += "\\r"; break;
            case '\t': out += "\\t"; break;
            default:
                if (c < 0x20) {
                    char buffer[8];
                    std::snprintf(buffer, sizeof buffer, "\\u%04x", c);
                    out += buffer;
                } else {
                    out.push_back(ch);
                }
        }
    }
    return out + "\"";
}

int fail(std::ostream& err, const std::string& message) {
    err << "pitbox-cli: " << message << "\n";
    return 1;
}

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
    TrackBuffer buffer;
    HeaderFields header;
    // The walk took each file's stamp before any read: a file that took no
    // remembered fields is read now under that stamp, as Scan would read it.
    for (TrackEntry& e : catalogue.entries()) {
        if (needsReading(e, e.stamp, rescan)) {
            (void)refreshEntry(catalogue, e, buffer, header);
            changed = true;
        }
        if (e.state == TrackState::Unreadable) code = fail(err, std::string(e.problem.view()));
    }
    if (!changed) return code;  // an unchanged library is not written again
    if (auto written = rememberTracks(store, std::nullopt, folder, catalogue); !written)
        code = fail(err, written.error().message() + "; the library is not remembered");
    return code;
}

// How list and catalogue find the tracks' fields.
struct Gathering {
    bool scan = false, cache = false, rescan = false, forget = false;
};

// Lists the tracks below `folder` and reads their fields as asked. Folders and
// files that cannot be read are left out or keep empty fields, as in the
// window; each is named on `err`, and the exit code so far tells. A damaged
// track was read: its empty fields are its content, as an old track's label
// is. Fails only when the folder itself cannot be listed.
Result<int> gatherTracks(const std::string& folder, Catalogue& catalogue, const Gathering& how, std::ostream& err) {
    auto listed = collectTracks(folder, catalogue, {}, how.cache);
    if (!listed) return listed.error();
    int code = 0;
    for (const Error& unread : *listed) code = fail(err, unread.message());
    if (how.cache) {
        if (int failed = scanWithStore(catalogue, folder, how.rescan, how.forget, err)) code = failed;
    } else if (how.scan) {
        TrackBuffer buffer;
        HeaderFields header;
        for (TrackEntry& e : catalogue.entries()) {
            auto read = refreshEntry(catalogue, e, buffer, header);
            if (!read && read.error().code != ErrorCode::Damaged) code = fail(err, read.error().message());
        }
    }
    return code;
}

int listCommand(const std::vector<std::string>& args, std::ostream& out, std::ostream& err) {
    bool scan = false, cache = false, rescan = false, forget = false, nul = false;
    ListFormat format = ListFormat::Text;
    std::string match;
    std::vector<SortKey> sorts;
    std::optional<std::string> output;
    std::optional<std::string> dir;
    for (std::size_t i = 0; i < args.size(); ++i) {
        const std::string& a = args[i];
        if (a == "--scan") {
            scan = true;
        } else if (a == "--cache") {
            cache = true;
        } else if (a == "--rescan") {
            rescan = true;
        } else if (a == "--forget") {
            forget = true;
        } else if (a == "-z") {
            nul = true;
        } else if (a == "--sort" || a == "-o" || a == "--match" || a == "--format") {
            if (i + 1 == args.size()) return usage(err, a + " needs a value");
            const std::string& value = args[++i];
            if (a == "--format") {
                if (value == "text")
                    format = ListFormat::Text;
                else if (value == "csv")
                    format = ListFormat::Csv;
                else if (value == "paths")
                    format = ListFormat::Paths;
                else
                    return usage(err, "unknown format " + value + " (text, csv, paths)");
            } else if (a == "-o") {
                output = value;
            } else if (a == "--match") {
                match = value;
            } else if (value == "name")
                sorts.push_back(SortKey::Name);
            else if (value == "author")
                sorts.push_back(SortKey::Author);
            else if (value == "ws")
                sorts.push_back(SortKey::WorldSize);
            else if (value == "km")
                sorts.push_back(SortKey::Length);
            else
                return usage(err, "unknown sort key " + value + " (name, author, ws, km)");
        } else if (!a.empty() && a[0] == '-') {
            return usage(err, "unknown option " + a);
        } else if (!dir) {
            dir = a;
        } else {
            return usage(err, "list takes one folder");
        }
    }
    if (!dir) return usage(err, "list needs a folder");
    if (cache && !scan) return usage(err, "--cache goes with --scan");
    if ((rescan || forget) && !cache) return usage(err, "--rescan and --forget go with --cache");
    if (nul && format != ListFormat::Paths) return usage(err, "-z goes with --format paths");
    if (nul) format = ListFormat::PathsNul;
    // Absolute, so that the store names the folder wherever it is read.
    const std::string folder = platform::fullFolder(*dir);
    Catalogue catalogue;
    auto gathered = gatherTracks(folder, catalogue, {scan, cache, rescan, forget}, err);
    if (!gathered) return fail(err, gathered.error().message());
    const int code = *gathered;
    // The window's view: its sorts and its filter rule.
    CatalogueView view;
    view.reset(catalogue);
    for (SortKey key : sorts) view.sort(key);
    view.setFilter(match);
    if (output) {
        if (auto saved = platform::replaceFile(*output, exportListAs(view.shown(), format)); !saved)
            return fail(err, saved.error().message());
    } else {
        exportList(view.shown(), format, [&](std::string_view piece) {
            out.write(piece.data(), static_cast<std::streamsize>(piece.size()));
        });
    }
    return code;
}

int headerCommand(const std::vector<std::string>& args, std::ostream& out, std::ostream& err) {
    if (args.size() != 1) return usage(err, "header takes one file");
    const std::string& path = args[0];
    TrackBuffer buffer;
    if (auto loaded = loadTrackFile(path, buffer); !loaded) return fail(err, loaded.error().message());
    HeaderFields h;
    if (auto read = readTrackHeader(buffer, h); !read) return fail(err, read.error().message());
    out << "{\"old_format\": " << (h.oldFormat ? "true" : "false") << ", \"v110\": " << (h.needs110 ? "true" : "false")
        << ", \"world_size\": " << int{h.worldSize} << ", \"water_level\": " << int{h.waterLevel}
        << ", \"length\": " << h.trackLength << ", \"author\": " << jsonText(h.author) << ", \"record_times\": ["
        << h.recordTimes[0] << ", " << h.recordTimes[1] << "], \"drivers\": [" << jsonText(h.drivers[0]) << ", "
        << jsonText(h.drivers[1]) << "], \"cars\": [" << jsonText(h.cars[0]) << ", " << jsonText(h.cars[1]) << "]}\n";
    return 0;
}

int renderCommand(const std::vector<std::string>& args, std::ostream& err, const PainterFactory& painters) {
    bool records = true;
    std::optional<std::string> output, file;
    for (std::size_t i = 0; i < args.size(); ++i) {
        if (args[i] == "--no-records") {
            records = false;
        } else if (args[i] == "-o") {
            if (i + 1 == args.size()) return usage(err, "-o needs a file name");
            output = args[++i];
        } else if (!args[i].empty() && args[i][0] == '-') {
            return usage(err, "unknown option " + args[i]);
        } else if (!file) {
            file = args[i];
        } else {
            return usage(err, "render takes one track file");
        }
    }
    if (!output || !file) return usage(err, "render needs -o OUT and a track file");
    const std::string ext = asciiLower(extensionPart(platform::filePart(*output)));
    if (ext != "png" && ext != "bmp" && ext != "ppm") return usage(err, "OUT must end in .png, .bmp or .ppm");
    constexpr int kFont = 1;
    std::unique_ptr<raster::TextPainter> painter;
    if (records) {
        if (painters) painter = painters(kFont, preview::kRecordsFont);
        if (!painter) return fail(err, "no fonts for the lap records here; use --no-records");
    }
    TrackBuffer buffer;
    HeaderFields header;
    auto picture = preview::buildTrackPreview(*file, buffer, header, painter.get(), kFont);
    if (!picture) return fail(err, picture.error().message());
    // An encoder that fails is a failure, never an empty picture.
    auto encoded = raster::encodeForFileName(*picture, *output);
    if (!encoded) return fail(err, encoded.error().message());
    if (auto saved = platform::replaceFile(*output, *encoded); !saved) return fail(err, saved.error().message());
    return 0;
}

int copyCommand(const std::vector<std::string>& args, std::ostream& out, std::ostream& err) {
    std::optional<std::string> to, root;
    bool skipIdentical = false;
    std::vector<std::string> files;
    for (std::size_t i = 0; i < args.size(); ++i) {
        if (args[i] == "--skip-identical") {
            skipIdentical = true;
        } else if (args[i] == "--to" || args[i] == "--keep-folders") {
            if (i + 1 == args.size()) return usage(err, args[i] + " needs a folder");
            std::optional<std::string>& folder = args[i] == "--to" ? to : root;
            folder = platform::withSeparator(platform::userPath(args[++i]));
        } else {
            files.push_back(args[i]);
        }
    }
    if (!to) return usage(err, "copy needs --to DIR");
    std::vector<Error> refused;
    std::vector<CopyItem> plan;
    if (root) {
        // The files and the root as one folder is written, so that one lies below the other however typed.
        for (std::string& file : files) {
            const std::string_view folder = platform::pathPart(file);
            file = platform::fullFolder(folder.empty() ? "." : std::string(folder)) +
                   std::string(platform::filePart(file));
        }
        KeptFoldersPlan kept = planCopiesKeepingFolders(files, platform::fullFolder(*root), *to);
        plan = std::move(kept.items);
        refused = std::move(kept.refused);
    } else {
        plan = planCopies(files, *to);
    }
    const std::size_t alreadyThere = skipIdentical ? dropTracksAlreadyThere(plan) : 0;
    const CopyReport report = copyTracks(plan);
    for (const Error& failure : refused) fail(err, failure.message());
    for (const Error& failure : report.failures) fail(err, failure.message());
    out << copiedText(report.copied, alreadyThere, *to) << "\n";
    return report.failures.empty() && refused.empty() ? 0 : 1;
}

int duplicatesCommand(const std::vector<std::string>& args, std::ostream& out, std::ostream& err) {
    DuplicateKind kind = DuplicateKind::IdenticalFiles;
    bool extras = false;
    std::optional<std::string> dir;
    for (const std::string& a : args) {
        if (a == "--same-track")
            kind = DuplicateKind::SameTrack;
        else if (a == "--extra")
            extras = true;
        else if (!a.empty() && a[0] == '-')
            return usage(err, "unknown option " + a);
        else if (!dir)
            dir = a;
        else
            return usage(err, "duplicates takes one folder");
    }
    if (!dir) return usage(err, "duplicates needs a folder");
    std::vector<std::string> paths;
    auto walked = walkTrackFolders(platform::fullFolder(*dir),
                                   [&](std::string_view, std::string&& path) { paths.push_back(std::move(path)); });
    if (!walked) return fail(err, walked.error().message());
    int code = 0;
    for (const Error& folder : *walked) code = fail(err, folder.message());
    const DuplicateGroups found = findDuplicates(paths, kind);
    for (const Error& file : found.failures) code = fail(err, file.message());
    // One path a line (control characters as their symbols, as in the list), an
    // empty line between groups; or only the extras, one a line.
    if (extras) {
        for (const std::vector<std::string>& group : found.groups) {
            std::vector<DuplicateFile> files;
            for (const std::string& path : group) {
                // A file that cannot be looked at now counts as the oldest.
                const auto stamp = platform::fileStamp(path);
                files.push_back({path, stamp ? stamp->modified : INT64_MIN});
            }
            const std::size_t keep = fileToKeep(files);
            for (std::size_t i = 0; i < group.size(); ++i)
                if (i != keep) out << visibleControls(group[i]) << "\n";
        }
        return code;
    }
    for (std::size_t g = 0; g < found.groups.size(); ++g) {
        if (g > 0) out << "\n";
        for (const std::string& path : found.groups[g]) out << visibleControls(path) << "\n";
    }
    return code;
}

int catalogueCommand(const std::vector<std::string>& args, std::ostream& out, std::ostream& err) {
    std::optional<std::string> output, dir;
    std::string match;
    for (std::size_t i = 0; i < args.size(); ++i) {
        if (args[i] == "-o" || args[i] == "--match") {
            if (i + 1 == args.size()) return usage(err, args[i] + " needs a value");
            const std::string& value = args[++i];
            if (args[i - 1] == "-o")
                output = value;
            else
                match = value;
        } else if (!args[i].empty() && args[i][0] == '-') {
            return usage(err, "unknown option " + args[i]);
        } else if (!dir) {
            dir = args[i];
        } else {
            return usage(err, "catalogue takes one folder");
        }
    }
    if (!output || !dir) return usage(err, "catalogue needs -o OUTDIR and a folder");
    const std::string folder = platform::fullFolder(*dir);
    Catalogue catalogue;
    auto gathered = gatherTracks(folder, catalogue, {.scan = true}, err);
    if (!gathered) return fail(err, gathered.error().message());
    CatalogueView view;
    view.reset(catalogue);
    view.setFilter(match);
    const std::string target = platform::userPath(*output);
    auto saved = saveHtmlCatalogue(view.shown(), folder, target, preview::trackMapPng);
    if (!saved) return fail(err, saved.error().message());
    out << catalogueSavedText(*saved, target) << "\n";
    return *gathered;
}

int trashCommand(const std::vector<std::string>& args, std::ostream& out, std::ostream& err) {
    if (args.empty()) return usage(err, "trash needs a file");
    const TrashReport report = trashTracks(args);
    for (const Error& failure : report.failures) fail(err, failure.message());
    out << report.moved.size() << " Tracks moved to " << platform::trashName() << "\n";
    return report.failures.empty() ? 0 : 1;
}

}  // namespace

int run(const std::vector<std::string>& args, std::ostream& out, std::ostream& err, const PainterFactory& painters) {
    if (args.empty()) return usage(err, "no command");
    const std::string& command = args[0];
    const std::vector<std::string> rest(args.begin() + 1, args.end());
    int code = 0;
    if (command == "--help" || command == "-h" || command == "help")
        out << kUsage;
    else if (command == "list")
        code = listCommand(rest, out, err);
    else if (command == "header")
        code = headerCommand(rest, out, err);
    else if (command == "render")
        code = renderCommand(rest, err, painters);
    else if (command == "copy")
        code = copyCommand(rest, out, err);
    else if (command == "duplicates")
        code = duplicatesCommand(rest, out, err);
    else if (command == "catalogue")
        code = catalogueCommand(rest, out, err);
    else if (command == "trash")
        code = trashCommand(rest, out, err);
    else
        return usage(err, "unknown command " + command);
    // A full disk or a closed pipe behind standard output is a failure too.
    if (!out.flush()) return fail(err, "cannot write standard output");
    return code;
}

}  // namespace pitbox::cli
