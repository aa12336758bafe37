#include "app/program_options.h"

#include <CLI/CLI.hpp>
#include <algorithm>

namespace pitbox {

void defineProgramOptions(CLI::App& line, ProgramOptions& options) {
    line.description("Kestrun Pitbox: finds Kestrun's track files in a folder tree and shows them in one table.");
    line.set_help_flag("-h,--help", "show this help");
    line.allow_windows_style_options(false);  // "/games/tracks" is a folder on Windows too
    line.add_flag("--forget", options.forget,
                  "start without the remembered library; it is written anew at the next Load or Scan");
    line.add_option("FOLDER", options.folder, "a folder to load at once, instead of the remembered library")
        ->type_name("");
    line.get_formatter()->label("Usage", "usage");
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
        return ProgramEnd{2, "pitbox: " + std::string(refused.what()) + "\nusage: pitbox [--forget] [FOLDER]\n"};
    }
    return options;
}

bool asksForHelp(const std::vector<std::string>& args) {
    const auto end = std::find(args.begin(), args.end(), "--");
    return std::find(args.begin(), end, "--help") != end || std::find(args.begin(), end, "-h") != end;
}

}  // namespace pitbox
