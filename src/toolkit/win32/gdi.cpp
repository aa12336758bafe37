#include "toolkit/win32/gdi.h"

namespace pitbox::ui::gdi {

namespace {

HFONT makeFont(const std::wstring& face, int points, bool monospace) {
    return CreateFontW(-MulDiv(points, 96, 72), 0, 0, 0, FW_NORMAL, FALSE, FALSE, FALSE, DEFAULT_CHARSET, OUT_TT_PRECIS,
                       CLIP_DEFAULT_PRECIS, NONANTIALIASED_QUALITY,
                       static_cast<DWORD>(monospace ? FIXED_PITCH | FF_MODERN : VARIABLE_PITCH | FF_SWISS),
                       face.empty() ? nullptr : face.c_str());
}

}  // namespace

HFONT createFont(const FontSpec& wanted) {
    const bool monospace = wanted.style == FontStyle::Monospace;
    const std::wstring face = widen(wanted.family);
    HFONT font = makeFont(face, wanted.points, monospace);
    // GDI always gives some face: when it is not the one asked for, let it pick
    // by kind alone, which keeps a monospaced text monospaced.
    HDC dc = CreateCompatibleDC(nullptr);
    HGDIOBJ old = SelectObject(dc, font);
    wchar_t got[LF_FACESIZE] = {};
    GetTextFaceW(dc, LF_FACESIZE, got);
    SelectObject(dc, old);
    DeleteDC(dc);
    if (_wcsicmp(got, face.c_str()) != 0) {
        DeleteObject(font);
        font = makeFont(L"", wanted.points, monospace);
    }
    return font;
}

std::vector<std::uint32_t> dibPixels(const Picture& picture) {
    std::vector<std::uint32_t> out;
    out.reserve(picture.pixels().size());
    for (Colour c : picture.pixels())
        out.push_back(raster::redOf(c) << 16 | raster::greenOf(c) << 8 | raster::blueOf(c));
    return out;
}

BITMAPINFO dibInfo(const Picture& picture) {
    BITMAPINFO info{};
    info.bmiHeader.biSize = sizeof info.bmiHeader;
    info.bmiHeader.biWidth = picture.width();
    info.bmiHeader.biHeight = -picture.height();  // top-down
    info.bmiHeader.biPlanes = 1;
    info.bmiHeader.biBitCount = 32;
    info.bmiHeader.biCompression = BI_RGB;
    return info;
}

}  // namespace pitbox::ui::gdi
