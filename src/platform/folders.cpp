#include "platform/files.h"
#include "platform/paths.h"

namespace pitbox::platform {

Result<void> makeFolders(const std::string& folder) {
    const std::string whole = withSeparator(folder);
    for (std::size_t at = whole.find_first_not_of("/\\"); at < whole.size(); ++at) {
        if (!isSeparator(whole[at])) continue;
        const std::string ancestor = whole.substr(0, at);
        if (fileStatus(ancestor)) continue;
        auto made = makeFolder(ancestor);
        if (!made && made.error().code != ErrorCode::Exists) return made.error();
    }
    return {};
}

}  // namespace pitbox::platform
