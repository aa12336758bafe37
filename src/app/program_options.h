#pragma once
#include <string>
#include <variant>
#include <vector>

namespace CLI {
class App;
}

namespace pitbox {

// What the program is started with.
struct ProgramOptions {
    bool forget = false;             // start without the remembered library
    std::vector<std::string> paths;  // as given
    // What the paths are: one folder to load at once, or track files to show
    // (a file manager's double click); both empty for neither.
    std::string folder;
    std::vector<std::string> tracks;
};

// What paths given from outside are (on the command line, dropped on a
// window, handed over by a later start): one folder to load, or track files
// to show. A folder among several paths is neither: `notTrack` names it.
struct GivenPaths {
    std::string folder;
    std::vector<std::string> tracks;
    std::string notTrack;
};
GivenPaths sortGivenPaths(const std::vector<std::string>& paths);

// The program ends before its window: the help (code 0) or why the command
// line cannot be taken (code 2), to show the user.
struct ProgramEnd {
    int code = 0;
    std::string text;
};

// The program's command line, on the parser its manual page is made from.
void defineProgramOptions(CLI::App& line, ProgramOptions& options);

std::variant<ProgramOptions, ProgramEnd> parseProgramOptions(const std::vector<std::string>& args);

// Whether the arguments ask for help (before any "--"): it is shown before
// the window system is reached, so that it needs no display.
bool asksForHelp(const std::vector<std::string>& args);

}  // namespace pitbox
