#pragma once
#include <chrono>
#include <cstdint>
#include <optional>
#include <string>
#include <vector>

#include "base/result.h"
#include "library/catalogue.h"
#include "library/changed_areas.h"
#include "library/store_file.h"
#include "library/store_format.h"

namespace pitbox {

// The merge of the store's writers: the program and any number of pitbox-cli
// runs remember their folders in one store, each keeping the others'.
// The tracks the store at `path` remembers for `folder`: none when there is no
// store or it holds none of that folder's.
Result<Catalogue> rememberedTracks(const std::string& path, const std::string& folder);
// Remembers `catalogue` as the tracks of `folder` in the store at `path`,
// keeping what it holds of other folders (with no folder, no tracks). The
// settings an old store held are moved to the settings file beside it first,
// unless there is one. A store that cannot be read is
// made anew; one that is not a file at all is left alone. Writers take turns
// (a lock beside the store, `path` + ".lock"), each waiting up to
// kStoreLockWait for the one before; Busy when that is not enough.
inline constexpr std::chrono::milliseconds kStoreLockWait{10000};
Result<void> rememberTracks(const std::string& path, const std::string& folder, const Catalogue& catalogue);

// Gives each track of `fresh` whose file is unchanged since `remembered` read
// it the fields remembered for it. Returns the others that are worth reading:
// new files, files changed since they were read, and files that could not be
// read then (not those `remembered` had never read either).
std::vector<TrackEntry*> takeRememberedFields(Catalogue& fresh, const Catalogue& remembered);
// When `fresh` (a new walk of the folder) lists the files of `known`, in the
// same order, and none of those `known` read changed since, gives the entries
// of `known` not read yet their files' new stamps and returns true: `known`
// is then what takeRememberedFields would make of `fresh`, with nothing to
// read. False, and nothing changed, otherwise.
bool takeUnchangedWalk(Catalogue& known, const Catalogue& fresh);
// What a change in the tree did to a catalogue, in place.
struct CatalogueChange {
    std::vector<std::uint32_t> gone;   // ids that left its order (still stored)
    std::vector<std::uint32_t> added;  // ids new to it
    std::vector<TrackEntry*> toRead;   // the new files, and those changed since they were read
};
// A check of the areas of the tree its watch saw change: `walked` is what
// collectChangedTracks found there. When that is what `known` held there and
// none of it changed, gives `known`'s entries there not read yet their new
// stamps and returns nothing: the table stays. Otherwise `known` becomes, in
// place, the library a walk of the whole tree would find, in its order:
// every track outside the areas as it was, those inside that are still there
// in their entries (a changed one keeping its fields until it is read again),
// the new ones added, the others gone; returns what changed.
std::optional<CatalogueChange> takeChangedAreas(Catalogue& known, Catalogue& walked, const ChangedAreas& areas);
// Gives each track of `fresh` (a new walk of the folder) all that `known`
// holds of the same path: its fields, its state and the stamp its file had
// when they were read, so that a Scan reads only what changed since.
void keepKnownEntries(Catalogue& fresh, const Catalogue& known);

}  // namespace pitbox
