#pragma once
#include <cstdint>
#include <string>
#include <vector>

#include "library/catalogue.h"

namespace pitbox::test {

// A track as a test writes its row: the table's fields, and its path whole.
struct TableTrack {
    std::string name, author;
    std::int32_t worldSize = 0, length = 0;
    std::string record, path;
    bool marked110 = false;
    TrackState state = TrackState::Unscanned;
};

inline TrackEntry& appendTrack(Catalogue& c, const TableTrack& t) {
    TrackEntry& e = c.append();
    c.setText(e.name, t.name);
    c.setText(e.author, t.author);
    c.setText(e.record, t.record);
    c.setPath(e, t.path);
    e.worldSize = t.worldSize;
    e.length = t.length;
    e.marked110 = t.marked110;
    e.state = t.state;
    return e;
}

inline Catalogue catalogueOf(const std::vector<TableTrack>& tracks) {
    Catalogue c;
    for (const TableTrack& t : tracks) appendTrack(c, t);
    return c;
}

// The entry of a track given so, in a catalogue kept for the whole run.
inline const TrackEntry& entryOf(const TableTrack& t) {
    static Catalogue kept;
    return appendTrack(kept, t);
}

}  // namespace pitbox::test
