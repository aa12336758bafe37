#pragma once
#include <optional>
#include <vector>

#include "base/result.h"
#include "library/catalogue.h"
#include "trackfile/header_reader.h"
#include "trackfile/track_buffer.h"

namespace pitbox {

inline constexpr const char* kMark110 = " * 1.10";

// Reads one entry's file and stores author, world size, length and record; sets
// or removes the " * 1.10" mark. A file that cannot be read, or is damaged, gets
// empty fields: nothing of an earlier file is kept, and the reason is returned.
// The entry's state says which it was (the problem, for a damaged or
// unreadable file, why). The entry is one of the catalogue's, which keeps its
// texts.
Result<void> refreshEntry(Catalogue& catalogue, TrackEntry& e, TrackBuffer& buffer, HeaderFields& header);

// Each entry's file stamp as it is now (none where they cannot be
// had), in the entries' order: what Scan tells changed files by. Looked at on
// a few threads at once, as each look waits on the system alone.
std::vector<std::optional<platform::FileStamp>> currentStamps(Catalogue::ConstEntries entries);

// Scan's step: reads the entry's file again (as above) unless it was read
// before and its stamp (`now`, taken before the read) is still the one it had
// then; `always` reads it whatever it is. A file that could not be read is
// read again. Returns whether it read the file.
bool refreshIfChanged(Catalogue& catalogue, TrackEntry& e, const std::optional<platform::FileStamp>& now,
                      TrackBuffer& buffer, HeaderFields& header, bool always);

}  // namespace pitbox
