#include "platform/archives.h"

#include <array>

#include "base/text.h"
#include "platform/paths.h"

namespace pitbox::platform {
namespace {

// The endings of the packs read; a compressed tar's are after ".tar".
constexpr std::array<std::string_view, 7> kArchiveExtensions = {"zip", "7z", "rar", "tar", "tgz", "tbz2", "txz"};
constexpr std::array<std::string_view, 3> kTarCompressions = {"gz", "bz2", "xz"};

}  // namespace

// Looked at for every part of every path a Scan or a check meets, so the
// extension is found once and held against the few there are.
bool isArchiveName(std::string_view name) {
    const std::size_t dot = name.rfind('.');
    if (dot == std::string_view::npos || dot == 0 || name.size() - dot > 5) return false;
    const std::string_view extension = name.substr(dot + 1);
    for (std::string_view known : kArchiveExtensions)
        if (equalFolded(extension, known)) return true;
    for (std::string_view known : kTarCompressions)
        if (equalFolded(extension, known)) return dot > 4 && equalFolded(name.substr(dot - 4, 4), ".tar");
    return false;
}

std::string memberPath(std::string_view archive, std::string_view member) {
    std::string path;
    path.reserve(archive.size() + 1 + member.size());
    path.append(archive).push_back(kSeparator);
    for (char c : member) path.push_back(c == '/' || c == '\\' ? kSeparator : c);
    return path;
}

std::optional<MemberPath> splitMemberPath(std::string_view path) {
    for (std::size_t end = path.find_first_of(kSeparators, 1); end != std::string_view::npos;
         end = path.find_first_of(kSeparators, end + 1)) {
        const std::string_view archive = path.substr(0, end);
        if (!isArchiveName(filePart(archive))) continue;
        auto status = fileStatus(std::string(archive));
        if (!status || !status->regular) continue;
        return MemberPath{std::string(archive), std::string(path.substr(end + 1))};
    }
    return std::nullopt;
}

std::string_view archivePartOf(std::string_view path) {
    // An archive's name has a dot: most paths have none in their folders, and
    // are told at once (Select extras asks of every track in the view).
    const std::size_t folders = lastSeparator(path);
    if (folders == std::string_view::npos || path.substr(0, folders).find('.') == std::string_view::npos) return {};
    std::size_t start = 0;
    for (std::size_t end = path.find_first_of(kSeparators, 1); end != std::string_view::npos;
         end = path.find_first_of(kSeparators, end + 1)) {
        if (isArchiveName(path.substr(start, end - start))) return path.substr(0, end);
        start = end + 1;
    }
    return {};
}

bool isArchiveMember(std::string_view path) { return !archivePartOf(path).empty() && splitMemberPath(path); }

bool sameMemberName(std::string_view a, std::string_view b) {
    if (a.size() != b.size()) return false;
    const auto slash = [](char c) { return c == '\\' ? '/' : c; };
    for (std::size_t i = 0; i < a.size(); ++i)
        if (slash(a[i]) != slash(b[i])) return false;
    return true;
}

std::string safeMemberFolders(std::string_view member) {
    std::string folders;
    std::size_t from = 0;
    for (;;) {
        const std::size_t end = member.find_first_of("/\\", from);
        if (end == std::string_view::npos) break;  // the rest is the file's name
        std::string_view part = member.substr(from, end - from);
        from = end + 1;
        // "C:" before a path is a drive, and no folder a name should make.
        if (part.empty() || part == "." || part == ".." || part.find(':') != std::string_view::npos) continue;
        folders.append(part).push_back(kSeparator);
    }
    return folders;
}

Result<std::size_t> readTrackSource(const std::string& path, std::size_t maxBytes, std::vector<std::uint8_t>& into) {
    const auto at = archivePartOf(path).empty() ? std::nullopt : splitMemberPath(path);
    if (!at) return readRegularFile(path, maxBytes, into);
    std::optional<Result<std::size_t>> read;
    auto pass = forEachMember(at->archive, [&](const ArchiveMember& m, MemberBytes& bytes) {
        if (!sameMemberName(m.name, at->member)) return true;
        read = bytes.read(maxBytes, into);
        return false;
    });
    if (!pass) return pass.error();
    if (read) return *read;
    if (pass->broken) return *pass->broken;
    return Error{ErrorCode::Missing, path, "not in " + std::string(filePart(at->archive))};
}

std::optional<FileStamp> trackSourceStamp(const std::string& path) {
    const auto at = archivePartOf(path).empty() ? std::nullopt : splitMemberPath(path);
    return fileStamp(at ? at->archive : path);
}

}  // namespace pitbox::platform
