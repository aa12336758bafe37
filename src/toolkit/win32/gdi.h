#pragma once
#include <windows.h>

#include <string>
#include <string_view>
#include <vector>

#include "platform/utf16.h"
#include "toolkit/raster_types.h"

// What the GDI text painter and the Win32 toolkit share.
namespace pitbox::ui::gdi {

// Texts cross into the wide-character API as the platform layer converts them.
using platform::narrow;
using platform::widen;

// The face asked for when it is there, else a face of the same kind (monospaced
// or not) that GDI picks; points at 96 dots per inch.
// A font as asked for, its points at `dpi` pixels an inch.
HFONT createFont(const FontSpec& wanted, int dpi = 96);
// The system's dialog font, sized for `dpi`.
HFONT dialogFont(int dpi);
// The pixels an inch of a window's monitor, or of the screen (nullptr).
int dpiOf(HWND window);

// A picture's pixels as a top-down 32-bit DIB wants them (blue, green, red, 0).
std::vector<std::uint32_t> dibPixels(const Picture& picture);
BITMAPINFO dibInfo(const Picture& picture);

}  // namespace pitbox::ui::gdi
