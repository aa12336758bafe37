#include "toolkit/win32/gdi.h"

namespace pitbox::ui::gdi {

namespace {

HFONT makeFont(const std::wstring& face, int points, bool monospace, int dpi) {
    return CreateFontW(-MulDiv(points, dpi, 72), 0, 0, 0, FW_NORMAL, FALSE, FALSE, FALSE, DEFAULT_CHARSET,
                       OUT_TT_PRECIS, CLIP_DEFAULT_PRECIS, NONANTIALIASED_QUALITY,
                       static_cast<DWORD>(monospace ? FIXED_PITCH | FF_MODERN : VARIABLE_PITCH | FF_SWISS),
                       face.empty() ? nullptr : face.c_str());
}

}  // namespace

HFONT createFont(const FontSpec& wanted, int dpi) {
    const bool monospace = wanted.style == FontStyle::Monospace;
    const std::wstring face = widen(wanted.family);
    HFONT font = makeFont(face, wanted.points, monospace, dpi);
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
        font = makeFont(L"", wanted.points, monospace, dpi);
    }
    return font;
}

HFONT dialogFont(int dpi) {
    LOGFONTW face{};
    GetObjectW(GetStockObject(DEFAULT_GUI_FONT), sizeof face, &face);
    // The stock font is made for the system's pixels an inch, not for 96:
    // scaled from 96, a scaled screen's captions came out too large for their buttons.
    HDC screen = GetDC(nullptr);
    const int systemDpi = screen ? GetDeviceCaps(screen, LOGPIXELSY) : 96;
    if (screen) ReleaseDC(nullptr, screen);
    face.lfHeight = MulDiv(face.lfHeight, dpi, systemDpi > 0 ? systemDpi : 96);
    face.lfWidth = 0;
    return CreateFontIndirectW(&face);
}

int dpiOf(HWND window) {
    // Windows 10 1607 and later tell each window's monitor's; before, the system's.
    using DpiForWindow = UINT(WINAPI*)(HWND);
    static const auto forWindow = reinterpret_cast<DpiForWindow>(
        reinterpret_cast<void*>(GetProcAddress(GetModuleHandleW(L"user32.dll"), "GetDpiForWindow")));
    if (window && forWindow)
        if (const UINT dpi = forWindow(window); dpi > 0) return static_cast<int>(dpi);
    HDC screen = GetDC(nullptr);
    const int dpi = GetDeviceCaps(screen, LOGPIXELSX);
    ReleaseDC(nullptr, screen);
    return dpi > 0 ? dpi : 96;
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
