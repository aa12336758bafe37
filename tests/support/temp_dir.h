#pragma once
#include <string>
#include <vector>

namespace pitbox::test {

// A fresh folder under /tmp, removed with everything in it at the end. path()
// ends in "/".
class TempDir {
public:
    TempDir();
    ~TempDir();
    TempDir(const TempDir&) = delete;
    TempDir& operator=(const TempDir&) = delete;
    const std::string& path() const { return path_; }
    std::string operator/(const std::string& relative) const { return path_ + relative; }
    // Creates the folders of a relative path.
    std::string mkdirs(const std::string& relative) const;
    // The names in a folder, sorted.
    std::vector<std::string> list(const std::string& relative = "") const;

private:
    std::string path_;
};

}  // namespace pitbox::test
