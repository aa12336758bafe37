#pragma once
#include <cstdlib>
#include <string>

#include "platform/paths.h"

namespace pitbox::platform {

// A folder as the XDG base directory rules give it: $variable where it is an
// absolute path, else `belowHome` below $HOME; empty when neither is there.
inline std::string baseFolder(const char* variable, const char* belowHome) {
    const char* set = std::getenv(variable);
    if (set && set[0] == '/') return withSeparator(set);
    const char* home = std::getenv("HOME");
    return home && home[0] == '/' ? withSeparator(home) + belowHome : std::string();
}

}  // namespace pitbox::platform
