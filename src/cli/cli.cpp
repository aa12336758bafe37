#include "cli/cli.h"

#include <iostream>

#include "cli/command_line.h"

namespace pitbox::cli {

int run(const std::vector<std::string>& args, std::ostream& out, std::ostream& err, const PainterFactory& painters) {
    CommandLine line = makeCommandLine();
    if (args.empty()) {
        err << "pitbox-cli: no command given\n" << usageLine(*line.app);
        return 2;
    }
    // The parser takes the arguments last first.
    std::vector<std::string> reversed(args.rbegin(), args.rend());
    try {
        line.app->parse(reversed);
    } catch (const CLI::CallForHelp&) {
        out << line.app->help();  // the help of the command asked about, or the program's
        return out.flush() ? 0 : fail(err, "cannot write standard output");
    } catch (const CLI::ParseError& refused) {
        // Nothing is done: the reason, and one line of how the command goes.
        err << "pitbox-cli: " << refused.what() << "\n" << usageLine(*line.app);
        return 2;
    }
    int code = 0;
    if (line.help->parsed()) {
        out << (line.helpTopic.empty() ? programHelp(*line.app)
                                       : line.app->get_subcommand(line.helpTopic)->help("pitbox-cli"));
    } else {
        const Streams streams{out, err, painters};
        for (auto& [part, command] : line.runs)
            if (part->parsed()) code = command(streams);
    }
    // A full disk or a closed pipe behind standard output is a failure too.
    if (!out.flush()) return fail(err, "cannot write standard output");
    return code;
}

}  // namespace pitbox::cli
