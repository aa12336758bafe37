#pragma once
#include <memory>
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
// the top of the file's own volume, each file with its .trashinfo (a name too
// long for the trash keeps its start and extension there, the whole one in
// the .trashinfo, so that it comes back under its own). On Windows the Recycle
// Bin of the file's drive, with undo.
Result<void> moveToTrash(const std::string& path);

// Moves files to the trash one after another, as moveToTrash does: each
// volume's trash is looked for once, and held open only while this lives, so
// that nothing keeps a volume busy (a stick that will not unmount) between
// moves. For one thread.
class TrashMoves {
public:
    TrashMoves();
    ~TrashMoves();
    TrashMoves(const TrashMoves&) = delete;
    TrashMoves& operator=(const TrashMoves&) = delete;
    Result<void> move(const std::string& path);

    struct State;

private:
    std::unique_ptr<State> state_;
};

}  // namespace pitbox::platform
