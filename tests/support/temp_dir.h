#pragma once
#include <string>
#include <vector>

namespace pitbox::test {

// A fresh temporary folder, removed with everything in it at the end. path()
// ends in the separator, and "/" in a relative path becomes the separator, so
// that paths built here read as the program writes them.
class TempDir {
public:
    TempDir();
    ~TempDir();
    TempDir(const TempDir&) = delete;
    TempDir& operator=(const TempDir&) = delete;
    const std::string& path() const { return path_; }
    std::string operator/(const std::string& relative) const;
    // Creates the folders of a relative path.
    std::string mkdirs(const std::string& relative) const;
    // The names in a folder, sorted.
    std::vector<std::string> list(const std::string& relative = "") const;

private:
    std::string path_;
};

// Removes one file (the tests' stand-in for a file that went away).
void removeFile(const std::string& path);
// Removes a folder with all it holds, as another program would while this one
// watches it.
void removeTreeAsAnotherProgram(const std::string& path);
// The reason this system gives for a file that is not there, as messages carry it.
std::string missingFileReason();

}  // namespace pitbox::test

namespace pitbox::test {

// The trash this test program moves files to, ending in the separator: on
// Linux a home trash of its own ($XDG_DATA_HOME/Trash, with HOME beside it so
// that the temporary folders count as home), set up at the first call, before
// anything asks where the trash is. On Windows, Wine's Recycle Bin, which
// keeps the host's home trash.
std::string testTrash();

}  // namespace pitbox::test
