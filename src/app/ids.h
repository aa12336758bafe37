#pragma once

// Numbers of the windows, gadgets, pictures and fonts the program uses.
namespace pitbox::ids {

inline constexpr int kMainWindow = 0;
inline constexpr int kCopyWindow = 1;    // Copy Tracks, over the main window until closed
inline constexpr int kViewerWindow = 2;  // the track viewer, open beside the main window

// Main window gadgets.
inline constexpr int kTable = 1;
inline constexpr int kStatusLine1 = 8;
inline constexpr int kStatusLine2 = 9;
inline constexpr int kLoad = 11;
inline constexpr int kScan = 12;
inline constexpr int kSortWorldSize = 13;
inline constexpr int kSortAuthor = 14;
inline constexpr int kSortLength = 15;
inline constexpr int kSortName = 16;
inline constexpr int kSaveList = 17;
inline constexpr int kShow = 21;
inline constexpr int kCopy = 22;
inline constexpr int kSelectionCounter = 23;
inline constexpr int kFilter = 24;         // the filter box above the table
inline constexpr int kDuplicates = 25;     // beside it: only tracks that have a duplicate, or all again
inline constexpr int kProgress = 26;       // the progress of long work, beside status line 1
inline constexpr int kSelectExtras = 27;   // in the Duplicates view: all of each group but the one to keep
inline constexpr int kMoveToTrash = 28;    // the selected tracks to the trash, after a question
inline constexpr int kSaveCatalogue = 29;  // an HTML catalogue of the shown tracks

// Copy Tracks window gadgets.
inline constexpr int kTargetLine = 100;
inline constexpr int kCopyClose = 101;
inline constexpr int kCopyStart = 102;
inline constexpr int kCopySelect = 103;
inline constexpr int kCopyNew = 104;
inline constexpr int kSelectionLine = 105;
inline constexpr int kCopyBack = 106;
inline constexpr int kKeepFolders = 107;  // options, beside Copy
inline constexpr int kSkipAlreadyThere = 108;

// Viewer gadget.
inline constexpr int kViewerImage = 100;

// Pictures.
inline constexpr int kPreviewPicture = 1;
inline constexpr int kPictureLoad = 11;
inline constexpr int kPictureScan = 12;
inline constexpr int kPictureAuthor = 13;
inline constexpr int kPictureBack = 14;
inline constexpr int kPictureClose = 15;
inline constexpr int kPictureCopyLarge = 17;
inline constexpr int kPictureCopy = 18;
inline constexpr int kPictureKm = 19;
inline constexpr int kPictureSaveList = 20;
inline constexpr int kPictureNew = 21;
inline constexpr int kPictureShow = 22;
inline constexpr int kPictureSortName = 23;
inline constexpr int kPictureWorldSize = 24;
inline constexpr int kPictureSelect = 25;
inline constexpr int kPictureStop = 26;       // Load's and Scan's while their work runs
inline constexpr int kPictureStopLarge = 27;  // Copy Tracks' Copy's while it copies

// Fonts.
inline constexpr int kFontRecords = 1;  // "Lucida Console" 12
inline constexpr int kFontTexts = 2;    // "Arial" 12

}  // namespace pitbox::ids
