#pragma once
#include <memory>
#include <string>
#include <string_view>
#include <vector>

#include "base/result.h"

namespace pitbox::platform {

// A new version of a file that takes the old one's place only as a whole. The
// bytes go to a temporary file in the target's folder (a short name of fixed
// length, so that every legal target name works); committing makes them durable
// and then renames the temporary file over the target in one step. Until then an
// existing target stays as it was, and a replacement given up leaves nothing
// behind. When the target is a link, the file it points to is replaced; an
// existing file keeps its permission bits.
class FileReplacement {
public:
    static Result<FileReplacement> create(const std::string& target);
    FileReplacement(FileReplacement&& other) noexcept;
    FileReplacement& operator=(FileReplacement&&) = delete;
    FileReplacement(const FileReplacement&) = delete;
    FileReplacement& operator=(const FileReplacement&) = delete;
    ~FileReplacement();

    Result<void> write(std::string_view bytes);
    // Copies the whole of a regular file. Fails when the source is the target
    // itself, and when its size changes while it is copied.
    Result<void> copyFrom(const std::string& source);
    // Closes the temporary file once everything is written, so that many
    // replacements can wait for one commit without holding a descriptor each.
    Result<void> finishWriting();
    const std::string& target() const;

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

// Writes a whole file through a replacement.
Result<void> replaceFile(const std::string& target, std::string_view bytes);

}  // namespace pitbox::platform
