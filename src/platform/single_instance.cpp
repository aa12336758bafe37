#include "platform/single_instance.h"

#include <cstdint>
#include <cstdio>

namespace pitbox::platform {

// Each path ends in a NUL, which no path holds.
std::string encodeHandedPaths(const std::vector<std::string>& paths) {
    std::string message;
    for (const std::string& path : paths) (message += path) += '\0';
    return message;
}

std::vector<std::string> decodeHandedPaths(std::string_view message) {
    std::vector<std::string> paths;
    for (std::size_t from = 0; from < message.size();) {
        std::size_t end = message.find('\0', from);
        if (end == std::string_view::npos) end = message.size();
        if (end > from) paths.emplace_back(message.substr(from, end - from));
        from = end + 1;
    }
    return paths;
}

// FNV-1a: the name must be the same in every build that meets it.
std::string instanceName(const std::string& key) {
    std::uint64_t hash = 14695981039346656037ULL;
    for (const char c : key) hash = (hash ^ static_cast<unsigned char>(c)) * 1099511628211ULL;
    char hex[17];
    std::snprintf(hex, sizeof hex, "%016llx", static_cast<unsigned long long>(hash));
    return std::string("kestrun-pitbox-") + hex;
}

}  // namespace pitbox::platform
