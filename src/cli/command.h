#pragma once
#include <functional>
#include <iosfwd>
#include <span>
#include <string>
#include <utility>
#include <vector>

#include "cli/cli.h"

namespace CLI {
class App;
class Option;
class Validator;
}  // namespace CLI

namespace pitbox::cli {

// Where a command writes, and what it may draw the lap records with.
struct Streams {
    std::ostream& out;
    std::ostream& err;
    const PainterFactory& painters;
};

// A command with its values parsed: runs it and gives its exit code.
using CommandRun = std::function<int(const Streams&)>;

// One command of pitbox-cli. It declares its options and arguments on its own
// part of the parser, so that its help, the manual page and the completion
// are all made from them, and gives back what runs it once the whole command
// line is taken. Values that do not go together are refused in the parser's
// own callback (CLI::ValidationError), before anything is done.
struct Command {
    const char* name;
    const char* summary;  // one line, in the list of commands
    CommandRun (*define)(CLI::App& command);
};

// The commands, in the order help lists them.
std::span<const Command> commands();

// A choice among named values: the value of the name given, which the
// option's own type takes from its number; any other name is refused with the
// names there are.
CLI::Validator namedChoice(const std::vector<std::pair<std::string, int>>& names);
// The names an option's named choice takes, a space between; empty for an
// option of free values.
std::string choiceNames(CLI::Option& option);

// One line on `err`; exit code 1.
int fail(std::ostream& err, const std::string& message);

// The commands, one file each.
CommandRun defineList(CLI::App& command);
CommandRun defineCatalogue(CLI::App& command);
CommandRun defineHeader(CLI::App& command);
CommandRun defineRender(CLI::App& command);
CommandRun defineThumbnail(CLI::App& command);
CommandRun defineCopy(CLI::App& command);
CommandRun defineDuplicates(CLI::App& command);
CommandRun defineTrash(CLI::App& command);

}  // namespace pitbox::cli
