#include "toolkit/qt/app_icon.h"

#include <QPixmap>

#include "resources/embedded.h"

namespace pitbox::ui {

QIcon applicationIcon() {
    QIcon icon;
    for (const char* name : {"kestrun-pitbox-48.png", "kestrun-pitbox-256.png"}) {
        const auto bytes = resources::find(name);
        QPixmap pixmap;
        if (pixmap.loadFromData(bytes.data(), static_cast<uint>(bytes.size()), "PNG")) icon.addPixmap(pixmap);
    }
    return icon;
}

}  // namespace pitbox::ui
