// libFuzzer target: the remembered library's reader over any bytes, as they
// come and sealed with a right sum, so that the reader behind the sum is reached.
#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

#include "library/library_store.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    // Exact-size copies, so that AddressSanitizer sees any read past the end.
    const std::vector<std::uint8_t> raw(data, data + size);
    (void)pitbox::decodeLibrary(raw, "fuzz");
    const std::string sealed = pitbox::sealLibrary({reinterpret_cast<const char*>(data), size});
    const std::vector<std::uint8_t> bytes(sealed.begin(), sealed.end());
    if (auto library = pitbox::decodeLibrary(bytes, "fuzz")) {
        // What was read writes back to the same bytes. Each folder's tracks that
        // could be read are written as they are read: tracks written, read and
        // written again come out the same (the first writing may differ from
        // the fuzzed bytes, which may number their texts in another order).
        if (pitbox::encodeLibrary(*library) != sealed) __builtin_trap();
        for (const pitbox::RememberedFolder& f : library->folders) {
            auto tracks = library->tracksOf(f.folder, "fuzz");
            if (!tracks) continue;
            pitbox::RememberedLibrary again;
            again.remember(f.folder, *tracks);
            auto back = again.tracksOf(f.folder, "fuzz");
            if (!back || pitbox::encodeTracks(*back) != again.folders.front().tracks) __builtin_trap();
        }
    }
    return 0;
}
