#include "platform/linux/temporaries.h"

#include <dirent.h>
#include <fcntl.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <unistd.h>

#include <atomic>
#include <csignal>
#include <cstring>

#include "platform/interrupts.h"
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

// The stop flags of work that tidies up after itself, and the interrupt that
// came while any was running.
constexpr int kStopSlots = 8;
std::atomic<std::atomic<bool>*> stops[kStopSlots];
std::atomic<int> liveStops{0};
std::atomic<int> pendingSignal{0};

// Only async-signal-safe calls: unlinkat, signal and raise.
void removeAndDie(int signal) {
    for (Slot& slot : slots) {
        const int folder = slot.folder.load(std::memory_order_acquire);
        if (folder >= 0) ::unlinkat(folder, slot.name, 0);
    }
    ::signal(signal, SIG_DFL);
    ::raise(signal);  // this ends the process as the signal would have
}

// The handler was reset on entry, so a second interrupt ends the process as it
// would have; work that tidies up is stopped and left to end it.
void onInterrupt(int signal) {
    if (liveStops.load(std::memory_order_acquire) == 0) return removeAndDie(signal);
    pendingSignal.store(signal, std::memory_order_release);
    for (auto& stop : stops)
        if (std::atomic<bool>* flag = stop.load(std::memory_order_acquire)) flag->store(true);
}

// Once, from whichever thread comes first.
void installHandlers() {
    static const bool installed = [] {
        for (int signal : kSignals) {
            struct sigaction current {};
            // A signal the process ignores (nohup) or handles itself keeps its handling.
            if (::sigaction(signal, nullptr, &current) != 0 || current.sa_handler != SIG_DFL) continue;
            struct sigaction action {};
            action.sa_handler = onInterrupt;
            // SA_RESTART: the calls of work that goes on tidying are not cut short.
            action.sa_flags = static_cast<int>(SA_RESETHAND | SA_NODEFER | SA_RESTART);
            sigemptyset(&action.sa_mask);
            ::sigaction(signal, &action, nullptr);
        }
        return true;
    }();
    (void)installed;
}

}  // namespace

StopOnInterrupt::StopOnInterrupt(std::atomic<bool>& stop) : stop_(stop) {
    installHandlers();
    for (int i = 0; i < kStopSlots && slot_ < 0; ++i) {
        std::atomic<bool>* none = nullptr;
        if (stops[i].compare_exchange_strong(none, &stop_)) slot_ = i;
    }
    if (slot_ >= 0) liveStops.fetch_add(1, std::memory_order_acq_rel);
    if (pendingSignal.load(std::memory_order_acquire) != 0) stop_.store(true);
}

StopOnInterrupt::~StopOnInterrupt() {
    if (slot_ < 0) return;
    stops[slot_].store(nullptr, std::memory_order_release);
    const int signal = pendingSignal.load(std::memory_order_acquire);
    if (liveStops.fetch_sub(1, std::memory_order_acq_rel) == 1 && signal != 0) removeAndDie(signal);
}

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
