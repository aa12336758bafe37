#pragma once
#include <chrono>
#include <memory>
#include <string>

#include "base/result.h"

namespace pitbox::platform {

// A lock that a process holds on a file for as long as it lives, and lets go
// of however it ends (killed outright too), so that programs take turns at a
// shared file and one can tell a live holder's work from what a killed one
// left. The file is only a name to lock: it is made when missing, and stays
// unless the holder removes it. flock on Linux, LockFileEx on Windows.
class FileLock {
public:
    // Takes the lock, waiting up to `wait` while another holds it; Busy when
    // it is held still.
    static Result<FileLock> take(const std::string& path, std::chrono::milliseconds wait = {});
    FileLock(FileLock&& other) noexcept;
    FileLock& operator=(FileLock&& other) noexcept;
    FileLock(const FileLock&) = delete;
    FileLock& operator=(const FileLock&) = delete;
    ~FileLock();  // lets go

    // Removes the file, then lets go: for a lock that marks a piece of work
    // that is over.
    void removeAndRelease();

    struct State;

private:
    explicit FileLock(std::unique_ptr<State> state);
    std::unique_ptr<State> state_;
};

}  // namespace pitbox::platform
