#pragma once
#include <optional>
#include <span>
#include <string_view>
#include <vector>

#include "base/result.h"
#include "library/catalogue.h"
#include "trackfile/header_reader.h"
#include "trackfile/track_buffer.h"

namespace pitbox {

inline constexpr const char* kMark110 = " * 1.10";

// Reads a track's file and its header fields into `h` (cleared first): on any
// thread, with a buffer of its own.
Result<void> readTrackFields(const std::string& path, TrackBuffer& buffer, HeaderFields& h);
// The same with the bytes from `read` (a member met on a pass over its archive).
Result<void> readTrackFields(const std::string& path, const ReadTrackBytes& read, TrackBuffer& buffer, HeaderFields& h);
// Puts what readTrackFields told into the entry: author, world size, length
// and record; sets or removes the " * 1.10" mark. A file that could not be
// read, or is damaged, gets empty fields: nothing of an earlier file is kept.
// The entry's state says which it was (the problem, for a damaged or
// unreadable file, why). The entry is one of the catalogue's, which keeps its
// texts.
void applyTrackFields(Catalogue& catalogue, TrackEntry& e, const HeaderFields& h, const Result<void>& read);
// Both, for one entry; returns why the file could not be read.
Result<void> refreshEntry(Catalogue& catalogue, TrackEntry& e, TrackBuffer& buffer, HeaderFields& header);

// Each file's stamp as it is now (none where it cannot be had), in the
// paths' order, each a folder and a file's name: what Scan tells changed
// files by. Looked at on a few threads at once, as each look waits on the
// system alone.
std::vector<std::optional<platform::FileStamp>> currentStamps(std::span<const PathKey> paths);

// Whether Scan reads an entry's file: unless it was read before and its stamp
// (`now`, taken before the read) is still the one it had then; `always` reads
// it whatever it is. A file that could not be read is read again.
bool needsReading(const TrackEntry& e, const std::optional<platform::FileStamp>& now, bool always);
// The same for a file known by its state and the stamp it had when read.
bool needsReading(TrackState state, const platform::FileStamp& was, const std::optional<platform::FileStamp>& now,
                  bool always);

}  // namespace pitbox
