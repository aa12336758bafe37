#pragma once
#include <string>
#include <string_view>

namespace pitbox::platform {

// Paths as the program holds them: "/" separates on Linux, where "\" is an
// ordinary character of a name; on Windows both "\" and "/" separate and "\" is
// written. Folder paths end in the separator.
#ifdef _WIN32
inline constexpr char kSeparator = '\\';
inline constexpr std::string_view kSeparators = "\\/";
#else
inline constexpr char kSeparator = '/';
inline constexpr std::string_view kSeparators = "/";
#endif

constexpr bool isSeparator(char c) {
    for (char separator : kSeparators)
        if (c == separator) return true;
    return false;
}

// Where the last separator of a path is (npos for none): a look at each
// character from the end, where find_last_of asks the set again for each.
constexpr std::size_t lastSeparator(std::string_view path) {
    for (std::size_t i = path.size(); i-- > 0;)
        if (isSeparator(path[i])) return i;
    return std::string_view::npos;
}

// A path typed or passed by a user with its separators written as this system
// writes them ("/" becomes "\" on Windows).
std::string nativeSeparators(std::string path);
// The text after the last separator (all of it when there is none).
std::string_view filePart(std::string_view path);
// The text up to and including the last separator (empty when there is none).
std::string_view pathPart(std::string_view path);
// The folder path with the separator appended when it lacks one.
std::string withSeparator(std::string folder);
// The folder path without its trailing separators, as a folder is named to
// be made, renamed or removed; a lone separator (the root) stays.
std::string withoutSeparator(std::string folder);
// The parent of a folder path; a root stays itself.
std::string parentFolder(const std::string& folder);
// A file name with its letters folded as this system's file names compare: on
// Windows every letter folds, as the file system ignores case; on Linux the ASCII
// letters fold, as the numbering of clashing copies has always done.
std::string foldedName(std::string_view name);
// Whether a file name is within this system's length for one name: 255 bytes on
// Linux, 255 UTF-16 units on Windows.
bool fitsInName(std::string_view name);

// What Windows makes of a typed name: trailing dots and spaces dropped.
std::string_view typedName(std::string_view name);
// CON, PRN, AUX, NUL, COM1-9, LPT1-9 (also with superscript digits), alone or
// with an extension, in any letter case: names Windows keeps for devices, which
// ordinary programs cannot open as files.
bool isDeviceName(std::string_view name);

// A path typed or passed by a user as the program holds it: separators as this
// system writes them and doubled ones made single (but for the two that begin a
// Windows share); on Windows a drive-relative path ("T:out") is taken from that
// drive's current folder, as Windows takes it.
std::string userPath(const std::string& typed);

// A folder typed or passed by a user as the program holds and remembers it:
// as userPath makes it, absolute (from the working folder), its "." and ".."
// steps taken, ending in the separator, so that one folder is written one way.
std::string fullFolder(const std::string& typed);

// A path as given when it is absolute, else `base` (a folder path) followed by it.
std::string absolutePath(const std::string& path, const std::string& base);

}  // namespace pitbox::platform
