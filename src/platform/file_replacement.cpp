// What replacing a file means on every system; the systems' own parts are in
// linux/ and win32/.
#include "platform/file_replacement.h"

#include <cstdio>

#include "platform/temporary_name.h"

namespace pitbox::platform {

std::string temporaryName(std::uint32_t tag) {
    char name[24];
    std::snprintf(name, sizeof name, ".pitbox-%08x", static_cast<unsigned>(tag));
    return name;
}

bool isTemporaryName(std::string_view name) {
    return name.size() == 16 && name.substr(0, 8) == ".pitbox-" &&
           name.substr(8).find_first_not_of("0123456789abcdef") == std::string_view::npos;
}

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
