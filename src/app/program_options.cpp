#include "app/program_options.h"

#include <CLI/CLI.hpp>
#include <algorithm>

#include "base/text.h"
#include "platform/files.h"
#include "platform/paths.h"

namespace pitbox {
namespace {

constexpr const char* kUsage = "usage: pitbox [--forget] [FOLDER | TRACK...]\n";

}  // namespace

void defineProgramOptions(CLI::App& line, ProgramOptions& options) {
    line.description("Kestrun Pitbox: finds Kestrun's track files in a folder tree and shows them in one table.");
    line.set_help_flag("-h,--help", "show this help");
    line.allow_windows_style_options(false);  // "/games/tracks" is a folder on Windows too
    line.add_flag("--forget", options.forget,
                  "start without the remembered library; it is written anew at the next Load or Scan");
    line.add_option("PATH", options.paths,
                    "a folder to load at once, instead of the remembered library; or track files to show, the "
                    "first in the viewer, with the remembered library behind them")
        ->type_name("");
    line.get_formatter()->label("Usage", "usage");
}

GivenPaths sortGivenPaths(const std::vector<std::string>& paths) {
    // A path is a folder unless it is a regular file or is named as a track
    // (a track in a pack, or one that is gone, is shown with the reason, as
    // Show shows it); a folder that is not there is told as Load tells it.
    const auto isFolder = [](const std::string& path) {
        if (asciiLower(extensionPart(platform::filePart(path))) == "trk") return false;
        const auto status = platform::fileStatus(path);
        return !status || !status->regular;
    };
    GivenPaths given;
    if (paths.size() == 1 && isFolder(paths.front())) {
        given.folder = paths.front();
        return given;
    }
    for (const std::string& path : paths)
        if (isFolder(path)) {
            given.notTrack = path;
            return given;
        }
    given.tracks = paths;
    return given;
}

std::variant<ProgramOptions, ProgramEnd> parseProgramOptions(const std::vector<std::string>& args) {
    ProgramOptions options;
    CLI::App line("", "pitbox");
    defineProgramOptions(line, options);
    // The parser takes the arguments last first.
    std::vector<std::string> reversed(args.rbegin(), args.rend());
    try {
        line.parse(reversed);
    } catch (const CLI::CallForHelp&) {
        return ProgramEnd{0, line.help()};
    } catch (const CLI::ParseError& refused) {
        return ProgramEnd{2, "pitbox: " + std::string(refused.what()) + "\n" + kUsage};
    }
    GivenPaths given = sortGivenPaths(options.paths);
    if (!given.notTrack.empty())
        return ProgramEnd{
            2, "pitbox: " + given.notTrack + " is no track file: give one folder, or track files\n" + kUsage};
    options.folder = std::move(given.folder);
    options.tracks = std::move(given.tracks);
    return options;
}

bool asksForHelp(const std::vector<std::string>& args) {
    const auto end = std::find(args.begin(), args.end(), "--");
    return std::find(args.begin(), end, "--help") != end || std::find(args.begin(), end, "-h") != end;
}

}  // namespace pitbox
