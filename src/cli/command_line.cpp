#include "cli/command_line.h"

#include <map>

namespace pitbox::cli {
namespace {

constexpr const char* kProgramDescription =
    "Kestrun Pitbox on the command line: lists, catalogues, draws, copies and tidies Kestrun's track files.";
constexpr const char* kHelpSummary = "show the help of the program or of one command";
constexpr const char* kFooter =
    "Run 'pitbox-cli help COMMAND' (or 'pitbox-cli COMMAND --help') for a command's options; '--' ends the options, "
    "so that a file named '-x.trk' can be given.\n"
    "Exit codes: 0 done, 1 failed (one line on standard error for each failure), 2 usage error (nothing done).";

// The parser's texts in this program's words; the list of commands gives each
// one's summary, its help the whole description.
class CommandFormatter : public CLI::Formatter {
public:
    CommandFormatter() {
        label("Usage", "usage");
        label("SUBCOMMAND", "COMMAND");
        label("SUBCOMMANDS", "COMMANDS");
        column_width(30);
        for (const Command& command : commands()) summaries_[command.name] = command.summary;
        summaries_["help"] = kHelpSummary;
    }
    std::string make_subcommand(const CLI::App* sub) const override {
        std::stringstream out;
        const auto summary = summaries_.find(sub->get_name());
        CLI::detail::format_help(out, sub->get_name(),
                                 summary == summaries_.end() ? sub->get_description() : summary->second,
                                 get_column_width());
        return out.str();
    }

private:
    std::map<std::string, std::string> summaries_;
};

const std::shared_ptr<CommandFormatter>& formatter() {
    static const auto made = std::make_shared<CommandFormatter>();
    return made;
}

}  // namespace

CommandLine makeCommandLine() {
    CommandLine line;
    line.app = std::make_unique<CLI::App>(kProgramDescription, "pitbox-cli");
    CLI::App& app = *line.app;
    app.formatter(formatter());
    app.set_help_flag("-h,--help", "show this help");
    app.footer(kFooter);
    app.require_subcommand(1);
    // On Windows too a path may begin with "/" (a path below the current drive):
    // options begin with "-" alone. Each command takes this from the program.
    app.allow_windows_style_options(false);
    std::vector<std::string> names;
    for (const Command& command : commands()) {
        CLI::App* part = app.add_subcommand(command.name, command.summary);
        part->group("Commands");
        line.runs.emplace_back(part, command.define(*part));
        names.emplace_back(command.name);
    }
    line.help = app.add_subcommand("help", kHelpSummary);
    line.help->group("Commands");
    line.help->add_option("COMMAND", line.helpTopic, "the command whose options to show")
        ->check(CLI::IsMember(names).description(""));
    return line;
}

std::string programHelp(const CLI::App& program) {
    return formatter()->make_help(&program, program.get_name(), CLI::AppFormatMode::Normal);
}

std::string usageLine(const CLI::App& program) {
    const CLI::App* shown = &program;
    std::string name = program.get_name();
    for (;;) {
        const auto parsed = shown->get_subcommands();
        if (parsed.empty()) break;
        shown = parsed.front();
        name += " " + shown->get_name();
    }
    return formatter()->make_usage(shown, name);
}

}  // namespace pitbox::cli
