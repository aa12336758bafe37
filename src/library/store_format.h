#pragma once
#include <cstddef>
#include <cstdint>
#include <memory>
#include <optional>
#include <span>
#include <string>
#include <string_view>
#include <vector>

#include "base/result.h"
#include "library/catalogue.h"
#include "library/settings_file.h"

namespace pitbox {

// The tracks of one folder as Scan left them, kept encoded until they are
// wanted: a store holds several folders, and only one is shown.
struct RememberedFolder {
    std::string folder;                 // absolute, ending in the separator
    std::string_view tracks;            // as encodeTracks makes them, in `bytes`
    std::shared_ptr<const void> bytes;  // the store as it was read, or the folder's own encoding
};

struct RememberedLibrary {
    // What a store of version 4 or before held of the settings, which now
    // live in a file of their own: moved there at the next write.
    std::optional<RememberedSettings> oldSettings;
    std::vector<RememberedFolder> folders;  // the most recently used first
    // The tracks remembered for `folder` (empty when none are); `file` names
    // the store in an error.
    Result<Catalogue> tracksOf(std::string_view folder, const std::string& file) const;
    // Makes `catalogue` the tracks of `folder` and that folder the most
    // recently used; the least recently used beyond kMostRememberedFolders go.
    void remember(const std::string& folder, const Catalogue& catalogue);
};

// The store's layout: tracks only since version 5, each folder's paths split
// into a table of their folders and their file names, their texts pooled and
// their numbers packed since version 6. Stores of versions 1 (one folder) to 5
// are read too, with the settings they held; one of any other version is set
// aside, never overwritten.
inline constexpr std::uint32_t kLibraryVersion = 6;
inline constexpr std::size_t kMostRememberedFolders = 16;

// The version a store's bytes say they have; none when they are no store.
std::optional<std::uint32_t> storeVersion(std::span<const std::uint8_t> bytes);

std::string encodeTracks(const Catalogue& catalogue);
std::string encodeLibrary(const RememberedLibrary& library);
// Reads a store's bytes, which the library it gives keeps and reads its
// folders' tracks from, with no copy. A store of another version, or with any
// byte out of place, is refused as damaged (`file` names it in the error).
Result<RememberedLibrary> decodeLibrary(const std::shared_ptr<const std::vector<std::uint8_t>>& store,
                                        const std::string& file);
Result<RememberedLibrary> decodeLibrary(std::span<const std::uint8_t> bytes, const std::string& file);
// A store of any body (what follows the version) with its right sum, for the
// fuzzer, which must get past the sum to reach the reader; and the body of a store.
std::string sealLibrary(std::string_view body, std::uint32_t version = kLibraryVersion);
std::string_view libraryBody(std::string_view store);
}  // namespace pitbox
