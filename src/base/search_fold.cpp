#include "base/search_fold.h"

#include <algorithm>
#include <cstdint>

#include "base/search_fold_table.h"
#include "base/text.h"

namespace pitbox {
namespace {

const fold::Mapping* mappingOf(std::uint32_t code) {
    const fold::Mapping* end = fold::kMappings + fold::kMappingCount;
    const fold::Mapping* it = std::lower_bound(fold::kMappings, end, code,
                                               [](const fold::Mapping& m, std::uint32_t c) { return m.code < c; });
    return it != end && it->code == code ? it : nullptr;
}

}  // namespace

void appendSearchFolded(std::string& out, std::string_view utf8) {
    for (std::size_t i = 0; i < utf8.size();) {
        const auto c = static_cast<unsigned char>(utf8[i]);
        if (c < 0x80) {
            out += static_cast<char>(foldAscii(c));
            ++i;
            continue;
        }
        const Utf8Char d = utf8CharAt(utf8, i);
        if (d.bytes == 0) {
            out += static_cast<char>(c);
            ++i;
            continue;
        }
        if (const fold::Mapping* m = mappingOf(d.code))
            out.append(fold::kPool + m->at, m->length);
        else
            out.append(utf8.substr(i, d.bytes));
        i += d.bytes;
    }
}

void forEachSearchFold(const std::function<void(std::uint32_t code, std::string_view folded)>& each) {
    for (std::size_t i = 0; i < fold::kMappingCount; ++i) {
        const fold::Mapping& m = fold::kMappings[i];
        each(m.code, std::string_view(fold::kPool + m.at, m.length));
    }
}

std::string searchFolded(std::string_view utf8) {
    std::string out;
    out.reserve(utf8.size());
    appendSearchFolded(out, utf8);
    return out;
}

}  // namespace pitbox
