#include "trackfile/lap_records.h"

#include <cstdio>
#include <cstdlib>

#include "base/text.h"
#include "platform/paths.h"

namespace pitbox {

std::string timeText(std::int16_t hundredths) {
    if (hundredths < 100) {
        const int magnitude = std::abs(static_cast<int>(hundredths));
        char text[16];
        std::snprintf(text, sizeof text, "%s%d.%02d", hundredths < 0 ? "-" : "", magnitude / 100, magnitude % 100);
        return text;
    }
    const std::string t = std::to_string(hundredths);
    const std::size_t lead = hundredths > 999 ? 2 : 1;
    return t.substr(0, lead) + "." + t.substr(t.size() - 2);
}

LapRecordTexts lapRecordTexts(const HeaderFields& h, const std::string& trackPath) {
    LapRecordTexts texts;
    std::int16_t value = h.recordTimes[0];
    texts.timed = true;
    if (h.recordTimes[1] < kNoTimeFrom) {
        value = h.recordTimes[1];
        texts.holder = h.drivers[1] + " / " + h.cars[1];
    } else if (h.recordTimes[0] < kNoTimeFrom) {
        texts.holder = h.drivers[0] + " / " + h.cars[0];
    } else {
        texts.timed = false;
        texts.holder = "no Best Time";
    }
    texts.time = timeText(value);
    texts.name = dropLastCharacters(platform::filePart(trackPath), 4);
    return texts;
}

}  // namespace pitbox
