#include "ui/win32/gdi_text_painter.h"

#include <windows.h>

#include <string>

namespace pitbox::ui {
namespace {

std::wstring widen(const std::string& utf8) {
    if (utf8.empty()) return {};
    const int n = MultiByteToWideChar(CP_UTF8, 0, utf8.data(), static_cast<int>(utf8.size()), nullptr, 0);
    std::wstring out(static_cast<std::size_t>(n), L'\0');
    MultiByteToWideChar(CP_UTF8, 0, utf8.data(), static_cast<int>(utf8.size()), out.data(), n);
    return out;
}

COLORREF colorRef(Colour c) { return RGB(redOf(c), greenOf(c), blueOf(c)); }

HFONT makeFont(const std::wstring& face, int points, bool monospace) {
    // Points at 96 dots per inch, as the picture's pixels are screen pixels.
    return CreateFontW(-MulDiv(points, 96, 72), 0, 0, 0, FW_NORMAL, FALSE, FALSE, FALSE, DEFAULT_CHARSET, OUT_TT_PRECIS,
                       CLIP_DEFAULT_PRECIS, NONANTIALIASED_QUALITY,
                       static_cast<DWORD>((monospace ? FIXED_PITCH | FF_MODERN : VARIABLE_PITCH | FF_SWISS)),
                       face.empty() ? nullptr : face.c_str());
}

}  // namespace

GdiTextPainter::GdiTextPainter() : dc_(CreateCompatibleDC(nullptr)) {}

GdiTextPainter::~GdiTextPainter() {
    for (auto& [id, font] : fonts_) DeleteObject(static_cast<HFONT>(font));
    DeleteDC(static_cast<HDC>(dc_));
}

void GdiTextPainter::loadFont(int id, const FontSpec& wanted) {
    const bool monospace = wanted.style == FontStyle::Monospace;
    HFONT font = makeFont(widen(wanted.family), wanted.points, monospace);
    // GDI always gives some face: when it is not the one asked for, let it pick
    // by kind alone, which keeps a monospaced text monospaced.
    HDC dc = static_cast<HDC>(dc_);
    HGDIOBJ old = SelectObject(dc, font);
    wchar_t face[LF_FACESIZE] = {};
    GetTextFaceW(dc, LF_FACESIZE, face);
    SelectObject(dc, old);
    if (_wcsicmp(face, widen(wanted.family).c_str()) != 0) {
        DeleteObject(font);
        font = makeFont(L"", wanted.points, monospace);
    }
    if (auto it = fonts_.find(id); it != fonts_.end()) DeleteObject(static_cast<HFONT>(it->second));
    fonts_[id] = font;
}

std::string GdiTextPainter::faceName(int font) const {
    auto it = fonts_.find(font);
    if (it == fonts_.end()) return {};
    HDC dc = static_cast<HDC>(dc_);
    HGDIOBJ old = SelectObject(dc, static_cast<HFONT>(it->second));
    wchar_t face[LF_FACESIZE] = {};
    GetTextFaceW(dc, LF_FACESIZE, face);
    SelectObject(dc, old);
    const std::wstring w(face);
    const int n = WideCharToMultiByte(CP_UTF8, 0, w.data(), static_cast<int>(w.size()), nullptr, 0, nullptr, nullptr);
    std::string out(static_cast<std::size_t>(n), '\0');
    WideCharToMultiByte(CP_UTF8, 0, w.data(), static_cast<int>(w.size()), out.data(), n, nullptr, nullptr);
    return out;
}

void GdiTextPainter::drawText(Picture& picture, int font, int x, int y, const std::string& utf8, Colour front,
                              Colour back) {
    const std::wstring text = widen(utf8);
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
    BITMAPINFO info{};
    info.bmiHeader.biSize = sizeof info.bmiHeader;
    info.bmiHeader.biWidth = extent.cx;
    info.bmiHeader.biHeight = -extent.cy;
    info.bmiHeader.biPlanes = 1;
    info.bmiHeader.biBitCount = 32;
    info.bmiHeader.biCompression = BI_RGB;
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
                picture.plot(x + col, y + row, rgb((p >> 16) & 0xFF, (p >> 8) & 0xFF, p & 0xFF));
            }
        SelectObject(dc, oldBitmap);
    }
    if (cell) DeleteObject(cell);
    if (oldFont) SelectObject(dc, oldFont);
}

}  // namespace pitbox::ui
