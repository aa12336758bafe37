#pragma once
#include <cstddef>
#include <functional>
#include <mutex>
#include <optional>
#include <string>
#include <string_view>
#include <unordered_map>
#include <vector>

#include "base/result.h"
#include "jobs/job.h"
#include "library/catalogue.h"
#include "trackfile/header_reader.h"
#include "trackfile/track_buffer.h"

namespace pitbox {

// Which files a Scan reads.
enum class ScanKind {
    ChangedFiles,  // those new, changed or unreadable since they were last read
    EveryFile,     // all of them
    CheckedFiles,  // all of them: those the check of the remembered library found new or changed
};

// One file of a Scan: its path as its folder and its name (in a catalogue's
// texts, or in texts the job keeps), what was known of it when the Scan
// began, and its stamp when that was taken just before (by the walk that
// found it).
struct ScanFile {
    std::string_view folder;
    std::string_view file;
    TrackState state = TrackState::Unscanned;
    platform::FileStamp stamp;
    std::optional<platform::FileStamp> now;

    std::string path() const { return std::string(folder).append(file); }
};

// What one read found, for the file at `file` in the Scan's list.
struct TrackRead {
    std::size_t file = 0;
    platform::FileStamp stamp;  // the stamp the file had before it was read
    HeaderFields header;
    Result<void> result;
};

// A Scan: each file's stamp first, then each file that needs it read, both a
// few files at a time on a few threads. Steps run on one thread; what they read
// is taken from any other, so that a window puts the fields in as they come
// and the command line all at the end.
class ScanJob : public Job {
public:
    // Without `stamps` no stamp is taken (nothing is remembered): every file
    // is read, whatever the kind.
    ScanJob(std::vector<ScanFile> files, ScanKind kind, bool stamps = true);

    // One step: a batch of stamps, a batch of files read, or one archive's
    // members; false when none is left.
    // Keeps the texts the files' paths lie in, for as long as the job lives.
    void keep(std::vector<std::string> texts) { kept_ = std::move(texts); }

    bool step(JobProgress& progress) override;
    // The reads made since the last take, in the files' order.
    std::vector<TrackRead> takeReads();
    // Runs every step and puts what was read into the catalogue's entries,
    // the files being its entries in order. The reasons of files that could
    // not be read are the entries' problems. Returns how many files were read.
    // Each read goes straight into its entry, with no hand-over between threads.
    std::size_t runInto(Catalogue& catalogue, JobProgress& progress);

    bool stamping() const;
    ScanKind kind() const { return kind_; }
    std::size_t fileCount() const { return files_.size(); }

    // The files of each entry of a catalogue, in its order.
    static std::vector<ScanFile> filesOf(const Catalogue& catalogue, bool stampsTaken);

private:
    // Reads the files of one archive that need it, in one pass over it; false
    // when the archive cannot be opened as one.
    bool readArchive(std::string_view archive, bool always);
    // Reads the loose files at these places in the list.
    void readFiles(const std::vector<std::size_t>& batch);
    void made(TrackRead& read);

    std::vector<std::string> kept_;
    std::vector<ScanFile> files_;
    const ScanKind kind_;
    // Where reads go instead of the hand-over, with the read they reuse.
    std::function<void(TrackRead&)> direct_;
    TrackRead scratch_;
    std::string path_;
    std::atomic<std::size_t> stamped_{0};
    std::size_t next_ = 0;
    TrackBuffer buffer_;
    std::mutex lock_;
    std::vector<TrackRead> reads_;  // made by the steps, not taken yet
    // The files inside archives, by their archive as their paths name it;
    // made at the first read. Those read on an archive's pass are marked.
    std::unordered_map<std::string_view, std::vector<std::size_t>> byArchive_;
    bool grouped_ = false;
    std::vector<bool> readInPass_;
};

}  // namespace pitbox
