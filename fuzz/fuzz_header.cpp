// libFuzzer target: the header reader over any bytes.
#include <cstddef>
#include <cstdint>
#include <vector>

#include "trackfile/header_reader.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    // An exact-size copy, so that AddressSanitizer sees any read past the end.
    const std::vector<std::uint8_t> bytes(data, data + size);
    pitbox::HeaderFields fresh;
    (void)pitbox::readTrackHeader(bytes, fresh);
    pitbox::HeaderFields used;
    used.author = "earlier";
    used.objectCount = 20000;
    used.objectTableAt = 1 << 30;
    (void)pitbox::readTrackHeader(bytes, used);
    return 0;
}
