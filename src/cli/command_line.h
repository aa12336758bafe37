#pragma once
#include <CLI/CLI.hpp>
#include <memory>
#include <string>
#include <utility>
#include <vector>

#include "cli/command.h"

namespace pitbox::cli {

// The whole parser of pitbox-cli: a part for each command of the table and
// one for help, with what runs each. Help, the manual page and the shell's
// completion are all read off it.
struct CommandLine {
    std::unique_ptr<CLI::App> app;
    std::vector<std::pair<CLI::App*, CommandRun>> runs;
    CLI::App* help = nullptr;
    std::string helpTopic;  // the command `help COMMAND` names
};

CommandLine makeCommandLine();

// The program's own help, whichever command the parser got to.
std::string programHelp(const CLI::App& program);

// The usage line of the command the parser got to, else of the program.
std::string usageLine(const CLI::App& program);

}  // namespace pitbox::cli
