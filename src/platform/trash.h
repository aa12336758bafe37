#pragma once
#include <string>

#include "base/result.h"

namespace pitbox::platform {

// Where moveToTrash puts files, as the desktop names it: "the trash", or on
// Windows "the Recycle Bin".
std::string trashName();

// Moves a file to the user's trash, from where the desktop's own trash puts it
// back; a link goes, not what it leads to. Nothing is ever deleted: where no
// trash can take the file (a volume without one, a full disk, no access) it
// stays where it was and the error says why. Folders, pipes and devices are
// refused. Safe to call from any thread.
// On Linux the freedesktop trash: the home trash, or the .Trash-UID folder at
// the top of the file's own volume, each file with its .trashinfo. On Windows
// the Recycle Bin of the file's drive, with undo.
Result<void> moveToTrash(const std::string& path);

}  // namespace pitbox::platform
