#include "library/store_file.h"

#include <memory>
#include <vector>

#include "platform/file_replacement.h"
#include "platform/files.h"
#include "platform/paths.h"

namespace pitbox {
namespace {

Error damagedStore(const std::string& file) { return Error{ErrorCode::Damaged, file, "a damaged library store"}; }

}  // namespace

std::string libraryStorePath() {
    const std::string folder = platform::userStateFolder();
    if (folder.empty()) return {};
#ifdef _WIN32
    return folder + "Kestrun Pitbox\\library.dat";
#else
    return folder + "kestrun-pitbox/library.dat";
#endif
}

Result<std::optional<RememberedLibrary>> readLibrary(const std::string& path) {
    // Some tens of bytes a track: ten million tracks fit under the limit.
    constexpr std::size_t kMostBytes = std::size_t{1} << 30;
    auto bytes = std::make_shared<std::vector<std::uint8_t>>();
    auto read = platform::readRegularFile(path, kMostBytes, *bytes);
    if (!read) {
        // Nothing there is a first start, not a failure.
        if (read.error().code == ErrorCode::Missing) return std::optional<RememberedLibrary>();
        return read.error().code == ErrorCode::TooLarge ? damagedStore(path) : read.error();
    }
    bytes->resize(*read);
    auto library = decodeLibrary(bytes, path);
    const std::span<const std::uint8_t> store(*bytes);
    if (library) return std::optional<RememberedLibrary>(std::move(*library));
    // Another version's store is kept for the program that wrote it.
    const std::optional<std::uint32_t> version = storeVersion(store);
    if (!version || (*version >= 1 && *version <= kLibraryVersion)) return library.error();
    const std::string aside = path + ".v" + std::to_string(*version);
    if (auto moved = platform::renameFile(path, aside); !moved) return moved.error();
    return Error{ErrorCode::Damaged, path,
                 "a library store of another version, kept as " + std::string(platform::filePart(aside))};
}

Result<void> writeLibrary(const std::string& path, const RememberedLibrary& library) {
    // The folders on the way, made where missing (a fresh account has no state folder).
    const std::string folder(platform::pathPart(path));
    if (auto made = platform::makeFolders(folder); !made) return made.error();
    platform::removeDeadTemporaries(folder);
    return platform::replaceFile(path, encodeLibrary(library));
}

}  // namespace pitbox
