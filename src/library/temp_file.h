#pragma once
#include <optional>
#include <string>

namespace pitbox {

// A temporary file beside `target`, in the same folder, that either becomes the
// target by rename (commit) or is removed when the object goes away.
class TempFile {
public:
    explicit TempFile(const std::string& target);
    ~TempFile();
    TempFile(const TempFile&) = delete;
    TempFile& operator=(const TempFile&) = delete;

    bool ok() const { return fd_ >= 0; }
    int fd() const { return fd_; }
    const std::string& error() const { return error_; }
    // Closes the file and renames it over the target. Returns the reason on
    // failure (the temporary file is then removed).
    std::optional<std::string> commit();

private:
    std::string target_;
    std::string tempPath_;
    std::string error_;
    int fd_ = -1;
};

}  // namespace pitbox
