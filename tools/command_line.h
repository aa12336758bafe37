#pragma once
// The tools' command lines, parsed as pitbox-cli's are: help on standard
// output and exit 0; an unknown option, a missing value or a bad one on
// standard error with exit 2, before anything is written.
#include <CLI/CLI.hpp>
#include <exception>
#include <iostream>
#include <optional>

namespace pitbox::tools {

// The exit code when the program ends at the parse; none when it goes on.
inline std::optional<int> parseCommandLine(CLI::App& line, int argc, char** argv) {
    try {
        line.parse(argc, argv);
    } catch (const CLI::ParseError& refused) {
        return line.exit(refused) == 0 ? 0 : 2;
    }
    return std::nullopt;
}

// Runs a tool's body; a failure it throws (a file that cannot be written) is
// one line on standard error and exit code 1, never an uncaught exception.
template <class Body>
int reportingFailures(const char* tool, Body&& body) {
    try {
        return body();
    } catch (const std::exception& failed) {
        std::cerr << tool << ": " << failed.what() << "\n";
        return 1;
    }
}

}  // namespace pitbox::tools
