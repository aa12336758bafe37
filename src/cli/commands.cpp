#include <CLI/CLI.hpp>
#include <iostream>

#include "cli/command.h"

namespace pitbox::cli {

std::span<const Command> commands() {
    static constexpr Command kCommands[] = {
        {"list", "list the track files below a folder, as Save List writes them", defineList},
        {"catalogue", "save an HTML catalogue of the tracks below a folder", defineCatalogue},
        {"header", "print the header fields of one track file as JSON", defineHeader},
        {"render", "draw a track's 512 by 560 picture", defineRender},
        {"thumbnail", "draw a track's map as a file manager's thumbnail", defineThumbnail},
        {"copy", "copy track files into a folder, numbering clashing names", defineCopy},
        {"duplicates", "print the groups of duplicate track files below a folder", defineDuplicates},
        {"trash", "move files to the trash", defineTrash},
    };
    return kCommands;
}

namespace {
// The validator of a named choice is found by this name, followed by the names.
constexpr std::string_view kChoice = "choice:";
}  // namespace

CLI::Validator namedChoice(const std::vector<std::pair<std::string, int>>& names) {
    std::string known, listed;
    for (const auto& [name, value] : names) {
        known += (known.empty() ? "" : ", ") + name;
        listed += (listed.empty() ? "" : " ") + name;
    }
    return {[names, known](std::string& given) -> std::string {
                for (const auto& [name, value] : names)
                    if (given == name) {
                        given = std::to_string(value);
                        return {};
                    }
                return given + " is not one of " + known;
            },
            "", std::string(kChoice) + listed};
}

std::string choiceNames(CLI::Option& option) {
    for (int i = 0;; ++i) {
        try {
            const std::string& name = option.get_validator(i)->get_name();
            if (name.starts_with(kChoice)) return name.substr(kChoice.size());
        } catch (const CLI::OptionNotFound&) {
            return {};
        }
    }
}

int fail(std::ostream& err, const std::string& message) {
    err << "pitbox-cli: " << message << "\n";
    return 1;
}

}  // namespace pitbox::cli
