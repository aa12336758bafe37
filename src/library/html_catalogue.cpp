#include "library/html_catalogue.h"

#include <algorithm>
#include <cstdio>
#include <random>
#include <string_view>
#include <vector>

#include "base/parallel.h"
#include "library/html_page.h"
#include "platform/file_lock.h"
#include "platform/file_replacement.h"
#include "platform/interrupts.h"
#include "platform/paths.h"
#include "platform/temporary_name.h"
#include "trackfile/lap_records.h"

namespace pitbox {
namespace {

constexpr std::string_view kPage = "index.html";
constexpr std::string_view kPictures = "tracks";
// Pictures are drawn a batch at a time and written together: a batch's files
// reach the disk in one flush, and few are open at once.
constexpr std::size_t kBatch = 256;

std::string pictureName(std::size_t index) {
    char name[32];
    std::snprintf(name, sizeof name, "%05zu.png", index + 1);
    return name;
}

// A picture's name, or what a writer killed outright may have left beside them.
bool isPictureName(std::string_view name) {
    if (platform::isTemporaryName(name)) return true;
    const std::size_t digits = name.size() - std::min<std::size_t>(name.size(), 4);
    return digits >= 5 && name.ends_with(".png") &&
           std::all_of(name.begin(), name.begin() + static_cast<std::ptrdiff_t>(digits),
                       [](char c) { return c >= '0' && c <= '9'; });
}

Error notOurs(const std::string& folder) {
    return Error{ErrorCode::Exists, folder,
                 "holds files that are not a catalogue's; choose an empty folder or a new name"};
}

// Removes a catalogue folder this program made: its pictures, page and mark,
// then the folders, which stay when anything else has come into them.
Result<void> removeCatalogue(const std::string& folder) {
    const std::string top = platform::withSeparator(folder);
    const std::string pictures = top + std::string(kPictures) + platform::kSeparator;
    if (auto names = platform::namesInFolder(pictures)) {
        for (const std::string& name : *names)
            if (isPictureName(name))
                if (auto removed = platform::removeFile(pictures + name); !removed) return removed;
        if (auto removed = platform::removeFolder(pictures); !removed) return removed;
    }
    for (const std::string_view name : {kPage, std::string_view(kCatalogueMark)})
        if (auto removed = platform::removeFile(top + std::string(name)); !removed) return removed;
    return platform::removeFolder(top);
}

// The hidden folder beside the target where the new catalogue is made
// (".pitbox-catalogue-" and eight hexadecimal digits), the old one set aside
// there (the same and "-old"), and the lock its run holds beside them (".lock"),
// by which a later run tells a live run's folders from those a killed one left.
constexpr std::string_view kWorkPrefix = ".pitbox-catalogue-";
constexpr std::string_view kAsideSuffix = "-old";
constexpr std::string_view kLockSuffix = ".lock";

bool isWorkName(std::string_view name) {
    return name.size() == kWorkPrefix.size() + 8 && name.starts_with(kWorkPrefix) &&
           std::all_of(name.begin() + static_cast<std::ptrdiff_t>(kWorkPrefix.size()), name.end(),
                       [](char c) { return (c >= '0' && c <= '9') || (c >= 'a' && c <= 'f'); });
}

// Removes what runs killed outright left beside the target: their work
// folders and old catalogues set aside, and the locks nobody holds. A folder
// a live run holds stays, and so does anything in one that this program did
// not write.
void removeDeadWork(const std::string& parent) {
    auto names = platform::namesInFolder(parent);
    if (!names) return;
    std::vector<std::string_view> runs;
    for (std::string_view name : *names) {
        for (std::string_view suffix : {kAsideSuffix, kLockSuffix})
            if (name.ends_with(suffix)) name.remove_suffix(suffix.size());
        if (isWorkName(name)) runs.push_back(name);
    }
    std::sort(runs.begin(), runs.end());
    runs.erase(std::unique(runs.begin(), runs.end()), runs.end());
    for (std::string_view run : runs) {
        const std::string work = parent + std::string(run);
        auto lock = platform::FileLock::take(work + std::string(kLockSuffix));
        if (!lock) continue;
        (void)removeCatalogue(work);
        (void)removeCatalogue(work + std::string(kAsideSuffix));
        lock->removeAndRelease();
    }
}

struct WorkFolder {
    std::string path;  // ending in the separator
    platform::FileLock lock;
};

Result<WorkFolder> makeWorkFolder(const std::string& parent) {
    std::random_device random;
    for (int attempt = 0; attempt < 16; ++attempt) {
        char name[40];
        std::snprintf(name, sizeof name, "%s%08x", kWorkPrefix.data(), static_cast<unsigned>(random()));
        const std::string work = parent + name;
        // The lock first: the folder is never there unheld.
        auto lock = platform::FileLock::take(work + std::string(kLockSuffix));
        if (!lock) return lock.error();
        auto made = platform::makeFolder(work);
        if (made) return WorkFolder{std::move(*made), std::move(*lock)};
        lock->removeAndRelease();
        if (made.error().code != ErrorCode::Exists) return made.error();
    }
    return Error{ErrorCode::Exists, parent, "no free name for a new catalogue"};
}

// Draws one track's map and says what the page shows of it.
std::string drawPicture(const MapPicture& draw, const TrackEntry& e, PageTrack& shown, std::size_t index) {
    thread_local TrackBuffer buffer;
    HeaderFields header;
    const std::string path = e.path();
    auto png = draw(path, buffer, header);
    if (!png) {
        shown.problem = png.error().reason;
        return {};
    }
    shown.picture = std::string(kPictures) + "/" + pictureName(index);
    const LapRecordTexts best = lapRecordTexts(header, path);
    shown.bestTime = best.timed ? best.time + " " + best.holder : best.holder;
    return std::move(*png);
}

// Writes files into the work folder; each is in place on the disk when this
// returns.
Result<void> writeAll(const std::vector<std::pair<std::string, std::string>>& files) {
    std::vector<platform::FileReplacement> batch;
    batch.reserve(files.size());
    for (const auto& [path, bytes] : files) {
        auto made = platform::FileReplacement::create(path);
        if (!made) return made.error();
        if (auto written = made->write(bytes); !written) return written;
        batch.push_back(std::move(*made));
    }
    for (Result<void>& committed : platform::commitAll(batch))
        if (!committed) return committed;
    return {};
}

// Draws the pictures into the work folder, a batch at a time, then writes the
// page and the mark; stops with nothing saved once `stopped` says so.
Result<CatalogueSaved> writeCatalogue(Catalogue::ConstEntries entries, const std::string& root, const std::string& work,
                                      const MapPicture& draw, const std::function<void(std::size_t)>& done,
                                      const std::function<bool()>& stopped) {
    const std::string pictures = work + std::string(kPictures) + platform::kSeparator;
    if (auto made = platform::makeFolder(pictures); !made) return made.error();
    std::vector<const TrackEntry*> list;
    list.reserve(entries.size());
    for (const TrackEntry& e : entries) list.push_back(&e);
    std::vector<PageTrack> page(list.size());
    CatalogueSaved saved{list.size(), 0, false};
    for (std::size_t start = 0; start < list.size(); start += kBatch) {
        if (stopped()) return CatalogueSaved{0, 0, true};
        const std::size_t count = std::min(kBatch, list.size() - start);
        std::vector<std::string> pngs(count);
        forEachIndex(
            count,
            [&](std::size_t k) {
                if (stopped()) return;
                const std::size_t i = start + k;
                page[i].entry = list[i];
                page[i].where = std::string(pathBelow(root, list[i]->path()));
                pngs[k] = drawPicture(draw, *list[i], page[i], i);
            },
            [&](std::size_t n) {
                if (done) done(start + n);
            });
        std::vector<std::pair<std::string, std::string>> files;
        for (std::size_t k = 0; k < count; ++k)
            if (!pngs[k].empty()) files.emplace_back(pictures + pictureName(start + k), std::move(pngs[k]));
        saved.pictures += files.size();
        if (auto written = writeAll(files); !written) return written.error();
    }
    if (stopped()) return CatalogueSaved{0, 0, true};
    const std::string library(platform::filePart(platform::withoutSeparator(root)));
    const std::string title = library.empty() ? "Kestrun tracks" : "Kestrun tracks: " + library;
    if (auto written = writeAll({{work + std::string(kPage), cataloguePage(page, title)},
                                 {work + kCatalogueMark, "A catalogue made by Kestrun Pitbox.\n"}});
        !written)
        return written.error();
    return saved;
}

// The new catalogue takes the target's place; the old one, set aside first,
// comes back should that fail, and goes after.
Result<void> putInPlace(const std::string& work, const std::string& target) {
    const std::string aside = platform::withoutSeparator(work) + std::string(kAsideSuffix);
    const bool replacing = platform::fileStatus(target).ok();
    if (replacing)
        if (auto moved = platform::renameFile(target, aside); !moved) return moved;
    if (auto placed = platform::renameFile(platform::withoutSeparator(work), target); !placed) {
        if (replacing) (void)platform::renameFile(aside, target);
        return placed;
    }
    // A file that appeared in the old one meanwhile keeps it, hidden beside.
    if (replacing) (void)removeCatalogue(aside);
    return {};
}

}  // namespace

std::string catalogueSavedText(const CatalogueSaved& saved, const std::string& folder) {
    return std::to_string(saved.tracks) + " Tracks in the catalogue, " + std::to_string(saved.pictures) +
           " with a picture: " + folder;
}

Result<void> checkCatalogueFolder(const std::string& folder) {
    const std::string path = platform::withoutSeparator(folder);
    auto status = platform::fileStatus(path);
    if (!status) return status.error().code == ErrorCode::Missing ? Result<void>{} : Result<void>{status.error()};
    if (status->regular) return Error{ErrorCode::Exists, path, "a file, not a folder"};
    auto names = platform::namesInFolder(platform::withSeparator(path));
    if (!names) return names.error();
    if (names->empty()) return {};
    bool marked = false;
    for (const std::string& name : *names) {
        if (name == kCatalogueMark) {
            marked = true;
        } else if (name == kPictures) {
            auto pictures = platform::namesInFolder(platform::withSeparator(path) + name + platform::kSeparator);
            if (!pictures || !std::all_of(pictures->begin(), pictures->end(), isPictureName)) return notOurs(path);
        } else if (name != kPage) {
            return notOurs(path);
        }
    }
    if (!marked) return notOurs(path);
    return {};
}

Result<CatalogueSaved> saveHtmlCatalogue(Catalogue::ConstEntries entries, const std::string& root,
                                         const std::string& folder, const MapPicture& draw,
                                         const std::function<void(std::size_t)>& done, const std::atomic<bool>* stop) {
    // A folder reached through a link is replaced where it is: the link stays.
    auto followed = platform::followLinks(platform::withoutSeparator(folder));
    if (!followed) return followed.error();
    const std::string& target = *followed;
    if (auto free = checkCatalogueFolder(target); !free) return free.error();
    std::string parent(platform::pathPart(target));
    if (parent.empty()) parent = std::string(".") + platform::kSeparator;
    removeDeadWork(parent);
    // An interrupt stops the work, which removes its folder before the process ends.
    std::atomic<bool> interrupted{false};
    const platform::StopOnInterrupt tidy(interrupted);
    auto work = makeWorkFolder(parent);
    if (!work) return work.error();
    const auto stopped = [&] {
        return interrupted.load(std::memory_order_relaxed) || (stop && stop->load(std::memory_order_relaxed));
    };
    auto saved = writeCatalogue(entries, root, work->path, draw, done, stopped);
    if (saved && !saved->stopped) {
        if (auto placed = putInPlace(work->path, target); !placed) saved = placed.error();
    }
    if (!saved || saved->stopped) (void)removeCatalogue(work->path);
    work->lock.removeAndRelease();
    return saved;
}

}  // namespace pitbox
