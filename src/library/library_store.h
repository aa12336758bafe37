#pragma once
#include <chrono>
#include <cstddef>
#include <cstdint>
#include <optional>
#include <span>
#include <string>
#include <string_view>
#include <vector>

#include "base/result.h"
#include "library/catalogue.h"

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
    // current track's path (empty for none). Since version 3.
    int sortColumn = -1;
    bool sortDescending = false;
    std::string currentTrack;
    // Where the user moved the viewer, its frame's top-left corner. Since version 3.
    bool viewerMoved = false;
    int viewerX = 0, viewerY = 0;
    // The Copy Tracks window's options. Since version 4.
    bool keepFolders = false;
    bool skipAlreadyThere = false;
    bool operator==(const RememberedSettings&) const = default;
};

// The tracks of one folder as Scan left them, kept encoded until they are
// wanted: a store holds several folders, and only one is shown.
struct RememberedFolder {
    std::string folder;  // absolute, ending in the separator
    std::string tracks;  // as encodeTracks makes them
};

struct RememberedLibrary {
    RememberedSettings settings;
    std::vector<RememberedFolder> folders;  // the most recently used first
    // The tracks remembered for `folder` (empty when none are); `file` names
    // the store in an error.
    Result<Catalogue> tracksOf(std::string_view folder, const std::string& file) const;
    // Makes `catalogue` the tracks of `folder` and that folder the most
    // recently used; the least recently used beyond kMostRememberedFolders go.
    void remember(const std::string& folder, const Catalogue& catalogue);
};

// The store's layout. Stores of versions 1 (one folder) and 2 (without the
// table's sort, current track and the viewer's place) are read too; one of any
// other version is set aside, never overwritten.
inline constexpr std::uint32_t kLibraryVersion = 4;
inline constexpr std::size_t kMostRememberedFolders = 16;

// Where the store is kept in the user's state folder; empty when the system
// names no such folder.
std::string libraryStorePath();

std::string encodeTracks(const Catalogue& catalogue);
std::string encodeLibrary(const RememberedLibrary& library);
// Reads a store's bytes. A store of another version, or with any byte out of
// place, is refused as damaged (`file` names it in the error).
Result<RememberedLibrary> decodeLibrary(std::span<const std::uint8_t> bytes, const std::string& file);
// A store of any body (what follows the version) with its right sum, for the
// fuzzer, which must get past the sum to reach the reader; and the body of a store.
std::string sealLibrary(std::string_view body, std::uint32_t version = kLibraryVersion);
std::string_view libraryBody(std::string_view store);
// None when there is no store. A store of another version is renamed beside
// it (library.dat.v3), so that a newer program's store survives this one, and
// the error says so. Only a regular file is read (a link only to one).
Result<std::optional<RememberedLibrary>> readLibrary(const std::string& path);
// Writes the store whole, through a replacement (the old one stays until the
// new one is complete and durable), making its folder when it is missing and
// removing temporaries of writes that were killed. Only a regular file is
// replaced (a link only when it leads to one).
Result<void> writeLibrary(const std::string& path, const RememberedLibrary& library);
// The tracks the store at `path` remembers for `folder`: none when there is no
// store or it holds none of that folder's.
Result<Catalogue> rememberedTracks(const std::string& path, const std::string& folder);
// Remembers `catalogue` as the tracks of `folder` in the store at `path`,
// keeping what it holds of other folders (with no folder, no tracks); with
// `settings`, they replace the stored ones. A store that cannot be read is
// made anew; one that is not a file at all is left alone. Writers take turns
// (a lock beside the store, `path` + ".lock"), each waiting up to
// kStoreLockWait for the one before; Busy when that is not enough.
inline constexpr std::chrono::milliseconds kStoreLockWait{10000};
Result<void> rememberTracks(const std::string& path, const std::optional<RememberedSettings>& settings,
                            const std::string& folder, const Catalogue& catalogue);

// Gives each track of `fresh` whose file is unchanged since `remembered` read
// it the fields remembered for it. Returns the others that are worth reading:
// new files, files changed since they were read, and files that could not be
// read then (not those `remembered` had never read either).
std::vector<TrackEntry*> takeRememberedFields(Catalogue& fresh, const Catalogue& remembered);
// Gives each track of `fresh` (a new walk of the folder) all that `known`
// holds of the same path: its fields, its state and the stamp its file had
// when they were read, so that a Scan reads only what changed since.
void keepKnownEntries(Catalogue& fresh, const Catalogue& known);

}  // namespace pitbox
