#include "platform/plugin.h"

#include <dlfcn.h>
#include <unistd.h>

#include <climits>

#include "platform/paths.h"

namespace pitbox::platform {

Result<Plugin> Plugin::load(const std::string& fileName) {
    char self[PATH_MAX] = {};
    const ssize_t n = ::readlink("/proc/self/exe", self, sizeof self - 1);
    const std::string folder = n > 0 ? std::string(pathPart(std::string(self, static_cast<std::size_t>(n)))) : "";
    std::string reason = "not found";
    std::string installed = folder;
    installed.append("../lib/kestrun-pitbox/").append(fileName);
    for (const std::string& path : {folder + fileName, installed}) {
        if (void* handle = ::dlopen(path.c_str(), RTLD_NOW | RTLD_LOCAL)) return Plugin(handle);
        if (::access(path.c_str(), F_OK) == 0)
            if (const char* why = ::dlerror()) reason = why;
    }
    return Error{ErrorCode::CannotOpen, fileName, reason};
}

void* Plugin::function(const char* name) const { return handle_ ? ::dlsym(handle_, name) : nullptr; }

}  // namespace pitbox::platform
