#pragma once
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
    bool operator==(const RememberedSettings&) const = default;
};

struct RememberedLibrary {
    RememberedSettings settings;
    Catalogue catalogue;  // the tracks of the load folder, as Scan left them
};

// The store's layout; a store of another version is not read.
inline constexpr std::uint32_t kLibraryVersion = 1;

// Where the store is kept in the user's state folder; empty when the system
// names no such folder.
std::string libraryStorePath();

std::string encodeLibrary(const RememberedSettings& settings, const Catalogue& catalogue);
// Reads a store's bytes. A store of another version, or with any byte out of
// place, is refused as damaged (`file` names it in the error).
Result<RememberedLibrary> decodeLibrary(std::span<const std::uint8_t> bytes, const std::string& file);
// A store of any body (what follows the version) with its right sum, for the
// fuzzer, which must get past the sum to reach the reader; and the body of a store.
std::string sealLibrary(std::string_view body);
std::string_view libraryBody(std::string_view store);
// None when there is no store.
Result<std::optional<RememberedLibrary>> readLibrary(const std::string& path);
// Writes the store whole, through a replacement (the old one stays until the
// new one is complete and durable), making its folder when it is missing.
Result<void> writeLibrary(const std::string& path, const RememberedSettings& settings, const Catalogue& catalogue);

// Gives each track of `fresh` whose file still has the size and time it had
// when `remembered` read it the fields remembered for it. Returns the others
// that are worth reading: new files, and files changed since they were read
// (not those `remembered` had never read either).
std::vector<TrackEntry*> takeRememberedFields(Catalogue& fresh, const Catalogue& remembered);

}  // namespace pitbox
