#pragma once
#include <cstdint>
#include <string>
#include <string_view>

namespace pitbox::test {

// The body of a library store written field by field, as an older version of
// the program laid it out: little-endian numbers, texts after their length.
struct StoreBytes {
    std::string body;
    void u32(std::uint32_t v) {
        for (int i = 0; i < 4; ++i) body += static_cast<char>(v >> (8 * i));
    }
    void text(std::string_view t) {
        u32(static_cast<std::uint32_t>(t.size()));
        body += t;
    }
    void flag(bool on) { body += on ? '\1' : '\0'; }
};

}  // namespace pitbox::test
