#pragma once
#include <cerrno>
#include <cstring>
#include <string>

#include "base/result.h"

namespace pitbox::platform {

// An error from errno (or the given number), with the system's text as its
// reason; a file that cannot be opened because it is not there is Missing, and
// a write that finds no room is NoSpace, whatever was being done.
inline Error systemError(ErrorCode code, const std::string& file, int number = errno) {
    if (code == ErrorCode::CannotOpen && (number == ENOENT || number == ENOTDIR)) code = ErrorCode::Missing;
    if (number == ENOSPC || number == EDQUOT) code = ErrorCode::NoSpace;
    return Error{code, file, std::strerror(number)};
}

}  // namespace pitbox::platform
