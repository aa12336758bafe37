#pragma once
#include <vector>

#include "library/catalogue.h"

namespace pitbox::test {

inline Catalogue catalogueOf(const std::vector<TrackEntry>& entries) {
    Catalogue c;
    for (const TrackEntry& e : entries) c.append(e);
    return c;
}

}  // namespace pitbox::test
