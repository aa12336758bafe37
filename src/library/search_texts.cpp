#include "library/search_texts.h"

namespace pitbox {

std::uint32_t SearchTexts::folderFor(std::string_view folded) {
    if (folderAt_.size() >= 2) {
        const std::size_t last = folderAt_.size() - 2;
        if (std::string_view(folders_).substr(folderAt_[last]) == folded) return static_cast<std::uint32_t>(last);
    }
    folders_ += folded;
    folderAt_.push_back(static_cast<std::uint32_t>(folders_.size()));
    return static_cast<std::uint32_t>(folderAt_.size() - 2);
}

void SearchTexts::prepare(const Catalogue& catalogue) {
    if (ready_) return;
    ready_ = true;
    own_.clear();
    at_.clear();
    end_.clear();
    folderOf_.clear();
    nameSize_.clear();
    folders_.clear();
    folderAt_.assign(1, 0);
    // Every id's, of the entries a change took out of the order too: few,
    // and an id's place is found without a look-up.
    const std::size_t ids = catalogue.ids();
    at_.reserve(ids);
    end_.reserve(ids);
    folderOf_.reserve(ids);
    nameSize_.reserve(ids);
    // Folding seldom makes a text longer: room for the texts as they are, and
    // a little more, rather than the block doubling its way there (over a
    // million tracks it would end up to twice as large as its texts).
    std::size_t bytes = 0;
    for (const TrackEntry& e : catalogue.entries()) {
        const std::string_view file = e.file;
        bytes += file.size() + e.author.size() + e.record.size() + 3;
        if (!file.starts_with(e.name)) bytes += e.name.size() + 1;  // a name kept apart
    }
    own_.reserve(bytes + bytes / 16);
    // The folder of the entry before: the next entry's is mostly the same,
    // and then is not folded again.
    const FolderText* lastFolder = nullptr;
    std::uint32_t folder = 0;
    for (std::size_t id = 0; id < ids; ++id) {
        const TrackEntry& e = catalogue.byId(static_cast<std::uint32_t>(id));
        at_.push_back(static_cast<std::uint32_t>(own_.size()));
        nameSize_.push_back(static_cast<std::uint16_t>(appendOwnSearchText(own_, e, e.file)));
        end_.push_back(static_cast<std::uint32_t>(own_.size()));
        if (e.folder != lastFolder) {
            folded_.clear();
            appendFolderSearchText(folded_, catalogue.folderBelowRoot(e));
            folder = folderFor(folded_);
            lastFolder = e.folder;
        }
        folderOf_.push_back(folder);
    }
    live_ = own_.size();
}

bool SearchTexts::changed(const Catalogue& catalogue, std::span<const TrackEntry* const> entries) {
    if (!ready_) return false;  // folded when first needed
    // Entries added since have their places made, each given its texts below.
    if (const std::size_t ids = catalogue.ids(); ids > at_.size()) {
        const std::uint32_t none = folderFor({});
        at_.resize(ids, static_cast<std::uint32_t>(own_.size()));
        end_.resize(ids, static_cast<std::uint32_t>(own_.size()));
        folderOf_.resize(ids, none);
        nameSize_.resize(ids, 0);
    }
    for (const TrackEntry* e : entries) {
        if (e->id >= at_.size()) continue;
        live_ -= end_[e->id] - at_[e->id];
        at_[e->id] = static_cast<std::uint32_t>(own_.size());
        nameSize_[e->id] = static_cast<std::uint16_t>(appendOwnSearchText(own_, *e, e->file));
        end_[e->id] = static_cast<std::uint32_t>(own_.size());
        live_ += end_[e->id] - at_[e->id];
        folded_.clear();
        appendFolderSearchText(folded_, catalogue.folderBelowRoot(*e));
        if (ofId(e->id).folder != folded_) folderOf_[e->id] = folderFor(folded_);
    }
    if (own_.size() > 3 * live_ || folderAt_.size() > 3 * (at_.size() + 1)) pack();
    return true;
}

void SearchTexts::pack() {
    std::string own;
    own.reserve(live_);
    for (std::size_t id = 0; id < at_.size(); ++id) {
        const std::size_t at = own.size();
        own.append(own_, at_[id], end_[id] - at_[id]);
        at_[id] = static_cast<std::uint32_t>(at);
        end_[id] = static_cast<std::uint32_t>(own.size());
    }
    own_ = std::move(own);
    // The folders still in use, in the order of their entries.
    std::string folders;
    std::vector<std::uint32_t> folderAt{0};
    std::vector<std::uint32_t> moved(folderAt_.size() - 1, UINT32_MAX);
    for (std::uint32_t& folder : folderOf_) {
        if (moved[folder] == UINT32_MAX) {
            folders.append(folders_, folderAt_[folder], folderAt_[folder + 1] - folderAt_[folder]);
            folderAt.push_back(static_cast<std::uint32_t>(folders.size()));
            moved[folder] = static_cast<std::uint32_t>(folderAt.size() - 2);
        }
        folder = moved[folder];
    }
    folders_ = std::move(folders);
    folderAt_ = std::move(folderAt);
}

}  // namespace pitbox
