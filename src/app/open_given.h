#pragma once
#include <string>
#include <vector>

#include "app/app_state.h"
#include "app/program_options.h"
#include "platform/single_instance.h"

namespace pitbox {

// Files and folders given from outside while the program runs (dropped on
// its windows, handed over by a later start), as absolute paths: one folder
// is loaded as Load loads it, track files are shown as a double click shows
// them; none bring the main window to the front.
void openGiven(AppState& s, const std::vector<std::string>& paths);

// Paths given on a command line, absolute as the system names them.
std::vector<std::string> absoluteGiven(const std::vector<std::string>& paths, const std::string& workingFolder);

// Opens what later starts handed over since the last look.
void openHanded(AppState& s);

// One program a user and library: a start that finds another running hands
// it its paths (made absolute) and ends; the first hears later starts into
// `s.handed` while the claim lives, which must end before `s` does.
platform::InstanceClaim claimProgram(AppState& s, const ProgramOptions& options, const std::string& workingFolder);
// Why a start that is to forget the library does not run beside another.
inline constexpr const char* kRunsAlready = "Kestrun Pitbox runs already: close it before starting it with --forget.";

}  // namespace pitbox
