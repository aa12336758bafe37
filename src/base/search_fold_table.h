#pragma once
#include <cstddef>
#include <cstdint>

// The search folding's table, made at build time from the Unicode Character
// Database by tools/make_search_fold.py: every character that folds to
// something else, in code order, with its folded text in the pool.
namespace pitbox::fold {

struct Mapping {
    std::uint32_t code;
    std::uint16_t at;  // the folded text's first byte in kPool
    std::uint8_t length;
};

extern const char kPool[];
extern const Mapping kMappings[];
extern const std::size_t kMappingCount;

}  // namespace pitbox::fold
