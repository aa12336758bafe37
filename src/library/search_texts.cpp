#include "library/search_texts.h"

#include "library/track_filter.h"

namespace pitbox {

void SearchTexts::prepare(const Catalogue& catalogue) {
    if (ready_) return;
    ready_ = true;
    text_.clear();
    at_.clear();
    end_.clear();
    at_.reserve(catalogue.count());
    end_.reserve(catalogue.count());
    // Folding seldom makes a text longer: room for the texts as they are, and
    // a little more, rather than the block doubling its way there (over a
    // million tracks it would end up to twice as large as its texts).
    std::size_t bytes = 0;
    for (const TrackEntry& e : catalogue.entries())
        bytes += e.name.size() + e.author.size() + e.record.size() + catalogue.pathBelowRoot(e).size() + 4;
    text_.reserve(bytes + bytes / 16);
    for (std::size_t id = 0; id < catalogue.count(); ++id) {
        at_.push_back(static_cast<std::uint32_t>(text_.size()));
        const TrackEntry& e = catalogue.byId(static_cast<std::uint32_t>(id));
        appendSearchText(text_, e, catalogue.pathBelowRoot(e));
        end_.push_back(static_cast<std::uint32_t>(text_.size()));
    }
    live_ = text_.size();
}

bool SearchTexts::changed(const Catalogue& catalogue, std::span<const TrackEntry* const> entries) {
    if (!ready_) return false;  // folded when first needed
    for (const TrackEntry* e : entries) {
        if (e->id >= at_.size()) continue;
        live_ -= end_[e->id] - at_[e->id];
        at_[e->id] = static_cast<std::uint32_t>(text_.size());
        appendSearchText(text_, *e, catalogue.pathBelowRoot(*e));
        end_[e->id] = static_cast<std::uint32_t>(text_.size());
        live_ += end_[e->id] - at_[e->id];
    }
    if (text_.size() > 3 * live_) pack();
    return true;
}

void SearchTexts::pack() {
    std::string packed;
    packed.reserve(live_);
    for (std::size_t id = 0; id < at_.size(); ++id) {
        const std::size_t at = packed.size();
        packed.append(text_, at_[id], end_[id] - at_[id]);
        at_[id] = static_cast<std::uint32_t>(at);
        end_[id] = static_cast<std::uint32_t>(packed.size());
    }
    text_ = std::move(packed);
}

}  // namespace pitbox
