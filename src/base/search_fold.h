#pragma once
#include <string>
#include <string_view>

namespace pitbox {

// Appends a UTF-8 text as searches compare it, the same on every system:
// letter case folded (fully: "ß" as "ss"), characters decomposed (also by
// compatibility: "ﬁ" as "fi", "Ａ" as "a") and their accents dropped, in every
// script ("Élodie" as "elodie", "Șoseaua" as "soseaua", "Трасса" as "трасса");
// a Latin letter with a stroke or the like as its letter ("Ł" as "l", "Æ" as
// "ae"). Bytes that are no UTF-8 stay as they are.
void appendSearchFolded(std::string& out, std::string_view utf8);
std::string searchFolded(std::string_view utf8);

}  // namespace pitbox
