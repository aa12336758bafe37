#pragma once
#include <atomic>
#include <cstddef>
#include <functional>
#include <string>
#include <vector>

#include "base/result.h"

namespace pitbox {

struct TrashReport {
    std::vector<std::string> moved;  // in the order given
    std::vector<Error> failures;     // the tracks that stayed, each with its reason
    bool stopped = false;            // the rest was not looked at
};

// Moves tracks to the user's trash, one after another, going on past those
// that stay. `progress` hears how many were looked at; once `stop` is set no
// more are.
TrashReport trashTracks(const std::vector<std::string>& paths,
                        const std::function<void(std::size_t done)>& progress = {},
                        const std::atomic<bool>* stop = nullptr);

}  // namespace pitbox
