#pragma once
#include "app/ids.h"
#include "toolkit/toolkit.h"

namespace pitbox::test {

// The main window's gadgets as the program must create them, in creation order:
// the one table the scripted and the real backends' tests both check against.
struct ExpectedGadget {
    enum class Kind { Table, ImageButton, Text, TextField, TextButton, ProgressBar } kind;
    int id;
    ui::Rect rect;
    int pictureOrFont;  // a button's picture, a text's font
    unsigned anchor;    // how it follows the window's size
};

inline constexpr unsigned kBottom = ui::kFollowBottom;
inline constexpr unsigned kBottomRight = ui::kFollowBottom | ui::kFollowRight;

inline constexpr ExpectedGadget kMainWindowGadgets[] = {
    {ExpectedGadget::Kind::TextField, ids::kFilter, {10, 10, 540, 24}, 0, ui::kGrowWidth},
    {ExpectedGadget::Kind::TextButton, ids::kSaveCatalogue, {560, 8, 100, 28}, 0, ui::kFollowRight},
    {ExpectedGadget::Kind::TextButton, ids::kMoveToTrash, {670, 8, 100, 28}, 0, ui::kFollowRight},
    {ExpectedGadget::Kind::TextButton, ids::kSelectExtras, {780, 8, 100, 28}, 0, ui::kFollowRight},
    {ExpectedGadget::Kind::TextButton, ids::kDuplicates, {890, 8, 100, 28}, 0, ui::kFollowRight},
    {ExpectedGadget::Kind::Table, ids::kTable, {10, 40, 980, 570}, 0, ui::kGrowWidth | ui::kGrowHeight},
    {ExpectedGadget::Kind::ImageButton, ids::kShow, {10, 622, 100, 36}, 22, kBottom},
    {ExpectedGadget::Kind::Text, ids::kStatusLine1, {130, 620, 850, 24}, 2, kBottom | ui::kGrowWidth},
    {ExpectedGadget::Kind::Text, ids::kStatusLine2, {130, 645, 850, 24}, 2, kBottom | ui::kGrowWidth},
    {ExpectedGadget::Kind::ProgressBar, ids::kProgress, {760, 622, 220, 18}, 0, kBottom | ui::kFollowRight},
    {ExpectedGadget::Kind::ImageButton, ids::kLoad, {15, 675, 90, 36}, 11, kBottom},
    {ExpectedGadget::Kind::ImageButton, ids::kScan, {120, 675, 84, 36}, 12, kBottom},
    {ExpectedGadget::Kind::ImageButton, ids::kSaveList, {214, 675, 80, 36}, 20, kBottom},
    {ExpectedGadget::Kind::ImageButton, ids::kCopy, {304, 675, 91, 36}, 18, kBottom},
    {ExpectedGadget::Kind::Text, ids::kSelectionCounter, {415, 682, 142, 36}, 2, kBottom | ui::kGrowWidth},
    {ExpectedGadget::Kind::ImageButton, ids::kSortAuthor, {719, 675, 97, 36}, 13, kBottomRight},
    {ExpectedGadget::Kind::ImageButton, ids::kSortLength, {916, 675, 74, 36}, 19, kBottomRight},
    {ExpectedGadget::Kind::ImageButton, ids::kSortWorldSize, {826, 675, 80, 36}, 24, kBottomRight},
    {ExpectedGadget::Kind::ImageButton, ids::kSortName, {567, 675, 142, 36}, 23, kBottomRight},
};

}  // namespace pitbox::test
