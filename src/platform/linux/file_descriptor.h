#pragma once
#include <utility>

namespace pitbox::platform {

// Owns one open file descriptor and closes it when it goes away.
class FileDescriptor {
public:
    FileDescriptor() = default;
    explicit FileDescriptor(int fd) : fd_(fd) {}
    FileDescriptor(FileDescriptor&& other) noexcept : fd_(std::exchange(other.fd_, -1)) {}
    FileDescriptor& operator=(FileDescriptor&& other) noexcept {
        if (this != &other) reset(std::exchange(other.fd_, -1));
        return *this;
    }
    FileDescriptor(const FileDescriptor&) = delete;
    FileDescriptor& operator=(const FileDescriptor&) = delete;
    ~FileDescriptor() { reset(); }

    int get() const { return fd_; }
    bool valid() const { return fd_ >= 0; }
    void reset(int fd = -1);
    // Gives the descriptor up to a new owner (a directory stream).
    int release() { return std::exchange(fd_, -1); }
    // Closes now and tells whether the close succeeded (a delayed write error
    // shows up here).
    bool close();

private:
    int fd_ = -1;
};

}  // namespace pitbox::platform
