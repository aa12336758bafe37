// Writes the manual pages of pitbox and pitbox-cli and the bash completion of
// pitbox-cli, all read off the parsers the programs use, so that none can say
// other than the programs do.
//   make_manuals OUTDIR
#include <CLI/CLI.hpp>
#include <fstream>
#include <iostream>
#include <string>
#include <vector>

#include "app/program_options.h"
#include "cli/command.h"
#include "cli/command_line.h"
#include "tools/command_line.h"

namespace {

// Text for roff: backslashes and hyphens escaped, no line opening a request.
std::string roff(const std::string& text) {
    std::string out;
    for (char c : text) {
        if (c == '\\')
            out += "\\e";
        else if (c == '-')
            out += "\\-";
        else
            out += c;
        if (c == '\n') out += "\\&";
    }
    return out.empty() || (out[0] != '.' && out[0] != '\'') ? out : "\\&" + out;
}

bool isHelp(const CLI::Option* option) { return option->check_lname("help"); }

std::string optionNames(const CLI::Option& option) {
    std::string names;
    for (const std::string& name : option.get_snames())
        names += (names.empty() ? "" : ", ") + ("\\fB\\-" + name + "\\fR");
    for (const std::string& name : option.get_lnames())
        names += (names.empty() ? "" : ", ") + ("\\fB\\-\\-" + roff(name) + "\\fR");
    if (option.get_items_expected_max() > 0 && !option.get_type_name().empty())
        names += " \\fI" + roff(option.get_type_name()) + "\\fR";
    return names;
}

// The usage of one command: its name, [OPTIONS] and its arguments.
std::string synopsis(const std::string& name, const CLI::App& app) {
    std::string line = "\\fB" + roff(name) + "\\fR";
    if (!app.get_options([&](const CLI::Option* o) { return o->nonpositional() && !isHelp(o); }).empty())
        line += " [\\fIOPTIONS\\fR]";
    for (const CLI::Option* positional : app.get_options([](const CLI::Option* o) { return o->get_positional(); })) {
        std::string argument = "\\fI" + roff(positional->get_name()) + "\\fR";
        if (positional->get_items_expected_max() > 1) argument += "...";
        line += " " + (positional->get_required() ? argument : "[" + argument + "]");
    }
    return line;
}

void describeOptions(std::ostream& out, const CLI::App& app) {
    for (const CLI::Option* option : app.get_options()) {
        if (isHelp(option)) continue;
        out << ".TP\n"
            << (option->get_positional() ? "\\fI" + roff(option->get_name()) + "\\fR" : optionNames(*option)) << "\n"
            << roff(option->get_description()) << "\n";
    }
    out << ".TP\n\\fB\\-h\\fR, \\fB\\-\\-help\\fR\nshow the help and do nothing else\n";
}

std::string header(const std::string& name, const std::string& summary) {
    return ".TH " + name + " 1 \"\" \"Kestrun Pitbox\" \"User Commands\"\n.SH NAME\n" + roff(name) + " \\- " +
           roff(summary) + "\n";
}

std::string commandLineManual(CLI::App& program) {
    std::ostringstream out;
    out << header("pitbox-cli", "Kestrun's track files on the command line") << ".SH SYNOPSIS\n"
        << "\\fBpitbox\\-cli\\fR \\fICOMMAND\\fR [\\fIOPTIONS\\fR] [\\fB\\-\\-\\fR] [\\fIARGUMENTS\\fR]\n"
        << ".br\n\\fBpitbox\\-cli help\\fR [\\fICOMMAND\\fR]\n"
        << ".SH DESCRIPTION\n"
        << roff(program.get_description()) << "\n.PP\n"
        << "Each command takes its own options; \\fB\\-\\-\\fR ends them, so that a file named "
           "\\fI\\-x.trk\\fR can be given. Paths are printed as the file system holds them, control characters "
           "as their visible symbols.\n"
        << ".SH COMMANDS\n";
    for (const pitbox::cli::Command& command : pitbox::cli::commands()) {
        const CLI::App& part = *program.get_subcommand(command.name);
        out << ".SS " << synopsis("pitbox-cli " + std::string(command.name), part) << "\n"
            << roff(part.get_description()) << "\n";
        describeOptions(out, part);
    }
    out << ".SH EXIT STATUS\n.TP\n0\ndone\n.TP\n1\nfailed: one line on standard error for each failure\n"
        << ".TP\n2\nthe command line cannot be taken: the reason and a usage line on standard error, nothing done\n"
        << ".SH FILES\n.TP\n\\fI$XDG_STATE_HOME/kestrun\\-pitbox/library.dat\\fR\n"
        << "the remembered library, which \\fBlist \\-\\-scan \\-\\-cache\\fR shares with the window "
           "(\\fI~/.local/state\\fR when XDG_STATE_HOME is not set)\n"
        << ".SH SEE ALSO\n\\fBpitbox\\fR(1)\n";
    return out.str();
}

std::string programManual(CLI::App& program) {
    std::ostringstream out;
    out << header("pitbox", "Kestrun Pitbox, the track files of Kestrun in one table") << ".SH SYNOPSIS\n"
        << synopsis("pitbox", program) << "\n.SH DESCRIPTION\n"
        << roff(program.get_description()) << "\n.PP\n"
        << "Started without a folder, it shows the library it remembered, checked against its folder. It shows "
           "each track's picture, copies a selection of tracks into a folder with numbered names on clashes, and "
           "saves the table as text, CSV or an HTML catalogue.\n"
        << ".SH OPTIONS\n";
    describeOptions(out, program);
    out << ".SH EXIT STATUS\n0 when the window is closed, 2 when the command line cannot be taken.\n"
        << ".SH FILES\n.TP\n\\fI$XDG_STATE_HOME/kestrun\\-pitbox/library.dat\\fR\n"
        << "the remembered library (\\fI~/.local/state\\fR when XDG_STATE_HOME is not set)\n"
        << ".SH SEE ALSO\n\\fBpitbox\\-cli\\fR(1)\n";
    return out.str();
}

// What the words after an option complete to: a folder, a file, or one of
// its named values.
std::string valueCompletion(CLI::Option& option) {
    const std::string type = option.get_type_name();
    if (type == "DIR" || type == "ROOT" || type == "OUTDIR") return "$(compgen -d -- \"$cur\")";
    if (type == "FILE" || type == "OUT") return "$(compgen -f -- \"$cur\")";
    const std::string names = pitbox::cli::choiceNames(option);
    return names.empty() ? "" : "$(IFS=' '; compgen -W \"" + names + "\" -- \"$cur\")";
}

std::string bashCompletion(CLI::App& program) {
    std::ostringstream out;
    std::string names;
    for (const pitbox::cli::Command& command : pitbox::cli::commands()) names += std::string(command.name) + " ";
    out << "# bash completion for pitbox-cli, made from its own parser\n"
        << "_pitbox_cli() {\n"
        << "    local cur=${COMP_WORDS[COMP_CWORD]} prev=${COMP_WORDS[COMP_CWORD-1]} command=${COMP_WORDS[1]}\n"
        << "    local IFS=$'\\n'\n"
        << "    if [ \"$COMP_CWORD\" -eq 1 ]; then\n"
        << "        COMPREPLY=($(IFS=' '; compgen -W \"" << names << "help --help\" -- \"$cur\"))\n"
        << "        return\n    fi\n"
        << "    case \"$command\" in\n";
    for (const pitbox::cli::Command& command : pitbox::cli::commands()) {
        CLI::App& part = *program.get_subcommand(command.name);
        std::string options, positional = "compgen -f -- \"$cur\"";
        out << "    " << command.name << ")\n        case \"$prev\" in\n";
        for (CLI::Option* option : part.get_options({})) {
            if (option->get_positional()) {
                if (option->get_type_name().empty() && option->get_name() == "DIR")
                    positional = "compgen -d -- \"$cur\"";
                continue;
            }
            std::string spelled;
            for (const std::string& name : option->get_snames()) spelled += (spelled.empty() ? "" : "|") + ("-" + name);
            for (const std::string& name : option->get_lnames())
                spelled += (spelled.empty() ? "" : "|") + ("--" + name);
            options += std::string(options.empty() ? "" : " ") +
                       (option->get_lnames().empty() ? "-" + option->get_snames()[0] : "--" + option->get_lnames()[0]);
            if (isHelp(option)) continue;
            if (option->get_items_expected_max() > 0)
                out << "            " << spelled << ") COMPREPLY=(" << valueCompletion(*option) << "); return ;;\n";
        }
        out << "        esac\n"
            << "        if [[ $cur == -* ]]; then COMPREPLY=($(IFS=' '; compgen -W \"" << options
            << "\" -- \"$cur\"))\n"
            << "        else COMPREPLY=($(" << positional << ")); fi ;;\n";
    }
    out << "    help) COMPREPLY=($(IFS=' '; compgen -W \"" << names << "\" -- \"$cur\")) ;;\n"
        << "    esac\n}\ncomplete -o filenames -F _pitbox_cli pitbox-cli\n";
    return out.str();
}

bool write(const std::string& path, const std::string& text) {
    std::ofstream file(path, std::ios::binary);
    file << text;
    if (file.flush()) return true;
    std::cerr << "make_manuals: cannot write " << path << "\n";
    return false;
}

int writeManuals(int argc, char** argv) {
    CLI::App line("Writes the manual pages and the bash completion of Kestrun Pitbox.", "make_manuals");
    std::string folder;
    line.add_option("OUTDIR", folder, "where they go")->required();
    if (const auto ended = pitbox::tools::parseCommandLine(line, argc, argv)) return *ended;
    pitbox::cli::CommandLine commandLine = pitbox::cli::makeCommandLine();
    pitbox::ProgramOptions options;
    CLI::App program("", "pitbox");
    pitbox::defineProgramOptions(program, options);
    return write(folder + "/pitbox-cli.1", commandLineManual(*commandLine.app)) &&
                   write(folder + "/pitbox.1", programManual(program)) &&
                   write(folder + "/pitbox-cli.bash", bashCompletion(*commandLine.app))
               ? 0
               : 1;
}

}  // namespace

int main(int argc, char** argv) {
    return pitbox::tools::reportingFailures("make_manuals", [&] { return writeManuals(argc, argv); });
}
