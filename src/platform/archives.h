#pragma once
#include <cstddef>
#include <cstdint>
#include <functional>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "base/result.h"
#include "platform/files.h"

namespace pitbox::platform {

// Packs of tracks, read in place and never written: zip and 7z, rar, and tar
// (plain or compressed with gzip, bzip2 or xz), told by their names' endings
// in any letter case. An archive inside an archive is not opened.
bool isArchiveName(std::string_view name);

// What one archive may hold, beyond which the rest of it is not read: members
// listed, and bytes inflated in one pass.
inline constexpr std::size_t kMembersPerArchive = 100'000;
inline constexpr std::uint64_t kInflatedPerPass = std::uint64_t{4} << 30;

// A regular file in an archive: its path there as stored, and what its
// header tells.
struct ArchiveMember {
    std::string name;
    std::optional<std::uint64_t> size;  // where the header gives it
    bool encrypted = false;
};

// The bytes of the member a pass is at, read at most once: up to `maxBytes`,
// a member that inflates past them refused as damaged without inflating the
// rest of it; an encrypted one refused as unreadable ("encrypted").
class MemberBytes {
public:
    virtual Result<std::size_t> read(std::size_t maxBytes, std::vector<std::uint8_t>& into) = 0;

protected:
    ~MemberBytes() = default;
};

// How a pass over an archive ended: the members it met, and why it ended
// before the archive's end, where it did (a cut or damaged archive, or one
// past the limits), the members before that still given.
struct ArchivePass {
    std::size_t members = 0;
    std::optional<Error> broken;
};

// One pass over an archive, member after member in the order they lie in it,
// streamed: nothing is written anywhere and at most one member is in memory.
// `each` gets each regular file and may read it; it returns false to end the
// pass. Fails when the file cannot be opened or is no archive the pass reads.
using OnMember = std::function<bool(const ArchiveMember& member, MemberBytes& bytes)>;
Result<ArchivePass> forEachMember(const std::string& path, const OnMember& each);

// Where a member is: its archive's path, and its path inside.
struct MemberPath {
    std::string archive;
    std::string member;
};
// A member's path as the program shows and takes it: the archive's path, the
// separator, and the member's path with its separators as this system's.
std::string memberPath(std::string_view archive, std::string_view member);
// The member a path names: the first of its parts (from the front) that has an
// archive's name and is a regular file is the archive, the rest the member's
// path. None for a path that leads to no archive.
std::optional<MemberPath> splitMemberPath(std::string_view path);
// The archive a path would name by its text alone, not looking at the files:
// up to its first part but the last with an archive's name. Empty for none.
std::string_view archivePartOf(std::string_view path);
// Whether a path names a member inside an archive rather than a file of its
// own: its text first, the files only where the text names an archive.
bool isArchiveMember(std::string_view path);
// Whether two members' paths are one: the separators stored are "/", though
// some archivers store "\".
bool sameMemberName(std::string_view a, std::string_view b);
// The folders of a member's path that may be made below a target: its parts
// but the file's, without empty ones, "." and "..", and with no drive or root,
// so that no member's name reaches outside the target. Joined by the system's
// separator, ending in it; empty when none is left.
std::string safeMemberFolders(std::string_view member);

// What a track is read from, a file or a member of an archive: its bytes
// (refused past `maxBytes` as readRegularFile refuses them, a member as
// damaged), and its stamp, a member's being its archive's.
Result<std::size_t> readTrackSource(const std::string& path, std::size_t maxBytes, std::vector<std::uint8_t>& into);
std::optional<FileStamp> trackSourceStamp(const std::string& path);

}  // namespace pitbox::platform
