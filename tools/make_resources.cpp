// Draws the fourteen button pictures and writes them, with the preview's bitmap
// template, as 8-bit palette BMP files into the folder given on the command line.
// Run it after changing a button; its output is committed under resources/.
#include <QBuffer>
#include <QFont>
#include <QGuiApplication>
#include <QImage>
#include <QPainter>
#include <QPainterPath>
#include <array>
#include <cmath>
#include <cstdint>
#include <fstream>
#include <functional>
#include <iostream>
#include <string>
#include <vector>

namespace {

const QColor kBackground(252, 254, 252);

struct Palette {
    std::vector<QRgb> colours;
    Palette() {
        colours.push_back(kBackground.rgb());
        for (int r = 0; r < 6; ++r)
            for (int g = 0; g < 6; ++g)
                for (int b = 0; b < 6; ++b) colours.push_back(qRgb(r * 51, g * 51, b * 51));
        while (colours.size() < 256) {
            const int v = static_cast<int>((colours.size() - 217) * 255 / 38);
            colours.push_back(qRgb(v, v, v));
        }
    }
    std::uint8_t nearest(QRgb c) const {
        int best = 0;
        long bestDistance = 1L << 40;
        for (std::size_t i = 0; i < colours.size(); ++i) {
            const long dr = qRed(c) - qRed(colours[i]);
            const long dg = qGreen(c) - qGreen(colours[i]);
            const long db = qBlue(c) - qBlue(colours[i]);
            const long d = 3 * dr * dr + 4 * dg * dg + 2 * db * db;
            if (d < bestDistance) {
                bestDistance = d;
                best = static_cast<int>(i);
            }
        }
        return static_cast<std::uint8_t>(best);
    }
};

void put16(std::vector<std::uint8_t>& out, std::size_t at, std::uint32_t v) {
    out[at] = static_cast<std::uint8_t>(v);
    out[at + 1] = static_cast<std::uint8_t>(v >> 8);
}
void put32(std::vector<std::uint8_t>& out, std::size_t at, std::uint32_t v) {
    for (int i = 0; i < 4; ++i) out[at + static_cast<std::size_t>(i)] = static_cast<std::uint8_t>(v >> (8 * i));
}

// An uncompressed 8-bit BMP with a 256-entry palette, rows bottom-up.
std::vector<std::uint8_t> bmpHeader(int width, int height, std::uint32_t fileSize, std::uint32_t imageSize,
                                    const std::array<QRgb, 256>& palette) {
    std::vector<std::uint8_t> out(1078, 0);
    out[0] = 'B';
    out[1] = 'M';
    put32(out, 2, fileSize);
    put32(out, 10, 1078);
    put32(out, 14, 40);
    put32(out, 18, static_cast<std::uint32_t>(width));
    put32(out, 22, static_cast<std::uint32_t>(height));
    put16(out, 26, 1);
    put16(out, 28, 8);
    put32(out, 34, imageSize);
    put32(out, 46, 256);
    put32(out, 50, 256);
    for (std::size_t i = 0; i < 256; ++i) {
        out[54 + 4 * i] = static_cast<std::uint8_t>(qBlue(palette[i]));
        out[55 + 4 * i] = static_cast<std::uint8_t>(qGreen(palette[i]));
        out[56 + 4 * i] = static_cast<std::uint8_t>(qRed(palette[i]));
    }
    return out;
}

std::vector<std::uint8_t> toBmp(const QImage& image, const Palette& palette) {
    const int w = image.width(), h = image.height();
    const int stride = (w + 3) & ~3;
    std::array<QRgb, 256> colours{};
    for (std::size_t i = 0; i < 256; ++i) colours[i] = palette.colours[i];
    const auto imageSize = static_cast<std::uint32_t>(stride * h);
    auto out = bmpHeader(w, h, 1078 + imageSize, imageSize, colours);
    for (int row = h - 1; row >= 0; --row) {
        for (int col = 0; col < w; ++col) out.push_back(palette.nearest(image.pixel(col, row)));
        for (int pad = w; pad < stride; ++pad) out.push_back(0);
    }
    return out;
}

std::vector<std::uint8_t> previewTemplate() {
    std::array<QRgb, 256> palette{};
    const std::pair<int, QRgb> used[] = {
        {0, qRgb(0, 0, 0)},         {9, qRgb(62, 62, 62)},      {23, qRgb(158, 158, 158)},  {26, qRgb(179, 179, 179)},
        {42, qRgb(145, 202, 91)},   {59, qRgb(160, 135, 110)},  {83, qRgb(211, 172, 158)},  {89, qRgb(250, 220, 210)},
        {100, qRgb(220, 230, 239)}, {104, qRgb(245, 250, 255)}, {154, qRgb(190, 210, 130)}, {240, qRgb(0, 100, 150)},
        {242, qRgb(255, 255, 255)}, {244, qRgb(255, 0, 0)},     {245, qRgb(255, 255, 0)},
    };
    for (const auto& [index, colour] : used) palette[static_cast<std::size_t>(index)] = colour;
    auto out = bmpHeader(512, 560, 1334, 256, palette);
    out.resize(1334, 240);
    return out;
}

// ---- icons, drawn into a square of side s at the origin ----

void folder(QPainter& p, double s, QColor body = QColor(244, 196, 48)) {
    p.setPen(QPen(body.darker(160), s / 20));
    p.setBrush(body.darker(115));
    p.drawRoundedRect(QRectF(s * 0.06, s * 0.18, s * 0.4, s * 0.2), s * 0.05, s * 0.05);
    p.setBrush(body);
    p.drawRoundedRect(QRectF(s * 0.06, s * 0.28, s * 0.88, s * 0.58), s * 0.06, s * 0.06);
}

void arrow(QPainter& p, QPointF from, QPointF to, QColor colour, double width) {
    p.setPen(QPen(colour, width, Qt::SolidLine, Qt::RoundCap));
    p.drawLine(from, to);
    const QLineF line(to, from);
    QLineF a = line;
    a.setLength(width * 2.2);
    a.setAngle(line.angle() + 35);
    QLineF b = line;
    b.setLength(width * 2.2);
    b.setAngle(line.angle() - 35);
    p.setBrush(colour);
    p.setPen(Qt::NoPen);
    p.drawPolygon(QPolygonF({to, a.p2(), b.p2()}));
}

void iconLoad(QPainter& p, double s) { folder(p, s); }
void iconSelect(QPainter& p, double s) {
    folder(p, s, QColor(236, 178, 60));
    p.setPen(QPen(QColor(40, 120, 40), s / 10, Qt::SolidLine, Qt::RoundCap));
    p.drawLine(QPointF(s * 0.32, s * 0.58), QPointF(s * 0.46, s * 0.72));
    p.drawLine(QPointF(s * 0.46, s * 0.72), QPointF(s * 0.72, s * 0.44));
}
void iconScan(QPainter& p, double s) {
    p.setPen(QPen(QColor(170, 130, 0), s / 20));
    p.setBrush(QColor(255, 226, 60));
    p.drawEllipse(QRectF(s * 0.2, s * 0.04, s * 0.6, s * 0.6));
    p.setBrush(QColor(150, 150, 150));
    p.setPen(QPen(QColor(90, 90, 90), s / 20));
    p.drawRect(QRectF(s * 0.36, s * 0.62, s * 0.28, s * 0.24));
    p.drawLine(QPointF(s * 0.36, s * 0.72), QPointF(s * 0.64, s * 0.72));
    p.setPen(QPen(QColor(200, 140, 0), s / 18));
    p.drawLine(QPointF(s * 0.42, s * 0.5), QPointF(s * 0.5, s * 0.36));
    p.drawLine(QPointF(s * 0.5, s * 0.36), QPointF(s * 0.58, s * 0.5));
}
void iconAuthor(QPainter& p, double s) {
    p.setPen(QPen(QColor(30, 60, 120), s / 20));
    p.setBrush(QColor(250, 210, 170));
    p.drawEllipse(QRectF(s * 0.32, s * 0.06, s * 0.36, s * 0.36));
    p.setBrush(QColor(60, 110, 200));
    QPainterPath body;
    body.moveTo(s * 0.12, s * 0.94);
    body.cubicTo(s * 0.12, s * 0.5, s * 0.88, s * 0.5, s * 0.88, s * 0.94);
    body.closeSubpath();
    p.drawPath(body);
}
void iconBack(QPainter& p, double s) {
    folder(p, s);
    p.setBrush(Qt::NoBrush);
    p.setPen(QPen(QColor(20, 110, 210), s / 9, Qt::SolidLine, Qt::RoundCap));
    p.drawArc(QRectF(s * 0.3, s * 0.38, s * 0.5, s * 0.4), 0, 180 * 16);
    arrow(p, QPointF(s * 0.3, s * 0.58), QPointF(s * 0.3, s * 0.8), QColor(20, 110, 210), s / 9);
}
void iconClose(QPainter& p, double s) {
    p.setPen(QPen(QColor(150, 0, 0), s / 20));
    p.setBrush(QColor(220, 30, 30));
    p.drawEllipse(QRectF(s * 0.06, s * 0.06, s * 0.88, s * 0.88));
    p.setPen(QPen(Qt::white, s / 7, Qt::SolidLine, Qt::RoundCap));
    p.drawLine(QPointF(s * 0.32, s * 0.32), QPointF(s * 0.68, s * 0.68));
    p.drawLine(QPointF(s * 0.68, s * 0.32), QPointF(s * 0.32, s * 0.68));
}
void iconStop(QPainter& p, double s) {
    QPolygonF octagon;
    for (int k = 0; k < 8; ++k) {
        const double a = (22.5 + 45.0 * k) * 3.14159265358979 / 180.0;
        octagon << QPointF(s * (0.5 + 0.45 * std::cos(a)), s * (0.5 + 0.45 * std::sin(a)));
    }
    p.setPen(QPen(QColor(150, 0, 0), s / 20));
    p.setBrush(QColor(220, 30, 30));
    p.drawPolygon(octagon);
    p.setPen(Qt::NoPen);
    p.setBrush(Qt::white);
    p.drawRect(QRectF(s * 0.32, s * 0.32, s * 0.36, s * 0.36));
}
void iconCopy(QPainter& p, double s) {
    folder(p, s);
    arrow(p, QPointF(s * 0.2, s * 0.5), QPointF(s * 0.62, s * 0.5), QColor(20, 90, 220), s / 11);
    arrow(p, QPointF(s * 0.8, s * 0.7), QPointF(s * 0.38, s * 0.7), QColor(20, 90, 220), s / 11);
}
void iconKm(QPainter& p, double s) {
    p.setPen(QPen(QColor(40, 40, 40), s / 14));
    p.setBrush(Qt::white);
    p.drawEllipse(QRectF(s * 0.06, s * 0.06, s * 0.88, s * 0.88));
    p.setPen(QPen(QColor(60, 60, 60), s / 24));
    for (int i = 0; i <= 6; ++i) {
        QLineF tick(QPointF(s / 2, s / 2), QPointF(s / 2, s * 0.12));
        tick.setAngle(210 - i * 40);
        QLineF inner = tick;
        inner.setLength(s * 0.28);
        p.drawLine(inner.p2(), tick.p2());
    }
    QLineF needle(QPointF(s / 2, s / 2), QPointF(s / 2, s * 0.2));
    needle.setAngle(50);
    p.setPen(QPen(QColor(220, 20, 20), s / 11, Qt::SolidLine, Qt::RoundCap));
    p.drawLine(needle);
}
void iconSaveList(QPainter& p, double s) {
    p.setPen(QPen(QColor(90, 90, 110), s / 20));
    p.setBrush(Qt::white);
    QPolygonF sheet({QPointF(s * 0.18, s * 0.04), QPointF(s * 0.62, s * 0.04), QPointF(s * 0.84, s * 0.26),
                     QPointF(s * 0.84, s * 0.96), QPointF(s * 0.18, s * 0.96)});
    p.drawPolygon(sheet);
    p.drawPolyline(QPolygonF({QPointF(s * 0.62, s * 0.04), QPointF(s * 0.62, s * 0.26), QPointF(s * 0.84, s * 0.26)}));
    p.setPen(QPen(QColor(40, 100, 200), s / 16));
    for (int i = 0; i < 4; ++i)
        p.drawLine(QPointF(s * 0.3, s * (0.42 + 0.13 * i)), QPointF(s * 0.72, s * (0.42 + 0.13 * i)));
}
void iconNew(QPainter& p, double s) {
    folder(p, s);
    p.setPen(Qt::NoPen);
    p.setBrush(QColor(30, 160, 50));
    p.drawEllipse(QRectF(s * 0.42, s * 0.42, s * 0.52, s * 0.52));
    p.setPen(QPen(Qt::white, s / 9, Qt::SolidLine, Qt::RoundCap));
    p.drawLine(QPointF(s * 0.68, s * 0.52), QPointF(s * 0.68, s * 0.84));
    p.drawLine(QPointF(s * 0.52, s * 0.68), QPointF(s * 0.84, s * 0.68));
}
void iconShow(QPainter& p, double s) {
    p.setPen(QPen(QColor(90, 60, 30), s / 14));
    p.setBrush(QColor(120, 190, 250));
    p.drawRect(QRectF(s * 0.04, s * 0.14, s * 0.92, s * 0.72));
    p.setPen(Qt::NoPen);
    p.setBrush(QColor(255, 210, 0));
    p.drawEllipse(QRectF(s * 0.62, s * 0.22, s * 0.2, s * 0.2));
    p.setBrush(QColor(60, 160, 60));
    p.drawPolygon(QPolygonF({QPointF(s * 0.08, s * 0.82), QPointF(s * 0.36, s * 0.4), QPointF(s * 0.6, s * 0.82)}));
    p.setBrush(QColor(40, 120, 40));
    p.drawPolygon(QPolygonF({QPointF(s * 0.4, s * 0.82), QPointF(s * 0.66, s * 0.52), QPointF(s * 0.92, s * 0.82)}));
}
void iconSort(QPainter& p, double s) {
    QFont f("Liberation Serif");
    f.setPixelSize(static_cast<int>(s * 1.05));
    f.setBold(true);
    p.setFont(f);
    p.setPen(QColor(210, 20, 20));
    p.drawText(QRectF(0, 0, s, s), Qt::AlignCenter, "A");
}
void iconWorldSize(QPainter& p, double s) {
    p.setPen(QPen(QColor(20, 70, 150), s / 20));
    p.setBrush(QColor(70, 150, 230));
    const QRectF globe(s * 0.04, s * 0.04, s * 0.7, s * 0.7);
    p.drawEllipse(globe);
    p.setBrush(Qt::NoBrush);
    p.setPen(QPen(QColor(230, 245, 255), s / 28));
    p.drawEllipse(QRectF(s * 0.22, s * 0.04, s * 0.34, s * 0.7));
    p.drawLine(QPointF(s * 0.04, s * 0.39), QPointF(s * 0.74, s * 0.39));
    p.setPen(QPen(QColor(60, 60, 60), s / 12));
    p.setBrush(QColor(255, 255, 255, 140));
    p.drawEllipse(QRectF(s * 0.42, s * 0.42, s * 0.34, s * 0.34));
    p.setPen(QPen(QColor(110, 70, 30), s / 8, Qt::SolidLine, Qt::RoundCap));
    p.drawLine(QPointF(s * 0.74, s * 0.74), QPointF(s * 0.94, s * 0.94));
}

using Icon = std::function<void(QPainter&, double)>;

QFont captionFont(int pixels) {
    QFont f("Liberation Sans");
    f.setStyleHint(QFont::SansSerif);
    f.setPixelSize(pixels);
    f.setBold(true);
    return f;
}

void drawIcon(QPainter& p, const Icon& icon, QPointF at, double size) {
    p.save();
    p.translate(at);
    icon(p, size);
    p.restore();
}

QImage canvas(int w, int h) {
    QImage image(w, h, QImage::Format_RGB32);
    image.fill(kBackground);
    return image;
}

// Icon on the left, caption centred in the rest.
QImage button(int w, int h, const QString& caption, const Icon& icon, int iconSize, int textPixels) {
    QImage image = canvas(w, h);
    QPainter p(&image);
    p.setRenderHint(QPainter::Antialiasing);
    p.setRenderHint(QPainter::TextAntialiasing);
    const double margin = (h - iconSize) / 2.0;
    drawIcon(p, icon, QPointF(margin + 1, margin), iconSize);
    p.setFont(captionFont(textPixels));
    p.setPen(Qt::black);
    const double left = margin + iconSize + 2;
    p.drawText(QRectF(left, 0, w - left - 2, h), Qt::AlignCenter, caption);
    return image;
}

QImage sortTrackButton(int w, int h) {
    QImage image = canvas(w, h);
    QPainter p(&image);
    p.setRenderHint(QPainter::Antialiasing);
    p.setRenderHint(QPainter::TextAntialiasing);
    const QFont f = captionFont(15);
    p.setFont(f);
    p.setPen(Qt::black);
    const QFontMetricsF m(f);
    const double icon = 24;
    const double total = m.horizontalAdvance("Sort") + 6 + icon + 6 + m.horizontalAdvance("Track");
    double x = (w - total) / 2;
    p.drawText(QRectF(x, 0, m.horizontalAdvance("Sort") + 1, h), Qt::AlignVCenter | Qt::AlignLeft, "Sort");
    x += m.horizontalAdvance("Sort") + 6;
    drawIcon(p, iconSort, QPointF(x, (h - icon) / 2), icon);
    x += icon + 6;
    p.drawText(QRectF(x, 0, m.horizontalAdvance("Track") + 2, h), Qt::AlignVCenter | Qt::AlignLeft, "Track");
    return image;
}

// The application icon: a road loop on grass with a chequered flag.
QImage appIcon(int size) {
    QImage image(size, size, QImage::Format_ARGB32);
    image.fill(Qt::transparent);
    QPainter p(&image);
    p.setRenderHint(QPainter::Antialiasing);
    const double s = size;
    p.setPen(QPen(QColor(30, 90, 40), s / 32));
    p.setBrush(QColor(120, 190, 80));
    p.drawRoundedRect(QRectF(s * 0.04, s * 0.04, s * 0.92, s * 0.92), s * 0.18, s * 0.18);
    p.setBrush(Qt::NoBrush);
    p.setPen(QPen(QColor(235, 235, 235), s * 0.16, Qt::SolidLine, Qt::RoundCap));
    p.drawEllipse(QRectF(s * 0.18, s * 0.26, s * 0.64, s * 0.48));
    p.setPen(QPen(QColor(90, 90, 95), s * 0.12, Qt::SolidLine, Qt::RoundCap));
    p.drawEllipse(QRectF(s * 0.18, s * 0.26, s * 0.64, s * 0.48));
    // Chequered flag on a pole, top right.
    p.setPen(QPen(QColor(60, 40, 20), s / 40));
    p.drawLine(QPointF(s * 0.62, s * 0.12), QPointF(s * 0.62, s * 0.56));
    const double cell = s * 0.06;
    for (int row = 0; row < 3; ++row)
        for (int col = 0; col < 4; ++col) {
            p.setPen(Qt::NoPen);
            p.setBrush((row + col) % 2 ? Qt::white : Qt::black);
            p.drawRect(QRectF(s * 0.62 + col * cell, s * 0.12 + row * cell, cell, cell));
        }
    return image;
}

bool writeFile(const std::string& path, const std::vector<std::uint8_t>& bytes) {
    std::ofstream out(path, std::ios::binary);
    out.write(reinterpret_cast<const char*>(bytes.data()), static_cast<std::streamsize>(bytes.size()));
    return static_cast<bool>(out);
}

}  // namespace

