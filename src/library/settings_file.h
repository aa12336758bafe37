#pragma once
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "base/result.h"

namespace pitbox {

// What the program gives back at its next start besides the tracks.
struct RememberedSettings {
    std::string loadFolder;    // the folder of the last Load, ending in the separator; empty for none
    std::string targetFolder;  // the Copy Tracks window's target, the same
    std::vector<int> columnWidths;
    // The main window: its frame's top-left corner and its client size (a width
    // of 0 for none remembered), and whether it was maximised.
    int x = 0, y = 0, width = 0, height = 0;
    bool maximised = false;
    // The table: the column it was sorted by (-1 for none) and how, and the
    // current track's path (empty for none).
    int sortColumn = -1;
    bool sortDescending = false;
    std::string currentTrack;
    // Where the user moved the viewer, its frame's top-left corner.
    bool viewerMoved = false;
    int viewerX = 0, viewerY = 0;
    // The Copy Tracks window's options.
    bool keepFolders = false;
    bool skipAlreadyThere = false;
    bool operator==(const RememberedSettings&) const = default;
};

// The settings file: a text a user can read and edit, one "key = value" a
// line; texts in double quotes with C's escapes, so that any path survives.
// Lines of keys this version does not know are kept as they are, for the
// version that wrote them; a value that cannot be read is ignored, with a
// complaint naming its line.
struct SettingsFile {
    RememberedSettings settings;
    std::vector<std::string> unknownLines;
    std::vector<std::string> complaints;  // "line 4: a bad value for window, ignored"
};

SettingsFile parseSettings(std::string_view text);
std::string formatSettings(const RememberedSettings& settings, const std::vector<std::string>& unknownLines = {});

// The settings file beside the library store, in the same state folder.
std::string settingsPathBeside(const std::string& storePath);
// None when there is no file yet. Only a regular file is read.
Result<std::optional<SettingsFile>> readSettings(const std::string& path);
// Writes the file whole through a replacement, keeping the lines of keys
// this version does not know from the file there now.
Result<void> writeSettings(const std::string& path, const RememberedSettings& settings);

}  // namespace pitbox
