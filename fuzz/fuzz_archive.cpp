// libFuzzer target: a pack of any bytes, listed as Load lists it and each
// member read as Scan reads it, through a file as the program meets packs.
#include <unistd.h>

#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <string>
#include <vector>

#include "platform/archives.h"
#include "trackfile/header_reader.h"
#include "trackfile/track_buffer.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    static const std::string path = "/tmp/pitbox-fuzz-" + std::to_string(getpid()) + ".zip";
    std::FILE* f = std::fopen(path.c_str(), "wb");
    if (!f) return 0;
    std::fwrite(data, 1, size, f);
    std::fclose(f);
    std::vector<std::uint8_t> bytes;
    (void)pitbox::platform::forEachMember(
        path, [&](const pitbox::platform::ArchiveMember&, pitbox::platform::MemberBytes& member) {
            if (auto got = member.read(pitbox::kTrackBufferBytes, bytes)) {
                if (*got > pitbox::kTrackBufferBytes) __builtin_trap();
                // Exact-size copy, so that AddressSanitizer sees any read past the end.
                const std::vector<std::uint8_t> track(bytes.begin(), bytes.begin() + static_cast<std::ptrdiff_t>(*got));
                pitbox::HeaderFields h;
                (void)pitbox::readTrackHeader(track, h);
            }
            return true;
        });
    return 0;
}
