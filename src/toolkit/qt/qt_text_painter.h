#pragma once
#include <QFont>
#include <map>

#include "raster/text_painter.h"

namespace pitbox::ui {

// The raster's types, as the toolkit shows and paints them.
using raster::Colour;
using raster::FontSpec;
using raster::FontStyle;
using raster::Picture;
using raster::TextPainter;

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
