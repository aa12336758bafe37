#pragma once
#include "app/ids.h"
#include "toolkit/toolkit.h"

namespace pitbox::test {

// The main window's gadgets as the program must create them, in creation order:
// the one table the scripted and the real backends' tests both check against.
struct ExpectedGadget {
    enum class Kind { Table, ImageButton, Text } kind;
    int id;
    ui::Rect rect;
    int pictureOrFont;  // a button's picture, a text's font
};

inline constexpr ExpectedGadget kMainWindowGadgets[] = {
    {ExpectedGadget::Kind::Table, ids::kTable, {10, 10, 980, 600}, 0},
    {ExpectedGadget::Kind::ImageButton, ids::kShow, {10, 622, 100, 36}, 22},
    {ExpectedGadget::Kind::Text, ids::kStatusLine1, {130, 620, 850, 24}, 2},
    {ExpectedGadget::Kind::Text, ids::kStatusLine2, {130, 645, 850, 24}, 2},
    {ExpectedGadget::Kind::ImageButton, ids::kLoad, {15, 675, 90, 36}, 11},
    {ExpectedGadget::Kind::ImageButton, ids::kScan, {120, 675, 84, 36}, 12},
    {ExpectedGadget::Kind::ImageButton, ids::kSaveList, {214, 675, 80, 36}, 20},
    {ExpectedGadget::Kind::ImageButton, ids::kCopy, {304, 675, 91, 36}, 18},
    {ExpectedGadget::Kind::Text, ids::kSelectionCounter, {415, 682, 60, 36}, 2},
    {ExpectedGadget::Kind::ImageButton, ids::kSortAuthor, {719, 675, 97, 36}, 13},
    {ExpectedGadget::Kind::ImageButton, ids::kSortLength, {916, 675, 74, 36}, 19},
    {ExpectedGadget::Kind::ImageButton, ids::kSortWorldSize, {826, 675, 80, 36}, 24},
    {ExpectedGadget::Kind::ImageButton, ids::kSortName, {567, 675, 142, 36}, 23},
};

}  // namespace pitbox::test
