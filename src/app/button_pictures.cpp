#include "app/button_pictures.h"

#include "app/ids.h"
#include "resources/embedded.h"

namespace pitbox {

void loadButtonPictures(ui::Toolkit& tk) {
    static const std::pair<int, const char*> kButtons[] = {
        {ids::kPictureLoad, "button_load.bmp"},          {ids::kPictureScan, "button_scan.bmp"},
        {ids::kPictureAuthor, "button_author.bmp"},      {ids::kPictureBack, "button_back.bmp"},
        {ids::kPictureClose, "button_close.bmp"},        {ids::kPictureCopyLarge, "button_copy_large.bmp"},
        {ids::kPictureCopy, "button_copy.bmp"},          {ids::kPictureKm, "button_km.bmp"},
        {ids::kPictureSaveList, "button_save_list.bmp"}, {ids::kPictureNew, "button_new.bmp"},
        {ids::kPictureShow, "button_show.bmp"},          {ids::kPictureSortName, "button_sort_track.bmp"},
        {ids::kPictureWorldSize, "button_ws.bmp"},       {ids::kPictureSelect, "button_select.bmp"},
        {ids::kPictureStop, "button_stop.bmp"},          {ids::kPictureStopLarge, "button_stop_large.bmp"},
    };
    // Built into the program: a bitmap that does not decode is a broken build,
    // which the tests of the button pictures catch.
    for (const auto& [id, name] : kButtons)
        if (auto picture = raster::pictureFromBitmap(resources::find(name))) tk.setPicture(id, std::move(*picture));
}

}  // namespace pitbox
