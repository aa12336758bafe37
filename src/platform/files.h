#pragma once
#include <cstddef>
#include <cstdint>
#include <optional>
#include <string>
#include <vector>

#include "base/result.h"

namespace pitbox::platform {

// Reads a whole regular file into `into` (which keeps its storage between calls)
// and returns its length. Only regular files are read, also through links; a pipe,
// socket or device is refused without being opened, so no call can block. A file
// of more than `maxBytes` is refused as a whole, never cut. On failure `into` may
// hold any bytes.
Result<std::size_t> readRegularFile(const std::string& path, std::size_t maxBytes, std::vector<std::uint8_t>& into);
// Reads at most the first `bytes` bytes of a regular file into `into`, as
// above, whatever its size; returns how many it read and sets `size` to the
// file's whole size.
Result<std::size_t> readRegularFileStart(const std::string& path, std::size_t bytes, std::vector<std::uint8_t>& into,
                                         std::uint64_t& size);

// Which file a path leads to (links followed) and how large it is: two paths
// with equal keys are one file.
struct FileKey {
    std::uint64_t volume = 0;
    std::uint64_t index = 0;
    bool operator==(const FileKey&) const = default;
    bool operator<(const FileKey& other) const {
        return volume != other.volume ? volume < other.volume : index < other.index;
    }
};
// What tells a changed file from an unchanged one: its size and when it was
// last written (in the system's own ticks).
struct FileStamp {
    std::uint64_t size = 0;
    std::int64_t modified = 0;
    bool operator==(const FileStamp&) const = default;
};
struct FileStatus {
    FileKey key;
    std::uint64_t size = 0;
    std::int64_t modified = 0;
    FileStamp stamp() const { return {size, modified}; }
};
Result<FileStatus> fileStatus(const std::string& path);
// A file's size and time alone (links followed), by the quickest look the
// system has; none when it cannot be had.
std::optional<FileStamp> fileStamp(const std::string& path);

// Makes one folder (its parent must exist) and returns its path as made, ending
// in the separator (on Windows a typed name loses trailing dots and spaces, and a
// device name is refused). Fails with Exists when the name is taken.
Result<std::string> makeFolder(const std::string& path);

// Removes a file; one that is not there counts as removed.
Result<void> removeFile(const std::string& path);

// The folder where this user's programs keep their state, ending in the
// separator ($XDG_STATE_HOME, else ~/.local/state; on Windows %LOCALAPPDATA%);
// empty when the system names none.
std::string userStateFolder();

// The working folder, ending in the separator.
std::string workingFolder();

}  // namespace pitbox::platform
