#pragma once
#include <string>

namespace pitbox::test {

// Makes `link`, a link to the folder `target`: on Linux a symbolic link, on
// Windows a junction. Wine cannot make junctions: there the tests are given
// links the host laid out beforehand.
bool makeFolderLink(const std::string& link, const std::string& target);
// Whether a path is a link (on Windows a reparse point) rather than what it
// leads to.
bool isLink(const std::string& path);

}  // namespace pitbox::test
