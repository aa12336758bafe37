// libFuzzer target: header, base picture, water and objects, as Show runs them
// (the records text aside, which needs fonts).
#include <cstddef>
#include <cstdint>
#include <vector>

#include "preview/preview.h"
#include "trackfile/header_reader.h"
#include "trackfile/lap_records.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const std::vector<std::uint8_t> bytes(data, data + size);
    pitbox::HeaderFields h;
    if (!pitbox::readTrackHeader(bytes, h) || h.oldFormat) return 0;
    pitbox::raster::Picture p = pitbox::preview::buildBasePicture(bytes, h);
    (void)pitbox::lapRecordTexts(h, "/fuzz/track.trk");
    pitbox::preview::drawWaterLayer(p, bytes, h);
    pitbox::preview::drawObjectLayer(p, bytes, h);
    return 0;
}
