#include "support/temp_dir.h"

#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <cstdlib>
#include <filesystem>
#include <stdexcept>

namespace pitbox::test {

TempDir::TempDir() {
    char pattern[] = "/tmp/pitbox-test-XXXXXX";
    if (!::mkdtemp(pattern)) throw std::runtime_error("mkdtemp failed");
    ::chmod(pattern, 0755);
    path_ = std::string(pattern) + "/";
}

TempDir::~TempDir() {
    std::error_code ec;
    // Make every folder writable again so that everything can be removed.
    for (auto it = std::filesystem::recursive_directory_iterator(
             path_, std::filesystem::directory_options::skip_permission_denied, ec);
         it != std::filesystem::recursive_directory_iterator(); it.increment(ec)) {
        if (it->is_directory(ec) && !it->is_symlink(ec)) ::chmod(it->path().c_str(), 0755);
    }
    std::filesystem::remove_all(path_, ec);
}

std::string TempDir::mkdirs(const std::string& relative) const {
    std::filesystem::create_directories(path_ + relative);
    std::string p = path_ + relative;
    if (!p.empty() && p.back() != '/') p.push_back('/');
    return p;
}

std::vector<std::string> TempDir::list(const std::string& relative) const {
    std::vector<std::string> names;
    for (const auto& e : std::filesystem::directory_iterator(path_ + relative)) names.push_back(e.path().filename());
    std::sort(names.begin(), names.end());
    return names;
}

}  // namespace pitbox::test
