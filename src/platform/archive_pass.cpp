// Reading archives through libarchive, which reads each format the same on
// every system; the archive's file is opened and read by our own FileReader,
// so that only regular files are read and paths are taken as everywhere else.
#include <archive.h>
#include <archive_entry.h>

#include <memory>

#include "platform/archives.h"

namespace pitbox::platform {
namespace {

// The archive's file as libarchive reads it: in blocks, with seeks (7z keeps
// its index at the end, a zip its central directory).
constexpr std::size_t kBlockBytes = std::size_t{64} * 1024;

struct Source {
    explicit Source(FileReader f) : file(std::move(f)) {}
    FileReader file;
    std::vector<std::uint8_t> block = std::vector<std::uint8_t>(kBlockBytes);
    std::uint64_t at = 0;
    std::optional<Error> failed;
};

la_ssize_t readBlock(archive*, void* data, const void** buffer) {
    auto* s = static_cast<Source*>(data);
    auto got = s->file.read(s->block);
    if (!got) {
        s->failed = got.error();
        return -1;
    }
    s->at += *got;
    *buffer = s->block.data();
    return static_cast<la_ssize_t>(*got);
}

la_int64_t seekTo(archive*, void* data, la_int64_t offset, int whence) {
    auto* s = static_cast<Source*>(data);
    const auto size = static_cast<la_int64_t>(s->file.size());
    const la_int64_t to = whence == SEEK_SET   ? offset
                          : whence == SEEK_CUR ? static_cast<la_int64_t>(s->at) + offset
                                               : size + offset;
    if (to < 0 || !s->file.seek(static_cast<std::uint64_t>(to))) return ARCHIVE_FATAL;
    s->at = static_cast<std::uint64_t>(to);
    return to;
}

struct ArchiveFree {
    void operator()(archive* a) const { archive_read_free(a); }
};

Error damaged(const std::string& path, const std::string& why) { return Error{ErrorCode::Damaged, path, why}; }

std::string libraryError(archive* a) {
    const char* text = archive_error_string(a);
    return text && *text ? text : "not an archive that can be read";
}

class PassBytes final : public MemberBytes {
public:
    PassBytes(archive* a, const std::string& archivePath, std::uint64_t& inflated)
        : a_(a), path_(archivePath), inflated_(inflated) {}
    void start(archive_entry* entry) {
        entry_ = entry;
        read_ = false;
    }
    std::string memberName;

    Result<std::size_t> read(std::size_t maxBytes, std::vector<std::uint8_t>& into) override {
        const std::string where = memberPath(path_, memberName);
        if (read_) return Error{ErrorCode::ReadFailed, where, "read once already"};
        read_ = true;
        if (archive_entry_is_data_encrypted(entry_)) return Error{ErrorCode::CannotOpen, where, "encrypted"};
        const auto tooLarge = [&] { return damaged(where, "inflates past " + std::to_string(maxBytes) + " bytes"); };
        if (archive_entry_size_is_set(entry_) && static_cast<std::uint64_t>(archive_entry_size(entry_)) > maxBytes)
            return tooLarge();
        // One byte of room past the limit tells a member that says less than it holds.
        const std::size_t room = maxBytes + 1;
        const std::size_t first = archive_entry_size_is_set(entry_)
                                      ? static_cast<std::size_t>(archive_entry_size(entry_)) + 1
                                      : std::min(room, kBlockBytes);
        if (into.size() < first) into.resize(first);
        std::size_t got = 0;
        while (got < room) {
            if (got == into.size()) into.resize(std::min(room, got * 2));
            const la_ssize_t n = archive_read_data(a_, into.data() + got, std::min(room, into.size()) - got);
            if (n < 0) {
                // A member whose key the library lacks is encrypted, whatever the header said.
                if (archive_entry_is_encrypted(entry_)) return Error{ErrorCode::CannotOpen, where, "encrypted"};
                return damaged(where, libraryError(a_));
            }
            if (n == 0) break;
            got += static_cast<std::size_t>(n);
            inflated_ += static_cast<std::uint64_t>(n);
            if (inflated_ > kInflatedPerPass) return damaged(where, "the archive inflates past its limit");
        }
        if (got > maxBytes) return tooLarge();
        return got;
    }

private:
    archive* a_;
    const std::string& path_;
    std::uint64_t& inflated_;
    archive_entry* entry_ = nullptr;
    bool read_ = false;
};

}  // namespace

Result<ArchivePass> forEachMember(const std::string& path, const OnMember& each) {
    auto file = FileReader::open(path);
    if (!file) return file.error();
    Source source(std::move(*file));
    std::unique_ptr<archive, ArchiveFree> a(archive_read_new());
    if (!a) return Error{ErrorCode::ReadFailed, path, "out of memory"};
    archive_read_support_format_zip(a.get());
    archive_read_support_format_7zip(a.get());
    archive_read_support_format_rar(a.get());
    archive_read_support_format_rar5(a.get());
    archive_read_support_format_tar(a.get());
    archive_read_support_filter_gzip(a.get());
    // Built without its bzip2 (as for Windows), libarchive would run a bzip2
    // program on the file instead.
#ifndef PITBOX_ARCHIVES_WITHOUT_BZIP2
    archive_read_support_filter_bzip2(a.get());
#endif
    archive_read_support_filter_xz(a.get());
    archive_read_set_read_callback(a.get(), readBlock);
    archive_read_set_seek_callback(a.get(), seekTo);
    archive_read_set_callback_data(a.get(), &source);
    if (archive_read_open1(a.get()) != ARCHIVE_OK) {
        if (source.failed) return *source.failed;
        return damaged(path, libraryError(a.get()));
    }
    ArchivePass pass;
    std::uint64_t inflated = 0;
    PassBytes bytes(a.get(), path, inflated);
    ArchiveMember member;
    for (;;) {
        archive_entry* entry = nullptr;
        const int next = archive_read_next_header(a.get(), &entry);
        if (next == ARCHIVE_EOF) break;
        if (next < ARCHIVE_WARN) {
            pass.broken = source.failed ? *source.failed : damaged(path, libraryError(a.get()));
            break;
        }
        if (archive_entry_filetype(entry) != AE_IFREG) continue;
        if (++pass.members > kMembersPerArchive) {
            pass.broken = damaged(path, "more than " + std::to_string(kMembersPerArchive) + " members");
            break;
        }
        const char* utf8 = archive_entry_pathname_utf8(entry);
        const char* raw = utf8 ? utf8 : archive_entry_pathname(entry);
        member.name = raw ? raw : "";
        member.size =
            archive_entry_size_is_set(entry) ? std::optional(std::uint64_t(archive_entry_size(entry))) : std::nullopt;
        member.encrypted = archive_entry_is_encrypted(entry) != 0;
        bytes.memberName = member.name;
        bytes.start(entry);
        if (!each(member, bytes)) break;
        if (inflated > kInflatedPerPass) {
            pass.broken = damaged(path, "the archive inflates past its limit");
            break;
        }
    }
    return pass;
}

}  // namespace pitbox::platform
