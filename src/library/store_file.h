#pragma once
#include <optional>
#include <string>

#include "base/result.h"
#include "library/store_format.h"

namespace pitbox {

// Where the store is kept in the user's state folder; empty when the system
// names no such folder.
std::string libraryStorePath();

// None when there is no store. A store of another version is renamed beside
// it (library.dat.v3), so that a newer program's store survives this one, and
// the error says so. Only a regular file is read (a link only to one).
Result<std::optional<RememberedLibrary>> readLibrary(const std::string& path);
// Writes the store whole, through a replacement (the old one stays until the
// new one is complete and durable), making its folder when it is missing and
// removing temporaries of writes that were killed. Only a regular file is
// replaced (a link only when it leads to one).
Result<void> writeLibrary(const std::string& path, const RememberedLibrary& library);
}  // namespace pitbox
