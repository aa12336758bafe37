#include "library/header_refresh.h"

#include <cstring>
#include <string>

#include "base/parallel.h"
#include "base/text.h"
#include "platform/archives.h"

namespace pitbox {

namespace {

Result<void> readFieldsOf(Result<void> loaded, const TrackBuffer& buffer, HeaderFields& h) {
    h.author.clear();
    h.worldSize = 0;
    h.trackLength = 0;
    h.drivers = {};
    h.needs110 = false;
    if (loaded) loaded = readTrackHeader(buffer, h);
    return loaded;
}

}  // namespace

Result<void> readTrackFields(const std::string& path, TrackBuffer& buffer, HeaderFields& h) {
    auto loaded = loadTrackFile(path, buffer);
    return readFieldsOf(std::move(loaded), buffer, h);
}

Result<void> readTrackFields(const std::string& path, const ReadTrackBytes& read, TrackBuffer& buffer,
                             HeaderFields& h) {
    auto loaded = loadTrackBytes(path, read, buffer);
    return readFieldsOf(std::move(loaded), buffer, h);
}

void applyTrackFields(Catalogue& catalogue, TrackEntry& e, const HeaderFields& h, const Result<void>& read) {
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
        e.problemAfterPath = false;
    } else {
        const Error& why = read.error();
        e.state = why.code == ErrorCode::Damaged ? TrackState::Damaged : TrackState::Unreadable;
        // An error of the file itself (not of a pack it lies in) keeps its reason alone.
        e.problemAfterPath = e.hasPath(why.file);
        catalogue.setText(e.problem, e.problemAfterPath ? visibleControls(why.reason) : why.message());
    }
}

Result<void> refreshEntry(Catalogue& catalogue, TrackEntry& e, TrackBuffer& buffer, HeaderFields& h) {
    Result<void> read = readTrackFields(e.path(), buffer, h);
    applyTrackFields(catalogue, e, h, read);
    return read;
}

std::vector<std::optional<platform::FileStamp>> currentStamps(std::span<const PathKey> paths) {
    std::vector<std::optional<platform::FileStamp>> stamps(paths.size());
    forEachIndex(paths.size(), [&](std::size_t i) {
        thread_local std::string path;
        stamps[i] = platform::trackSourceStamp(path.assign(paths[i].folder).append(paths[i].file));
    });
    return stamps;
}

bool needsReading(const TrackEntry& e, const std::optional<platform::FileStamp>& now, bool always) {
    return needsReading(e.state, e.stamp, now, always);
}

bool needsReading(TrackState state, const platform::FileStamp& was, const std::optional<platform::FileStamp>& now,
                  bool always) {
    return always || state == TrackState::Unscanned || state == TrackState::Unreadable || !unchangedSince(was, now);
}

}  // namespace pitbox
