#pragma once
#include <memory>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "base/result.h"
#include "platform/files.h"

namespace pitbox::platform {

// A new version of a file that takes the old one's place only as a whole. The
// bytes go to a temporary file in the target's folder (.pitbox-XXXXXXXX, a short
// name of fixed length, so that every legal target name works); committing makes
// them durable, renames the temporary file over the target in one step and makes
// the folder durable. Until then an existing target stays as it was, and a
// replacement given up, or interrupted by a signal or Ctrl+C, leaves nothing
// behind. A temporary is locked while it is written, so that the next copy into
// its folder can tell one whose writer was killed outright and remove it.
// Only a regular file is replaced: when the target is a link, the file it
// points to, and a link to nothing, a folder, pipe or device is refused. An
// existing file keeps its permission bits. A write-protected (read-only) file
// is never replaced. Each replacement holds one open file until it is committed; of
// more than kMostLiveReplacements at once, the later ones are not removed on
// an interrupt.
inline constexpr std::size_t kMostLiveReplacements = 1024;

class FileReplacement {
public:
    static Result<FileReplacement> create(const std::string& target);
    FileReplacement(FileReplacement&& other) noexcept;
    FileReplacement& operator=(FileReplacement&&) = delete;
    FileReplacement(const FileReplacement&) = delete;
    FileReplacement& operator=(const FileReplacement&) = delete;
    ~FileReplacement();

    Result<void> write(std::string_view bytes);
    // Copies the whole of a regular file and tells how many bytes it had. Fails
    // when the source is the target itself, and when it changes while it is
    // copied (its size, its time, or on Linux its change time differ after).
    Result<std::uint64_t> copyFrom(const std::string& source);
    const std::string& target() const;
    // Where the bytes will land, links followed: two replacements with equal
    // destinations would write one file.
    const std::string& destination() const;
    // The file the replacement will take the place of, if there is one.
    std::optional<FileKey> replaces() const;

    struct State;

private:
    explicit FileReplacement(std::unique_ptr<State> state);
    friend std::vector<Result<void>> commitAll(std::vector<FileReplacement>& batch);
    std::unique_ptr<State> state_;
};

// Puts replacements in place: first their bytes reach the disk (one flush for the
// whole batch where the system allows it), then each is renamed over its target.
// One result per replacement, in order; the batch is used up either way.
std::vector<Result<void>> commitAll(std::vector<FileReplacement>& batch);
Result<void> commit(FileReplacement&& replacement);

// Removes the temporaries in `folder` whose writer has ended without removing
// them (killed outright, or a power cut); those of running copies stay.
void removeDeadTemporaries(const std::string& folder);

// Writes a whole file through a replacement.
Result<void> replaceFile(const std::string& target, std::string_view bytes);

}  // namespace pitbox::platform
