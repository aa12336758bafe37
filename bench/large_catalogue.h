#pragma once
// The 100,000 scanned tracks the table benchmarks show, a third of them by
// "Mäkinen", in folders of 1,000 below `root` (which ends in the separator).
#include <string>

#include "library/catalogue.h"

inline void fillLargeCatalogue(pitbox::Catalogue& c, const std::string& root, char separator) {
    for (int i = 0; i < 100000; ++i) {
        pitbox::TrackEntry& e = c.append();
        const std::string name = "Track number " + std::to_string(i);
        c.setText(e.name, name);
        c.setText(e.author, (i % 3 ? "Author " : "M\u00E4kinen ") + std::to_string(i % 700));
        e.worldSize = i % 256;
        e.length = i * 3;
        e.state = pitbox::TrackState::Scanned;
        c.setText(e.record, "Ann Bob");
        std::string path = root;
        path.append("series").append(std::to_string(i / 1000)).append(1, separator).append(name).append(".trk");
        c.setPath(e, path);
    }
}
