#include "platform/linux/path_at.h"

#include <climits>

#include "platform/linux/system_error.h"
#include "platform/paths.h"

namespace pitbox::platform {
namespace {

// Opens the folder `path` names in pieces that each stay below the system's
// limit, every piece relative to the one before.
Result<FileDescriptor> openChain(std::string_view path, const std::string& forMessages) {
    FileDescriptor at(::open(!path.empty() && path[0] == '/' ? "/" : ".", O_PATH | O_DIRECTORY | O_CLOEXEC));
    if (!at.valid()) return systemError(ErrorCode::CannotOpen, forMessages);
    while (!path.empty() && path[0] == '/') path.remove_prefix(1);
    constexpr std::size_t kPiece = PATH_MAX - 256;
    while (!path.empty()) {
        std::size_t cut = path.size();
        if (cut > kPiece) {
            cut = path.rfind('/', kPiece);
            // A single name is at most NAME_MAX bytes, so a piece always has a separator.
            if (cut == std::string_view::npos || cut == 0)
                return systemError(ErrorCode::CannotOpen, forMessages, ENAMETOOLONG);
        }
        const std::string piece(path.substr(0, cut));
        FileDescriptor next(::openat(at.get(), piece.c_str(), O_PATH | O_DIRECTORY | O_CLOEXEC));
        if (!next.valid()) return systemError(ErrorCode::CannotOpen, forMessages);
        at = std::move(next);
        path.remove_prefix(cut);
        while (!path.empty() && path[0] == '/') path.remove_prefix(1);
    }
    return at;
}

}  // namespace

Result<PathAt> PathAt::of(const std::string& path) {
    PathAt at;
    if (path.size() < PATH_MAX) {
        at.name_ = path;
        return at;
    }
    auto folder = openChain(pathPart(path), path);
    if (!folder) return folder.error();
    at.folder_ = std::move(*folder);
    at.name_ = filePart(path);
    if (at.name_.empty()) at.name_ = ".";
    return at;
}

Result<FileDescriptor> openFolder(const std::string& path) {
    auto at = PathAt::of(path.empty() ? std::string(".") : path);
    if (!at) return at.error();
    FileDescriptor fd(::openat(at->folder(), at->name(), O_RDONLY | O_DIRECTORY | O_NONBLOCK | O_CLOEXEC));
    if (!fd.valid()) return systemError(ErrorCode::CannotOpen, path);
    return fd;
}

}  // namespace pitbox::platform
