#include "library/catalogue.h"

#include <algorithm>
#include <bit>
#include <functional>
#include <string_view>

#include "base/text.h"
#include "platform/paths.h"

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

const FolderText* TextPool::storeFolder(std::string_view folder) {
    if (folder.empty()) return &kNoFolder;
    // The tracks of a folder mostly come one after another.
    if (lastFolder_ && lastFolder_->text.view() == folder) return lastFolder_;
    const std::size_t hash = std::hash<std::string_view>{}(folder);
    if (!folderSlots_.empty()) {
        const std::size_t mask = folderSlots_.size() - 1;
        for (std::size_t at = hash & mask; folderSlots_[at] != 0; at = (at + 1) & mask)
            if (const FolderText& f = folders_[folderSlots_[at] - 1]; f.text.view() == folder) return lastFolder_ = &f;
    }
    folders_.push_back({store(folder), static_cast<std::uint32_t>(folders_.size() + 1)});
    folderBytes_ += folder.size();
    // At most half the slots in use, so that a look ends soon.
    if (2 * folders_.size() > folderSlots_.size()) {
        folderSlots_.assign(std::bit_ceil(std::max<std::size_t>(64, 4 * folders_.size())), 0);
        for (std::size_t i = 0; i < folders_.size(); ++i) placeFolder(static_cast<std::uint32_t>(i));
    } else {
        placeFolder(static_cast<std::uint32_t>(folders_.size() - 1));
    }
    return lastFolder_ = &folders_.back();
}

void TextPool::placeFolder(std::uint32_t index) {
    const std::size_t mask = folderSlots_.size() - 1;
    std::size_t at = std::hash<std::string_view>{}(folders_[index].text.view()) & mask;
    while (folderSlots_[at] != 0) at = (at + 1) & mask;
    folderSlots_[at] = index + 1;
}

PathKey pathKey(std::string_view path) { return {platform::pathPart(path), platform::filePart(path)}; }

bool arePathParts(std::string_view folder, std::string_view file) {
    return !folder.empty() && platform::isSeparator(folder.back()) &&
           platform::lastSeparator(file) == std::string_view::npos;
}

std::string TrackEntry::path() const {
    std::string p;
    p.reserve(pathSize());
    return p.append(folderPath()).append(file.view());
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
    const auto id = static_cast<std::uint32_t>(ids());
    TrackEntry& e = chunks_.back()->emplace_back();
    e.id = id;
    order_.push_back(&e);
    return e;
}

std::string problemText(const TrackEntry& e) {
    if (!e.problemAfterPath) return std::string(e.problem.view());
    return visibleControls(e.path()) + ": " + std::string(e.problem.view());
}

namespace {

bool nameInFile(const TrackEntry& e) {
    const std::string_view file = e.file.view(), name = e.name.view();
    const std::less_equal<const char*> atOrBefore;
    return !name.empty() && atOrBefore(file.data(), name.data()) &&
           atOrBefore(name.data() + name.size(), file.data() + file.size());
}

// The bytes of an entry's own texts in its catalogue's pool.
std::size_t textBytesOf(const TrackEntry& e) {
    std::size_t bytes = e.author.size() + e.record.size() + e.file.size() + e.problem.size();
    return nameInFile(e) ? bytes : bytes + e.name.size();
}

}  // namespace

void Catalogue::setPath(TrackEntry& e, std::string_view a, std::string_view b) {
    textBytes_ -= std::min(textBytes_, e.file.size());
    // Nearly always the folder with its separator and then the name; a path
    // given whole, or a folder not ending where the system's separators say,
    // is split again.
    if (!arePathParts(a, b)) {
        const std::string whole = std::string(a).append(b);
        e.folder = folderText(platform::pathPart(whole));
        e.file = keep(platform::filePart(whole));
        return;
    }
    e.folder = folderText(a);
    e.file = keep(b);
}

TrackEntry& Catalogue::appendAsIs(const TrackEntry& e) {
    TrackEntry& added = append();
    const std::uint32_t id = added.id;
    added = e;
    added.id = id;
    return added;
}

TrackEntry& Catalogue::append(const TrackEntry& e) {
    TrackEntry& added = appendAsIs(e);
    for (Text* text : {&added.author, &added.record, &added.file, &added.problem}) *text = keep(*text);
    added.folder = folderText(e.folderPath());
    // A name that is part of its file's name stays so, with no copy of its own.
    if (nameInFile(e))
        added.name =
            Text(added.file.view().substr(static_cast<std::size_t>(e.name.data() - e.file.data()), e.name.size()));
    else
        added.name = keep(e.name);
    return added;
}

void Catalogue::shareTextsOf(const Catalogue& other) {
    if (other.pool_) pool_ = other.pool_;
}

TrackEntry& Catalogue::appendSharing(const TrackEntry& e) {
    TrackEntry& added = appendAsIs(e);
    textBytes_ += textBytesOf(e);
    return added;
}

void Catalogue::reorder(std::vector<TrackEntry*> order) {
    std::vector<std::uint8_t> kept(ids(), 0);
    for (const TrackEntry* e : order) kept[e->id] = 1;
    for (const TrackEntry* e : order_)
        if (!kept[e->id]) textBytes_ -= std::min(textBytes_, textBytesOf(*e));
    order_ = std::move(order);
}

namespace {

// Some slack, so that a small library is not made again at each change.
constexpr std::size_t kUnusedBytes = std::size_t{1} << 20;
constexpr std::size_t kUnusedEntries = 4096;

}  // namespace

bool Catalogue::textsMostlyUnused() const { return pool_ && pool_->bytes() > 2 * textBytes_ + kUnusedBytes; }

bool Catalogue::mostlyUnused() const { return ids() > 2 * count() + kUnusedEntries || textsMostlyUnused(); }

bool Catalogue::dropUnusedTexts() {
    if (!textsMostlyUnused()) return false;
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
