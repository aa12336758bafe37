#include "library/header_refresh.h"

#include <cstring>

namespace pitbox {

Result<void> refreshEntry(TrackEntry& e, TrackBuffer& buffer, HeaderFields& h) {
    h.author.clear();
    h.worldSize = 0;
    h.trackLength = 0;
    h.drivers = {};
    h.needs110 = false;
    Result<void> read = loadTrackFile(e.path, buffer);
    if (read) read = readTrackHeader(buffer, h);

    if (e.marked110) e.name.resize(e.name.size() - std::strlen(kMark110));
    e.marked110 = h.needs110;
    if (e.marked110) e.name += kMark110;
    e.worldSize = h.worldSize;
    e.length = h.trackLength;
    e.author = h.author;
    e.record = h.drivers[0] + " " + h.drivers[1];
    return read;
}

}  // namespace pitbox
