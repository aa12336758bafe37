// Reading whole files, the same on every system: through FileReader.
#include <algorithm>

#include "platform/files.h"

namespace pitbox::platform {
namespace {

// Reads from the start of an open file until `room` bytes or its end. The
// buffer is made as large as the file said it was (and a byte more, to see it
// grow), and larger only if it did grow: a large limit costs nothing.
Result<std::size_t> readUpTo(FileReader& file, std::size_t room, std::vector<std::uint8_t>& into) {
    const std::uint64_t size = file.size();
    const std::size_t first = size < room ? static_cast<std::size_t>(size) + 1 : room;
    if (into.size() < first) into.resize(first);
    std::size_t got = 0;
    while (got < room) {
        if (got == into.size()) into.resize(std::min(room, got * 2));
        auto n = file.read(std::span(into).subspan(got, std::min(room, into.size()) - got));
        if (!n) return n.error();
        if (*n == 0) break;
        got += *n;
    }
    return got;
}

}  // namespace

Result<std::size_t> readRegularFile(const std::string& path, std::size_t maxBytes, std::vector<std::uint8_t>& into) {
    auto file = FileReader::open(path);
    if (!file) return file.error();
    const auto tooLarge = [&] {
        return Error{ErrorCode::TooLarge, path, "larger than " + std::to_string(maxBytes) + " bytes"};
    };
    if (file->size() > maxBytes) return tooLarge();
    // One byte of room past the limit tells a file that grew after it was opened.
    auto got = readUpTo(*file, maxBytes + 1, into);
    if (got && *got > maxBytes) return tooLarge();
    return got;
}

}  // namespace pitbox::platform
