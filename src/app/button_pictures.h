#pragma once
#include "toolkit/toolkit.h"

namespace pitbox {

// Creates the fourteen button pictures from the bitmaps built into the program.
void loadButtonPictures(ui::Toolkit& tk);

}  // namespace pitbox
