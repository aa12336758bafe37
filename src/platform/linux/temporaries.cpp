#include "platform/linux/temporaries.h"

#include <dirent.h>
#include <fcntl.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <unistd.h>

#include <atomic>
#include <csignal>
#include <cstring>

#include "platform/linux/file_descriptor.h"
#include "platform/linux/open_regular.h"
#include "platform/temporary_name.h"

namespace pitbox::platform {
namespace {

struct Slot {
    std::atomic<int> folder{-1};  // published last, after the name
    char name[24] = {};
};
Slot slots[kTemporarySlots];
constexpr int kSignals[] = {SIGINT, SIGTERM, SIGHUP};

// Only async-signal-safe calls: unlinkat and raise.
void removeAndDie(int signal) {
    for (Slot& slot : slots) {
        const int folder = slot.folder.load(std::memory_order_acquire);
        if (folder >= 0) ::unlinkat(folder, slot.name, 0);
    }
    ::raise(signal);  // the handler was reset on entry: this ends the process as the signal would have
}

void installHandlers() {
    static bool installed = false;
    if (installed) return;
    installed = true;
    for (int signal : kSignals) {
        struct sigaction current {};
        // A signal the process ignores (nohup) or handles itself keeps its handling.
        if (::sigaction(signal, nullptr, &current) != 0 || current.sa_handler != SIG_DFL) continue;
        struct sigaction action {};
        action.sa_handler = removeAndDie;
        action.sa_flags = static_cast<int>(SA_RESETHAND | SA_NODEFER);
        sigemptyset(&action.sa_mask);
        ::sigaction(signal, &action, nullptr);
    }
}

}  // namespace

int rememberTemporary(int folder, const char* name) {
    installHandlers();
    for (int i = 0; i < kTemporarySlots; ++i) {
        if (slots[i].folder.load(std::memory_order_relaxed) >= 0) continue;
        std::strncpy(slots[i].name, name, sizeof slots[i].name - 1);
        slots[i].folder.store(folder, std::memory_order_release);
        return i;
    }
    return -1;
}

void forgetTemporary(int slot) {
    if (slot >= 0) slots[slot].folder.store(-1, std::memory_order_release);
}

bool lockTemporary(int fd) { return ::flock(fd, LOCK_EX | LOCK_NB) == 0; }

void removeDeadTemporaries(int folder) {
    FileDescriptor listing(::openat(folder, ".", O_RDONLY | O_DIRECTORY | O_CLOEXEC));
    if (!listing.valid()) return;
    DIR* dir = ::fdopendir(listing.get());
    if (dir == nullptr) return;
    (void)listing.release();
    while (const dirent* entry = ::readdir(dir)) {
        if (!isTemporaryName(entry->d_name)) continue;
        FileDescriptor fd(::openat(folder, entry->d_name, O_RDONLY | O_NOFOLLOW | O_NONBLOCK | O_NOCTTY | O_CLOEXEC));
        struct stat held {
        }, named{};
        // Locked by nobody: its writer is gone. It is removed only while still
        // the file that was locked.
        if (fd.valid() && ::fstat(fd.get(), &held) == 0 && S_ISREG(held.st_mode) && lockTemporary(fd.get()) &&
            ::fstatat(folder, entry->d_name, &named, AT_SYMLINK_NOFOLLOW) == 0 && keyOf(named) == keyOf(held))
            ::unlinkat(folder, entry->d_name, 0);
    }
    ::closedir(dir);
}

}  // namespace pitbox::platform
