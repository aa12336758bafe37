#pragma once
#include <QIcon>

namespace pitbox::ui {

// The program's icon, 48 and 256 pixels, from the pictures built into it.
QIcon applicationIcon();

}  // namespace pitbox::ui
