#include "platform/file_replacement.h"

#include <algorithm>
#include <random>

#include "platform/paths.h"
#include "platform/win32/open_regular.h"
#include "platform/win32/wide.h"

namespace pitbox::platform {

struct FileReplacement::State {
    std::string target;      // as given, for messages
    std::wstring finalPath;  // the target with its links followed
    std::wstring tempPath;
    Handle handle;

    ~State() {
        handle.reset();
        if (!tempPath.empty()) DeleteFileW(tempPath.c_str());
    }
    Error failure(ErrorCode code, DWORD number = GetLastError()) const { return systemError(code, target, number); }
};

namespace {

// The file a path finally names: an existing target is asked where it lies (a
// link leads to the file it points to); a new one is the path itself.
std::wstring followLinks(const std::wstring& target) {
    Handle h(CreateFileW(target.c_str(), 0, FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, nullptr,
                         OPEN_EXISTING, FILE_FLAG_BACKUP_SEMANTICS, nullptr));
    if (!h.valid()) return target;
    std::wstring final(32768, L'\0');
    const DWORD n = GetFinalPathNameByHandleW(h.get(), final.data(), static_cast<DWORD>(final.size()),
                                              FILE_NAME_NORMALIZED | VOLUME_NAME_DOS);
    if (n == 0 || n >= final.size()) return target;
    final.resize(n);
    return final;
}

std::wstring folderOf(const std::wstring& path) {
    const auto at = path.find_last_of(L"\\/");
    return at == std::wstring::npos ? std::wstring{} : path.substr(0, at + 1);
}

unsigned nextTag() {
    static std::mt19937 random(std::random_device{}() ^ GetCurrentProcessId());
    return static_cast<unsigned>(random());
}

}  // namespace

FileReplacement::FileReplacement(std::unique_ptr<State> state) : state_(std::move(state)) {}
FileReplacement::FileReplacement(FileReplacement&& other) noexcept = default;
FileReplacement::~FileReplacement() = default;

const std::string& FileReplacement::target() const { return state_->target; }

Result<FileReplacement> FileReplacement::create(const std::string& target) {
    auto state = std::make_unique<State>();
    state->target = target;
    if (filePart(target).empty()) return state->failure(ErrorCode::WriteFailed, ERROR_DIRECTORY);
    state->finalPath = followLinks(apiPath(target));
    const std::wstring folder = folderOf(state->finalPath);
    for (int attempt = 0; attempt < 100; ++attempt) {
        wchar_t name[24];
        swprintf(name, 24, L".pitbox-%08x", nextTag());
        std::wstring candidate = folder + name;
        state->handle = Handle(
            CreateFileW(candidate.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_NEW, FILE_ATTRIBUTE_NORMAL, nullptr));
        if (state->handle.valid()) {
            state->tempPath = std::move(candidate);
            break;
        }
        if (GetLastError() != ERROR_FILE_EXISTS) return state->failure(ErrorCode::WriteFailed);
    }
    if (!state->handle.valid()) return state->failure(ErrorCode::WriteFailed, ERROR_FILE_EXISTS);
    return FileReplacement(std::move(state));
}

Result<void> FileReplacement::write(std::string_view bytes) {
    while (!bytes.empty()) {
        DWORD n = 0;
        const DWORD want = static_cast<DWORD>(std::min<std::size_t>(bytes.size(), 1u << 20));
        if (!WriteFile(state_->handle.get(), bytes.data(), want, &n, nullptr))
            return state_->failure(ErrorCode::WriteFailed);
        if (n == 0) return state_->failure(ErrorCode::WriteFailed, ERROR_DISK_FULL);
        bytes.remove_prefix(n);
    }
    return {};
}

Result<void> FileReplacement::copyFrom(const std::string& source) {
    auto in = openRegularFile(source);
    if (!in) return in.error();
    Handle existing(CreateFileW(state_->finalPath.c_str(), 0, FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE,
                                nullptr, OPEN_EXISTING, FILE_FLAG_BACKUP_SEMANTICS, nullptr));
    FileIdentity there;
    if (existing.valid() && identify(existing.get(), there) && there == in->id)
        return Error{ErrorCode::SameFile, state_->target, "is the source itself"};
    // The bytes the file had when it was opened, and not one more: a file that
    // keeps growing must not keep the copy going.
    std::string buffer(std::size_t{64} * 1024, '\0');
    unsigned long long copied = 0;
    while (copied < in->size) {
        DWORD n = 0;
        const auto want = static_cast<DWORD>(std::min<unsigned long long>(buffer.size(), in->size - copied));
        if (!ReadFile(in->handle.get(), buffer.data(), want, &n, nullptr))
            return systemError(ErrorCode::ReadFailed, source);
        if (n == 0) break;
        if (auto written = write(std::string_view(buffer.data(), n)); !written) return written;
        copied += n;
    }
    LARGE_INTEGER after{};
    if (copied != in->size || !GetFileSizeEx(in->handle.get(), &after) ||
        static_cast<unsigned long long>(after.QuadPart) != in->size)
        return Error{ErrorCode::SizeChanged, source, "changed size while it was copied"};
    return {};
}

Result<void> FileReplacement::finishWriting() {
    // There is no flush of a whole volume for us: each file is flushed as it is
    // finished, and the batch only renames.
    if (!FlushFileBuffers(state_->handle.get()) || !state_->handle.close())
        return state_->failure(ErrorCode::WriteFailed);
    return {};
}

std::vector<Result<void>> commitAll(std::vector<FileReplacement>& batch) {
    std::vector<Result<void>> results;
    results.reserve(batch.size());
    for (FileReplacement& replacement : batch) {
        FileReplacement::State& s = *replacement.state_;
        if (s.handle.valid()) {
            if (auto finished = replacement.finishWriting(); !finished) {
                results.emplace_back(finished.error());
                continue;
            }
        }
        if (!MoveFileExW(s.tempPath.c_str(), s.finalPath.c_str(), MOVEFILE_REPLACE_EXISTING | MOVEFILE_WRITE_THROUGH)) {
            results.emplace_back(s.failure(ErrorCode::WriteFailed));
            continue;
        }
        s.tempPath.clear();
        results.emplace_back();
    }
    batch.clear();
    return results;
}

}  // namespace pitbox::platform
