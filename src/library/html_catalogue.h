#pragma once
#include <atomic>
#include <cstddef>
#include <functional>
#include <string>

#include "base/result.h"
#include "library/catalogue.h"
#include "trackfile/header_reader.h"
#include "trackfile/track_buffer.h"

namespace pitbox {

// What a saved catalogue holds.
struct CatalogueSaved {
    std::size_t tracks = 0;
    std::size_t pictures = 0;
    bool stopped = false;  // nothing was saved
};

// What the window and the command line say of a saved catalogue:
// "12 Tracks in the catalogue, 11 with a picture: FOLDER".
std::string catalogueSavedText(const CatalogueSaved& saved, const std::string& folder);

// The file that marks a folder as a catalogue this program made, so that only
// such a folder (or an empty one) is ever replaced.
inline constexpr const char* kCatalogueMark = ".pitbox-catalogue";

// Whether `folder` may take a catalogue: it is not there, is empty, or holds a
// catalogue this program made and nothing else. Never a folder of the user's.
Result<void> checkCatalogueFolder(const std::string& folder);

// Draws a track's map as PNG bytes, reading its header fields on the way; on
// any thread, with the buffer given.
using MapPicture =
    std::function<Result<std::string>(const std::string& path, TrackBuffer& buffer, HeaderFields& header)>;

// Saves an HTML catalogue of the entries, in their order, as `folder`: an
// index.html and a PNG of each drawable track's map in tracks/, drawn by
// `draw` on all cores. The catalogue is made whole in a hidden folder beside `folder` and
// then takes its place, so `folder` is never half-written: after a failure or
// a stop it is as it was. `root` is the library folder the page's paths are
// given below. `done` hears how many tracks are drawn; once `stop` is set
// the work ends and nothing is saved.
Result<CatalogueSaved> saveHtmlCatalogue(Catalogue::ConstEntries entries, const std::string& root,
                                         const std::string& folder, const MapPicture& draw,
                                         const std::function<void(std::size_t)>& done = {},
                                         const std::atomic<bool>* stop = nullptr);

}  // namespace pitbox
