#pragma once
#include <cassert>
#include <string>
#include <utility>
#include <variant>

namespace pitbox {

// What went wrong, in a form the program can act on; the text is for people.
enum class ErrorCode {
    CannotOpen,      // no access, a folder where a file is wanted ...
    Missing,         // not there (when it was to be opened)
    NotRegularFile,  // a pipe, socket or device: never read
    TooLarge,
    ReadFailed,
    WriteFailed,
    Changed,         // the file changed while it was read
    SameFile,        // a copy onto its own source
    SameTarget,      // two copies of one run onto one file
    WouldLoseTrack,  // a copy onto a selected track whose own copy failed
    ReadOnly,        // a write-protected file: never replaced
    BadName,         // a name other programs could not open (a device name on Windows)
    OldFormat,
    Damaged,
    Exists,
    NotWatched,  // the system cannot report changes to a folder
    NoTrash,     // no trash can take the file, which stays where it is
    NoSpace,     // the volume is full (or the user's quota)
    Busy,        // another program holds it, and did not let go in time
};

// One failure: a code and a message that names the file or folder it concerns.
struct Error {
    ErrorCode code;
    std::string file;
    std::string reason;  // short, lower case: "not a regular file"

    // The one wording of a failure for people, in the status line and on
    // standard error alike: "file: reason", with control characters in the
    // name shown as their symbols, so no name can forge a second line.
    std::string message() const;
};

// A value or the error that stopped it. Result<void> carries no value.
template <class T>
class [[nodiscard]] Result {
public:
    Result(T value) : v_(std::move(value)) {}      // NOLINT(google-explicit-constructor)
    Result(Error error) : v_(std::move(error)) {}  // NOLINT(google-explicit-constructor)

    bool ok() const { return v_.index() == 0; }
    explicit operator bool() const { return ok(); }
    T& value() {
        assert(ok());
        return std::get<0>(v_);
    }
    const T& value() const {
        assert(ok());
        return std::get<0>(v_);
    }
    T* operator->() { return &value(); }
    const T* operator->() const { return &value(); }
    T& operator*() { return value(); }
    const T& operator*() const { return value(); }
    const Error& error() const {
        assert(!ok());
        return std::get<1>(v_);
    }

private:
    std::variant<T, Error> v_;
};

template <>
class [[nodiscard]] Result<void> {
public:
    Result() = default;
    Result(Error error) : error_(std::move(error)), failed_(true) {}  // NOLINT(google-explicit-constructor)

    bool ok() const { return !failed_; }
    explicit operator bool() const { return ok(); }
    const Error& error() const {
        assert(failed_);
        return error_;
    }

private:
    Error error_{ErrorCode::CannotOpen, {}, {}};
    bool failed_ = false;
};

}  // namespace pitbox
