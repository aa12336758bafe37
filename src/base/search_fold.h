#pragma once
#include <cstdint>
#include <functional>
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

// Every character that folds to something else, in code order, with what it
// folds to (empty for an accent): for a page's script that must fold as the
// program does.
void forEachSearchFold(const std::function<void(std::uint32_t code, std::string_view folded)>& each);

}  // namespace pitbox
