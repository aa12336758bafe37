#pragma once
#include "platform/file_replacement.h"

namespace pitbox::platform {

// The temporary files this process is writing, so that an interrupt (SIGINT,
// SIGTERM, SIGHUP) removes them before the process ends; the same handler
// stops the work that tidies up itself (platform/interrupts.h). A temporary is a name
// of at most 16 bytes within an open folder. There are kTemporarySlots slots;
// a temporary that finds none still works, it is only not removed on a signal.
inline constexpr int kTemporarySlots = static_cast<int>(kMostLiveReplacements);
int rememberTemporary(int folder, const char* name);  // a slot, or -1
void forgetTemporary(int slot);

// Every temporary holds a lock while its writer lives:
// these take and test it.
bool lockTemporary(int fd);
// Removes the temporaries in `folder` whose writer has ended (a process killed
// outright, or a power cut); one that a running copy holds is left alone.
void removeDeadTemporaries(int folder);

}  // namespace pitbox::platform
