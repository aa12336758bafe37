#include "platform/win32/temporaries.h"

#include <atomic>
#include <mutex>
#include <utility>
#include <vector>

#include "platform/interrupts.h"

namespace pitbox::platform {
namespace {

// The handler runs on a thread of its own, hence the lock.
std::mutex liveLock;
std::vector<std::pair<std::wstring, HANDLE>> live;

// The stop flags of work that tidies up itself, and whether an interrupt came.
std::mutex stopsLock;
std::vector<std::atomic<bool>*> stops;
std::atomic<bool> interrupted{false};

void removeTemporaries() {
    const std::lock_guard<std::mutex> hold(liveLock);
    for (auto& [path, handle] : live) {
        CloseHandle(handle);
        DeleteFileW(path.c_str());
    }
    live.clear();
}

// Work that tidies up is stopped and given a few seconds to end the process
// itself (Windows ends a closing console's process after five); a second
// interrupt, or one with no such work, ends it now.
BOOL WINAPI onInterrupt(DWORD) {
    if (!interrupted.exchange(true)) {
        bool working = false;
        {
            const std::lock_guard<std::mutex> hold(stopsLock);
            for (std::atomic<bool>* stop : stops) stop->store(true);
            working = !stops.empty();
        }
        if (working) Sleep(4000);
    }
    removeTemporaries();
    return FALSE;  // and end as Windows would have
}

void installHandler() {
    static const bool installed = SetConsoleCtrlHandler(onInterrupt, TRUE) != 0;
    (void)installed;
}

}  // namespace

void rememberTemporary(const std::wstring& path, HANDLE handle) {
    installHandler();
    const std::lock_guard<std::mutex> hold(liveLock);
    live.emplace_back(path, handle);
}

void forgetTemporary(const std::wstring& path) {
    const std::lock_guard<std::mutex> hold(liveLock);
    std::erase_if(live, [&](const auto& entry) { return entry.first == path; });
}

StopOnInterrupt::StopOnInterrupt(std::atomic<bool>& stop) : stop_(stop) {
    installHandler();
    const std::lock_guard<std::mutex> hold(stopsLock);
    stops.push_back(&stop);
    if (interrupted) stop.store(true);
}

StopOnInterrupt::~StopOnInterrupt() {
    bool last = false;
    {
        const std::lock_guard<std::mutex> hold(stopsLock);
        std::erase(stops, &stop_);
        last = stops.empty();
    }
    if (last && interrupted) {
        removeTemporaries();
        ExitProcess(static_cast<UINT>(STATUS_CONTROL_C_EXIT));
    }
}

}  // namespace pitbox::platform
