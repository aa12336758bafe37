#pragma once
#include <cstdint>
#include <optional>
#include <span>
#include <string>

namespace pitbox {

// Reads little-endian values out of a span of bytes. Every read names its offset
// (signed and 64-bit, so offsets derived from file values cannot wrap) and fails
// with an empty optional when any byte of it lies outside the span.
class ByteReader {
public:
    explicit ByteReader(std::span<const std::uint8_t> bytes) : bytes_(bytes) {}

    std::size_t size() const { return bytes_.size(); }
    bool covers(std::int64_t offset, std::int64_t count) const {
        return offset >= 0 && count >= 0 && static_cast<std::uint64_t>(offset) <= bytes_.size() &&
               static_cast<std::uint64_t>(count) <= bytes_.size() - static_cast<std::uint64_t>(offset);
    }

    std::optional<std::uint8_t> u8(std::int64_t at) const {
        if (!covers(at, 1)) return std::nullopt;
        return bytes_[static_cast<std::size_t>(at)];
    }
    std::optional<std::int8_t> s8(std::int64_t at) const {
        auto v = u8(at);
        if (!v) return std::nullopt;
        return static_cast<std::int8_t>(*v);
    }
    std::optional<std::uint16_t> u16(std::int64_t at) const {
        if (!covers(at, 2)) return std::nullopt;
        const auto* p = bytes_.data() + at;
        return static_cast<std::uint16_t>(p[0] | (p[1] << 8));
    }
    std::optional<std::int16_t> s16(std::int64_t at) const {
        auto v = u16(at);
        if (!v) return std::nullopt;
        return static_cast<std::int16_t>(*v);
    }
    std::optional<std::uint32_t> u32(std::int64_t at) const {
        if (!covers(at, 4)) return std::nullopt;
        const auto* p = bytes_.data() + at;
        return static_cast<std::uint32_t>(p[0]) | (static_cast<std::uint32_t>(p[1]) << 8) |
               (static_cast<std::uint32_t>(p[2]) << 16) | (static_cast<std::uint32_t>(p[3]) << 24);
    }
    std::optional<std::int32_t> s32(std::int64_t at) const {
        auto v = u32(at);
        if (!v) return std::nullopt;
        return static_cast<std::int32_t>(*v);
    }
    std::optional<std::span<const std::uint8_t>> bytes(std::int64_t at, std::int64_t count) const {
        if (!covers(at, count)) return std::nullopt;
        return bytes_.subspan(static_cast<std::size_t>(at), static_cast<std::size_t>(count));
    }
    // The raw bytes of a text field of the given width, ending early at the first
    // byte 0. The whole width must lie inside the span.
    std::optional<std::string> text(std::int64_t at, std::int64_t width) const {
        auto field = bytes(at, width);
        if (!field) return std::nullopt;
        std::string out;
        for (auto b : *field) {
            if (b == 0) break;
            out.push_back(static_cast<char>(b));
        }
        return out;
    }

private:
    std::span<const std::uint8_t> bytes_;
};

}  // namespace pitbox
