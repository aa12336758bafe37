#pragma once
#include <cstdint>
#include <string>

#include "trackfile/header_reader.h"

namespace pitbox {

inline constexpr std::int16_t kNoTimeFrom = 6000;  // a time of 60.00 s or more means "no time"

struct LapRecordTexts {
    std::string time;
    std::string name;
    std::string holder;  // driver " / " car, or "no Best Time"
    bool timed = false;  // a slot holds a time: the holder is a driver's
};

// A time in hundredths of a second as text. From 100 on: the first digit (two
// from 1,000 on), a point and the last two digits, so 12,345 gives 12.45. Below
// 100, negative times included, a true reading in seconds: 45 gives 0.45.
std::string timeText(std::int16_t hundredths);
// Slot 1 is shown whenever it holds a time, else slot 0.
LapRecordTexts lapRecordTexts(const HeaderFields& h, const std::string& trackPath);

}  // namespace pitbox
