#pragma once
#include <chrono>
#include <cstddef>
#include <string>

#include "library/catalogue.h"
#include "trackfile/header_reader.h"
#include "trackfile/track_buffer.h"
#include "toolkit/toolkit.h"

namespace pitbox {

// Everything the program keeps between clicks. Actions take it and the toolkit.
struct AppState {
    explicit AppState(ui::Toolkit& toolkit) : tk(toolkit) {}

    ui::Toolkit& tk;
    Catalogue catalogue;
    TrackBuffer trackBuffer;
    HeaderFields header;
    std::string trackFolder;   // folder of the last Load, ends in "/"
    std::string targetFolder;  // folder of the Copy Tracks window, ends in "/"
    std::string listName;      // base name of the proposed export file
    std::string currentTrackPath;
    bool rowChosen = false;         // a row was clicked since the table was last filled
    bool quitRequested = false;     // the main window's close request came during start-up
    std::size_t selectedCount = 0;  // selected rows at the last list event
    std::size_t rowCount = 0;       // table rows as last counted
    // How often a long action shows progress and repaints.
    std::chrono::milliseconds progressInterval{50};
};

}  // namespace pitbox
