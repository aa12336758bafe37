#include "library/already_there.h"

#include <algorithm>
#include <cctype>
#include <map>
#include <optional>
#include <span>
#include <unordered_map>

#include "base/content_hash.h"
#include "platform/archives.h"
#include "platform/files.h"
#include "platform/paths.h"

namespace pitbox {
namespace {

// Larger files are copied without a look: no track is near this.
constexpr std::size_t kLargestCompared = std::size_t{64} << 20;

struct Content {
    std::size_t size = 0;
    Hash128 hash;
    bool operator==(const Content&) const = default;
};

// The source whose bytes are looked for, and what each file looked at holds,
// so that every file is read once for each source it is held against, and a
// file known to differ is not read again.
class Contents {
public:
    // Reads the source; false when it cannot be read.
    bool lookFor(const std::string& source) {
        auto size = platform::readTrackSource(source, kLargestCompared, source_);
        if (!size) return false;
        source_.resize(*size);
        sought_ = Content{*size, hashOf(source_)};
        known_[source] = sought_;
        return true;
    }
    // Whether a file holds the source's bytes: equal hashes are only likely
    // equal bytes, the bytes decide.
    bool holdsSought(const std::string& path) {
        if (const auto known = known_.find(path); known != known_.end() && known->second != sought_) return false;
        auto size = platform::readRegularFile(path, kLargestCompared, bytes_);
        if (!size) {
            known_[path] = std::nullopt;
            return false;
        }
        known_[path] = Content{*size, hashOf(std::span(bytes_.data(), *size))};
        return *size == source_.size() && std::equal(source_.begin(), source_.end(), bytes_.begin());
    }

private:
    std::unordered_map<std::string, std::optional<Content>> known_;
    std::vector<std::uint8_t> source_, bytes_;
    Content sought_;
};

// The stems whose family a (folded) file name belongs to: Ring_2.trk is of
// ring_2's (its own name) and of ring's (a numbered name). The families are
// found by these keys, so that no element looks at every name in the folder.
std::vector<std::string> familiesOf(std::string_view name) {
    if (!name.ends_with(".trk")) return {};
    std::string stem(name.substr(0, name.size() - 4));
    std::vector<std::string> keys{stem};
    const std::size_t mark = stem.rfind('_');
    if (mark != std::string::npos && mark + 1 < stem.size() &&
        std::all_of(stem.begin() + static_cast<std::ptrdiff_t>(mark) + 1, stem.end(),
                    [](char c) { return std::isdigit(static_cast<unsigned char>(c)) != 0; }))
        keys.push_back(stem.substr(0, mark));
    return keys;
}

// A folder's names (or elements' targets) by the families they belong to.
using Families = std::unordered_map<std::string, std::vector<std::string>>;

}  // namespace

std::size_t dropTracksAlreadyThere(std::vector<CopyItem>& plan, const std::atomic<bool>* stop) {
    Contents contents;
    // Which element writes each target (folded).
    std::unordered_map<std::string, std::size_t> writer;
    for (std::size_t i = 0; i < plan.size(); ++i) writer.emplace(platform::foldedName(plan[i].target), i);
    // Each target folder's names, and the copies decided on, by family.
    std::map<std::string, Families> listed, copied;
    std::vector<bool> skipped(plan.size(), false);

    for (std::size_t i = 0; i < plan.size() && !(stop && stop->load(std::memory_order_relaxed)); ++i) {
        const CopyItem& item = plan[i];
        const std::string folder(platform::pathPart(item.target));
        const std::string ownName(platform::filePart(item.target));
        auto names = listed.find(folder);
        if (names == listed.end()) {
            Families byFamily;
            if (auto found = platform::namesInFolder(folder))
                for (const std::string& name : *found)
                    for (std::string& key : familiesOf(platform::foldedName(name))) byFamily[key].push_back(name);
            names = listed.emplace(folder, std::move(byFamily)).first;
        }
        // What a name of the folder will hold when the copy is over: the file
        // there, unless an element copied onto it brings its own bytes; an
        // element not yet decided may still replace it.
        auto holdsSame = [&](const std::string& name) {
            const std::string path = folder + name;
            const auto by = writer.find(platform::foldedName(path));
            if (by == writer.end() || by->second == i || skipped[by->second]) return contents.holdsSought(path);
            return by->second < i && contents.holdsSought(plan[by->second].source);
        };
        auto anySame = [&](const Families& families, const std::string& stem, auto&& same) {
            const auto family = families.find(stem);
            if (family == families.end()) return false;
            return std::any_of(family->second.begin(), family->second.end(), same);
        };
        if (contents.lookFor(item.source)) {
            const std::string stem = platform::foldedName(trackStem(platform::filePart(item.source)));
            skipped[i] = holdsSame(ownName) || anySame(names->second, stem, holdsSame) ||
                         anySame(copied[folder], stem, [&](const std::string& name) {
                             return contents.holdsSought(plan[writer.at(platform::foldedName(folder + name))].source);
                         });
        }
        if (!skipped[i])
            for (std::string& key : familiesOf(platform::foldedName(ownName))) copied[folder][key].push_back(ownName);
    }
    const std::size_t before = plan.size();
    // Each element is looked at where it stands before any is moved.
    std::erase_if(plan, [&](const CopyItem& item) { return skipped[static_cast<std::size_t>(&item - plan.data())]; });
    return before - plan.size();
}

}  // namespace pitbox
