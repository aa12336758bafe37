#include "base/content_hash.h"

#define XXH_INLINE_ALL
#include <xxhash.h>

namespace pitbox {

struct ContentHash::State {
    XXH3_state_t xxh;
};

ContentHash::ContentHash() : state_(std::make_unique<State>()) { XXH3_128bits_reset(&state_->xxh); }
ContentHash::~ContentHash() = default;

void ContentHash::add(std::span<const std::uint8_t> bytes) {
    XXH3_128bits_update(&state_->xxh, bytes.data(), bytes.size());
}

Hash128 ContentHash::digest() const {
    const XXH128_hash_t h = XXH3_128bits_digest(&state_->xxh);
    return {h.low64, h.high64};
}

Hash128 hashOf(std::span<const std::uint8_t> bytes) {
    const XXH128_hash_t h = XXH3_128bits(bytes.data(), bytes.size());
    return {h.low64, h.high64};
}

}  // namespace pitbox
