// What replacing a file means on every system; the systems' own parts are in
// posix/ and win32/.
#include "platform/file_replacement.h"

namespace pitbox::platform {

Result<void> commit(FileReplacement&& replacement) {
    std::vector<FileReplacement> batch;
    batch.push_back(std::move(replacement));
    return std::move(commitAll(batch).front());
}

Result<void> replaceFile(const std::string& target, std::string_view bytes) {
    auto replacement = FileReplacement::create(target);
    if (!replacement) return replacement.error();
    if (auto written = replacement->write(bytes); !written) return written;
    return commit(std::move(*replacement));
}

}  // namespace pitbox::platform
