#include "library/header_refresh.h"

#include <cstring>

namespace pitbox {

Result<void> refreshEntry(Catalogue& catalogue, TrackEntry& e, TrackBuffer& buffer, HeaderFields& h) {
    h.author.clear();
    h.worldSize = 0;
    h.trackLength = 0;
    h.drivers = {};
    h.needs110 = false;
    Result<void> read = loadTrackFile(std::string(e.path), buffer);
    if (read) read = readTrackHeader(buffer, h);

    const std::string_view name = e.name.view().substr(0, e.name.size() - (e.marked110 ? std::strlen(kMark110) : 0));
    e.marked110 = h.needs110;
    catalogue.setText(e.name, name, e.marked110 ? kMark110 : "");
    e.worldSize = h.worldSize;
    e.length = h.trackLength;
    catalogue.setText(e.author, h.author);
    catalogue.setText(e.record, h.drivers[0] + " ", h.drivers[1]);
    if (read) {
        e.state = h.oldFormat ? TrackState::OldFormat : TrackState::Scanned;
        e.problem = {};
    } else {
        e.state = read.error().code == ErrorCode::Damaged ? TrackState::Damaged : TrackState::Unreadable;
        catalogue.setText(e.problem, read.error().message());
    }
    return read;
}

bool refreshIfChanged(Catalogue& catalogue, TrackEntry& e, TrackBuffer& buffer, HeaderFields& header, bool always) {
    // Looked at before the read: a change during the read leaves a stamp older
    // than the file, which the next Scan reads again.
    const auto status = platform::fileStatus(std::string(e.path));
    if (!always && status && e.state != TrackState::Unscanned && status->stamp() == e.stamp) return false;
    e.stamp = status ? status->stamp() : platform::FileStamp{};
    (void)refreshEntry(catalogue, e, buffer, header);  // a file that cannot be read shows why in its entry
    return true;
}

}  // namespace pitbox
