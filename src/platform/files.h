#pragma once
#include <chrono>
#include <cstddef>
#include <cstdint>
#include <memory>
#include <optional>
#include <span>
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
// What tells a changed file from an unchanged one, as version control systems
// tell it: its size, when it was last written and (on Linux) when its inode
// changed and its file number, so that a file replaced by another of the same
// size and time (moved over it, unpacked from an archive) is told apart; on
// Windows the creation time, which a file moved over another brings with it.
// A time too recent to rule out another change within the same tick of the
// file system's clock (whole or even seconds on FAT) leaves the stamp
// unsettled: the file counts as changed the next time it is looked at.
// Packed to four bytes: a library keeps one for each of its million tracks,
// and the flag would otherwise cost eight.
#pragma pack(push, 4)
struct FileStamp {
    std::uint64_t size = 0;
    std::int64_t modified = 0;  // in the system's own ticks, as `changed`
    std::int64_t changed = 0;
    std::uint64_t index = 0;  // 0 where the look does not give it
    bool settled = false;
    bool operator==(const FileStamp&) const = default;
};
#pragma pack(pop)
// How much older than the look a file's times must be for its stamp to be
// settled: 3 s, as FAT keeps times in two-second steps. Tests that look at
// files they have just made shorten it.
std::chrono::milliseconds settleTime();
void setSettleTime(std::chrono::milliseconds time);
// Whether a file stamped `then` is the same now, stamped `now`.
inline bool unchangedSince(const FileStamp& then, const std::optional<FileStamp>& now) {
    return then.settled && now && *now == then;
}
struct FileStatus {
    FileKey key;
    std::uint64_t size = 0;
    std::int64_t modified = 0;
    bool regular = true;  // not a folder, pipe, socket or device
};
Result<FileStatus> fileStatus(const std::string& path);
// A file's stamp (links followed), by the quickest look the system has; none
// when it cannot be had.
std::optional<FileStamp> fileStamp(const std::string& path);

// A regular file open for reading from its start, a piece at a time, so that
// files of any size are read in little memory. Only a regular file is opened,
// as readRegularFile opens it.
class FileReader {
public:
    static Result<FileReader> open(const std::string& path);
    FileReader(FileReader&&) noexcept;
    FileReader& operator=(FileReader&&) noexcept;
    ~FileReader();
    // Fills `into` as far as the file goes; 0 at its end.
    Result<std::size_t> read(std::span<std::uint8_t> into);
    // The next read starts `offset` bytes into the file.
    Result<void> seek(std::uint64_t offset);
    std::uint64_t size() const;  // when it was opened
    const std::string& path() const;

    struct State;

private:
    explicit FileReader(std::unique_ptr<State> state);
    std::unique_ptr<State> state_;
};

// Makes one folder (its parent must exist) and returns its path as made, ending
// in the separator (on Windows a typed name loses trailing dots and spaces, and a
// device name is refused). Fails with Exists when the name is taken.
Result<std::string> makeFolder(const std::string& path);
// Makes a folder and every missing one on its way; one that is there is made.
Result<void> makeFolders(const std::string& folder);

// The path a path finally names: a link in its last part (on Windows a
// junction or a link to a folder too) followed to its end, so that what is
// replaced there is what the link leads to and the link stays a link. A path
// that is no link, or is not there, is given back as it is; a link to nothing
// fails (NotRegularFile).
Result<std::string> followLinks(const std::string& path);

// The names of the entries of one folder (not below it), in no set order.
Result<std::vector<std::string>> namesInFolder(const std::string& folder);

// Gives a file another name in the same folder, replacing a file of that name.
Result<void> renameFile(const std::string& from, const std::string& to);

// Removes a file; one that is not there counts as removed.
Result<void> removeFile(const std::string& path);
// Removes an empty folder; one that is not there counts as removed, one that
// holds anything stays and fails.
Result<void> removeFolder(const std::string& folder);

// The folder where this user's programs keep their state, ending in the
// separator ($XDG_STATE_HOME, else ~/.local/state; on Windows %LOCALAPPDATA%);
// empty when the system names none.
std::string userStateFolder();

// The working folder, ending in the separator.
std::string workingFolder();

}  // namespace pitbox::platform
