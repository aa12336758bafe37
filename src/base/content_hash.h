#pragma once
#include <cstdint>
#include <memory>
#include <span>

namespace pitbox {

// A 128-bit hash of bytes (XXH3, from the xxHash library): what the duplicate
// search groups files by before it compares them byte by byte. Not proof of
// equality, only a quick way to tell bytes apart.
struct Hash128 {
    std::uint64_t low = 0, high = 0;
    bool operator==(const Hash128&) const = default;
    bool operator<(const Hash128& other) const { return high != other.high ? high < other.high : low < other.low; }
};

// The hash of bytes given a piece at a time.
class ContentHash {
public:
    ContentHash();
    ~ContentHash();
    ContentHash(const ContentHash&) = delete;
    ContentHash& operator=(const ContentHash&) = delete;
    void add(std::span<const std::uint8_t> bytes);
    Hash128 digest() const;

private:
    struct State;
    std::unique_ptr<State> state_;
};

Hash128 hashOf(std::span<const std::uint8_t> bytes);

}  // namespace pitbox