// A Windows icon: the application icon at 16, 32, 48 and 256 pixels, each kept
// as PNG inside the ICO container.
std::vector<std::uint8_t> windowsIcon() {
    const int sizes[] = {16, 32, 48, 256};
    std::vector<QByteArray> pngs;
    for (int size : sizes) {
        QByteArray png;
        QBuffer buffer(&png);
        buffer.open(QIODevice::WriteOnly);
        appIcon(size).save(&buffer, "PNG");
        pngs.push_back(png);
    }
    std::vector<std::uint8_t> out;
    auto le16 = [&](unsigned v) {
        out.push_back(static_cast<std::uint8_t>(v & 0xFF));
        out.push_back(static_cast<std::uint8_t>((v >> 8) & 0xFF));
    };
    auto le32 = [&](unsigned v) {
        le16(v & 0xFFFF);
        le16(v >> 16);
    };
    le16(0);
    le16(1);
    le16(static_cast<unsigned>(pngs.size()));
    unsigned offset = 6 + 16 * static_cast<unsigned>(pngs.size());
    for (std::size_t i = 0; i < pngs.size(); ++i) {
        out.push_back(static_cast<std::uint8_t>(sizes[i] == 256 ? 0 : sizes[i]));  // 0 stands for 256
        out.push_back(static_cast<std::uint8_t>(sizes[i] == 256 ? 0 : sizes[i]));
        out.push_back(0);
        out.push_back(0);
        le16(1);
        le16(32);
        le32(static_cast<unsigned>(pngs[i].size()));
        le32(offset);
        offset += static_cast<unsigned>(pngs[i].size());
    }
    for (const QByteArray& png : pngs) out.insert(out.end(), png.begin(), png.end());
    return out;
}

