#include "toolkit/win32/gdi_text_painter.h"

#include <windows.h>

#include <string>

#include "toolkit/win32/gdi.h"

namespace pitbox::ui {
namespace {

COLORREF colorRef(Colour c) { return RGB(raster::redOf(c), raster::greenOf(c), raster::blueOf(c)); }

}  // namespace

GdiTextPainter::GdiTextPainter() : dc_(CreateCompatibleDC(nullptr)) {}

GdiTextPainter::~GdiTextPainter() {
    for (auto& [id, font] : fonts_) DeleteObject(static_cast<HFONT>(font));
    DeleteDC(static_cast<HDC>(dc_));
}

void GdiTextPainter::loadFont(int id, const FontSpec& wanted) {
    if (auto it = fonts_.find(id); it != fonts_.end()) DeleteObject(static_cast<HFONT>(it->second));
    fonts_[id] = gdi::createFont(wanted);
}

void GdiTextPainter::drawText(Picture& picture, int font, int x, int y, const std::string& utf8, Colour front,
                              Colour back) {
    const std::wstring text = gdi::widen(utf8);
    if (text.empty()) return;
    HDC dc = static_cast<HDC>(dc_);
    auto it = fonts_.find(font);
    HGDIOBJ oldFont = it == fonts_.end() ? nullptr : SelectObject(dc, static_cast<HFONT>(it->second));
    SIZE extent{};
    GetTextExtentPoint32W(dc, text.c_str(), static_cast<int>(text.size()), &extent);
    if (extent.cx <= 0 || extent.cy <= 0) {
        if (oldFont) SelectObject(dc, oldFont);
        return;
    }
    // A top-down 32-bit DIB of the text's cell.
    BITMAPINFO info = gdi::dibInfo(Picture(extent.cx, 0));
    info.bmiHeader.biHeight = -extent.cy;
    void* bits = nullptr;
    HBITMAP cell = CreateDIBSection(dc, &info, DIB_RGB_COLORS, &bits, nullptr, 0);
    if (cell && bits) {
        HGDIOBJ oldBitmap = SelectObject(dc, cell);
        SetBkMode(dc, OPAQUE);
        SetBkColor(dc, colorRef(back));
        SetTextColor(dc, colorRef(front));
        SetTextAlign(dc, TA_TOP | TA_LEFT);
        const RECT box{0, 0, extent.cx, extent.cy};
        ExtTextOutW(dc, 0, 0, ETO_OPAQUE, &box, text.c_str(), static_cast<UINT>(text.size()), nullptr);
        GdiFlush();
        const auto* pixels = static_cast<const std::uint32_t*>(bits);  // 0x00RRGGBB
        for (int row = 0; row < extent.cy; ++row)
            for (int col = 0; col < extent.cx; ++col) {
                const std::uint32_t p = pixels[row * extent.cx + col];
                picture.plot(x + col, y + row, raster::rgb((p >> 16) & 0xFF, (p >> 8) & 0xFF, p & 0xFF));
            }
        SelectObject(dc, oldBitmap);
    }
    if (cell) DeleteObject(cell);
    if (oldFont) SelectObject(dc, oldFont);
}

}  // namespace pitbox::ui
