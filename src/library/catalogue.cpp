#include "library/catalogue.h"

#include <algorithm>
#include <functional>
#include <string_view>

#include "base/text.h"

namespace pitbox {

std::ostream& operator<<(std::ostream& out, Text text) { return out << text.view(); }

Text TextPool::store(std::string_view a, std::string_view b) {
    constexpr std::size_t kBlock = std::size_t{1} << 18;
    const std::size_t size = a.size() + b.size();
    if (size == 0) return {};
    bytes_ += size;
    if (size > left_) {
        const std::size_t block = std::max(size, kBlock);
        blocks_.push_back(std::make_unique_for_overwrite<char[]>(block));
        free_ = blocks_.back().get();
        left_ = block;
    }
    char* at = free_;
    std::copy(a.begin(), a.end(), at);
    std::copy(b.begin(), b.end(), at + a.size());
    free_ += size;
    left_ -= size;
    return Text(std::string_view(at, size));
}

void Catalogue::clear() {
    order_.clear();
    chunks_.clear();
    pool_ = std::make_shared<TextPool>();
    textBytes_ = 0;
}

TrackEntry& Catalogue::append() {
    if (!pool_) pool_ = std::make_shared<TextPool>();  // a catalogue moved from
    if (chunks_.empty() || chunks_.back()->size() == kChunk) {
        chunks_.push_back(std::make_unique<std::vector<TrackEntry>>());
        chunks_.back()->reserve(kChunk);
    }
    TrackEntry& e = chunks_.back()->emplace_back();
    e.id = static_cast<std::uint32_t>(order_.size());
    order_.push_back(&e);
    return e;
}

std::string problemText(const TrackEntry& e) {
    if (!e.problemAfterPath) return std::string(e.problem.view());
    return visibleControls(e.path) + ": " + std::string(e.problem.view());
}

namespace {

bool nameInPath(const TrackEntry& e) {
    const std::string_view path = e.path.view(), name = e.name.view();
    const std::less_equal<const char*> atOrBefore;
    return !name.empty() && atOrBefore(path.data(), name.data()) &&
           atOrBefore(name.data() + name.size(), path.data() + path.size());
}

}  // namespace

TrackEntry& Catalogue::appendAsIs(const TrackEntry& e) {
    TrackEntry& added = append();
    const std::uint32_t id = added.id;
    added = e;
    added.id = id;
    return added;
}

TrackEntry& Catalogue::append(const TrackEntry& e) {
    TrackEntry& added = appendAsIs(e);
    for (Text* text : {&added.author, &added.record, &added.path, &added.problem}) *text = keep(*text);
    // A name that is part of its path stays so, with no copy of its own.
    if (nameInPath(e))
        added.name =
            Text(added.path.view().substr(static_cast<std::size_t>(e.name.data() - e.path.data()), e.name.size()));
    else
        added.name = keep(e.name);
    return added;
}

void Catalogue::shareTextsOf(const Catalogue& other) {
    if (other.pool_) pool_ = other.pool_;
}

TrackEntry& Catalogue::appendSharing(const TrackEntry& e) {
    TrackEntry& added = appendAsIs(e);
    for (const Text text : {e.author, e.record, e.path, e.problem}) textBytes_ += text.size();
    if (!nameInPath(e)) textBytes_ += e.name.size();
    return added;
}

bool Catalogue::dropUnusedTexts() {
    // Some slack, so that a small library is not copied at each change.
    constexpr std::size_t kSlack = std::size_t{1} << 20;
    if (pool_->bytes() <= 2 * textBytes_ + kSlack) return false;
    Catalogue own;
    for (const auto& chunk : chunks_)
        for (const TrackEntry& e : *chunk) own.append(e);
    for (TrackEntry*& e : order_) e = &own.byId(e->id);
    own.order_ = std::move(order_);
    own.root_ = std::move(root_);
    *this = std::move(own);
    return true;
}

}  // namespace pitbox
