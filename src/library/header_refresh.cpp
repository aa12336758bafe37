#include "library/header_refresh.h"

#include <cstring>

#include "app/ids.h"
#include "app/list_view.h"
#include "ui/pacer.h"

namespace pitbox {

Result<void> refreshEntry(TrackEntry& e, TrackBuffer& buffer, HeaderFields& h) {
    h.author.clear();
    h.worldSize = 0;
    h.trackLength = 0;
    h.drivers = {};
    h.needs110 = false;
    Result<void> read = loadTrackFile(e.path, buffer);
    if (read && readTrackHeader(buffer.bytes(), h) == HeaderStatus::Damaged)
        read = Error{ErrorCode::Damaged, e.path, "damaged: its fields lie outside its bytes"};

    if (e.marked110) e.name.resize(e.name.size() - std::strlen(kMark110));
    e.marked110 = h.needs110;
    if (e.marked110) e.name += kMark110;
    e.worldSize = h.worldSize;
    e.length = h.trackLength;
    e.author = h.author;
    e.record = h.drivers[0] + " " + h.drivers[1];
    return read;
}

void refreshHeaders(AppState& s) {
    s.tk.setEnabled(ids::kMainWindow, ids::kScan, false);
    s.listName = "tracks";
    const std::size_t total = s.catalogue.count();
    std::size_t done = 0;
    ui::Pacer pacer(s.progressInterval);
    s.catalogue.rewind();
    while (TrackEntry* e = s.catalogue.step()) {
        s.currentTrackPath = e->path;
        (void)refreshEntry(*e, s.trackBuffer, s.header);  // unreadable files show empty fields
        ++done;
        if (pacer.due()) {
            s.tk.setText(ids::kMainWindow, ids::kStatusLine1,
                         "Reading " + std::to_string(done) + " / " + std::to_string(total));
            s.tk.keepPainted();
        }
    }
    fillList(s);
    s.tk.setEnabled(ids::kMainWindow, ids::kScan, true);
}

}  // namespace pitbox
