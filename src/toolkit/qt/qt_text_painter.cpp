#include "toolkit/qt/qt_text_painter.h"

#include <QFontMetrics>
#include <QImage>
#include <QPainter>

namespace pitbox::ui {

void QtTextPainter::loadFont(int id, const FontSpec& wanted) {
    QFont f(QString::fromStdString(wanted.family), wanted.points, QFont::Normal);
    f.setStyleHint(wanted.style == FontStyle::Monospace ? QFont::TypeWriter : QFont::SansSerif);
    fonts_[id] = f;
}

QFont QtTextPainter::font(int id) const {
    auto it = fonts_.find(id);
    return it == fonts_.end() ? QFont() : it->second;
}

static QRgb toQRgb(Colour c) {
    return qRgb(static_cast<int>(raster::redOf(c)), static_cast<int>(raster::greenOf(c)),
                static_cast<int>(raster::blueOf(c)));
}

void QtTextPainter::drawText(Picture& picture, int fontId, int x, int y, const std::string& utf8, Colour front,
                             Colour back) {
    const QString text = QString::fromUtf8(utf8.data(), static_cast<qsizetype>(utf8.size()));
    const QFont f = font(fontId);
    const QFontMetrics metrics(f);
    const int w = metrics.horizontalAdvance(text);
    const int h = metrics.height();
    if (w <= 0 || h <= 0) return;
    QImage cell(w, h, QImage::Format_RGB32);
    cell.fill(toQRgb(back));
    {
        QPainter painter(&cell);
        painter.setFont(f);
        painter.setPen(QColor(toQRgb(front)));
        painter.drawText(0, metrics.ascent(), text);
    }
    for (int row = 0; row < h; ++row) {
        const auto* line = reinterpret_cast<const QRgb*>(cell.constScanLine(row));
        for (int col = 0; col < w; ++col) {
            const QRgb p = line[col];
            picture.plot(x + col, y + row,
                         raster::rgb(static_cast<unsigned>(qRed(p)), static_cast<unsigned>(qGreen(p)),
                                     static_cast<unsigned>(qBlue(p))));
        }
    }
}

QImage toQImage(const Picture& picture) {
    QImage image(picture.width(), picture.height(), QImage::Format_RGB32);
    for (int row = 0; row < picture.height(); ++row) {
        auto* line = reinterpret_cast<QRgb*>(image.scanLine(row));
        for (int col = 0; col < picture.width(); ++col) line[col] = toQRgb(picture.at(col, row));
    }
    return image;
}

}  // namespace pitbox::ui
