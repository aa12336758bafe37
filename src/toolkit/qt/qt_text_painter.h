#pragma once
#include <QFont>
#include <map>

#include "toolkit/raster_types.h"

namespace pitbox::ui {

// Draws text onto our pictures with Qt's font engine. Needs a QGuiApplication.
class QtTextPainter : public TextPainter {
public:
    void loadFont(int id, const FontSpec& wanted);
    QFont font(int id) const;
    void drawText(Picture& picture, int font, int x, int y, const std::string& utf8, Colour front,
                  Colour back) override;

private:
    std::map<int, QFont> fonts_;
};

QImage toQImage(const Picture& picture);

}  // namespace pitbox::ui