int main(int argc, char** argv) {
    if (argc != 2) {
        std::cerr << "usage: make_resources OUTPUT_FOLDER\n";
        return 2;
    }
    qputenv("QT_QPA_PLATFORM", "offscreen");
    QGuiApplication app(argc, argv);
    const std::string folder = std::string(argv[1]) + "/";
    const Palette palette;
    struct Item {
        const char* file;
        QImage image;
    };
    const Item items[] = {
        {"button_load.bmp", button(86, 32, "Load", iconLoad, 24, 15)},
        {"button_scan.bmp", button(80, 32, "Scan", iconScan, 24, 15)},
        {"button_author.bmp", button(93, 32, "Author", iconAuthor, 24, 15)},
        {"button_back.bmp", button(95, 32, "Back", iconBack, 24, 15)},
        {"button_close.bmp", button(98, 32, "Close", iconClose, 24, 15)},
        {"button_copy_large.bmp", button(174, 64, "Copy", iconCopy, 48, 30)},
        {"button_copy.bmp", button(87, 32, "Copy", iconCopy, 24, 15)},
        {"button_km.bmp", button(70, 32, "km", iconKm, 24, 15)},
        {"button_save_list.bmp", button(76, 32, "Save\nList", iconSaveList, 24, 12)},
        {"button_new.bmp", button(86, 32, "New", iconNew, 24, 15)},
        {"button_show.bmp", button(96, 32, "Show", iconShow, 24, 15)},
        {"button_sort_track.bmp", sortTrackButton(138, 32)},
        {"button_ws.bmp", button(76, 32, "WS", iconWorldSize, 24, 15)},
        {"button_select.bmp", button(97, 32, "Select", iconSelect, 24, 15)},
        // In place of a button's own picture while the work it started runs.
        {"button_stop.bmp", button(80, 32, "Stop", iconStop, 24, 15)},
        {"button_stop_large.bmp", button(174, 64, "Stop", iconStop, 48, 30)},
    };
    bool ok = true;
    for (const Item& item : items) ok = writeFile(folder + item.file, toBmp(item.image, palette)) && ok;
    ok = writeFile(folder + "preview_template.bmp", previewTemplate()) && ok;
    for (int size : {48, 256})
        ok = appIcon(size).save(
                 QString::fromStdString(folder + "icons/kestrun-pitbox-" + std::to_string(size) + ".png")) &&
             ok;
    ok = writeFile(folder + "windows/kestrun-pitbox.ico", windowsIcon()) && ok;
    if (!ok) std::cerr << "make_resources: cannot write into " << folder << "\n";
    return ok ? 0 : 1;
}
