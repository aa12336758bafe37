#pragma once
#include <cerrno>
#include <cstring>
#include <string>

#include "base/result.h"

namespace pitbox::platform {

// An error from errno (or the given number), with the system's text as its reason.
inline Error systemError(ErrorCode code, const std::string& file, int number = errno) {
    return Error{code, file, std::strerror(number)};
}

}  // namespace pitbox::platform
