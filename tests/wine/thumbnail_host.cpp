// Stands in for Explorer: makes the thumbnail provider the installer
// registered by its class id, hands it a stream of the file, asks for a
// thumbnail of SIZE pixels and holds the bitmap against the map the preview
// draws. Prints "SIZExSIZE same", "none" (no thumbnail), "not registered",
// or how they differ; exits 0 only for the first two.
//   thumbnail_host TRACK SIZE
#include <objbase.h>
#include <propsys.h>
#include <shlwapi.h>
#include <thumbcache.h>
#include <windows.h>

#include <cstdio>
#include <string>
#include <vector>

#include "platform/utf16.h"
#include "preview/track_preview.h"
#include "shell/thumbnail_provider.h"

namespace {

int differs(const char* why) {
    std::printf("%s\n", why);
    return 1;
}

int host(const std::wstring& track, UINT size) {
    IInitializeWithStream* init = nullptr;
    HRESULT hr = CoCreateInstance(kThumbnailProviderClass, nullptr, CLSCTX_INPROC_SERVER,
                                  __uuidof(IInitializeWithStream), reinterpret_cast<void**>(&init));
    if (hr == REGDB_E_CLASSNOTREG) {
        std::printf("not registered\n");
        return 2;
    }
    if (FAILED(hr)) return differs("CoCreateInstance failed");
    IStream* stream = nullptr;
    if (FAILED(SHCreateStreamOnFileEx(track.c_str(), STGM_READ | STGM_SHARE_DENY_NONE, 0, FALSE, nullptr, &stream)))
        return differs("no stream of the file");
    hr = init->Initialize(stream, STGM_READ);
    stream->Release();
    if (FAILED(hr)) return differs("Initialize failed");
    IThumbnailProvider* provider = nullptr;
    hr = init->QueryInterface(__uuidof(IThumbnailProvider), reinterpret_cast<void**>(&provider));
    init->Release();
    if (FAILED(hr)) return differs("no IThumbnailProvider");
    HBITMAP bitmap = nullptr;
    WTS_ALPHATYPE alpha = WTSAT_UNKNOWN;
    hr = provider->GetThumbnail(size, &bitmap, &alpha);
    provider->Release();
    if (FAILED(hr)) {
        std::printf("none\n");
        return 0;
    }
    BITMAP shape{};
    GetObjectW(bitmap, sizeof(shape), &shape);
    BITMAPINFO info{};
    info.bmiHeader.biSize = sizeof(info.bmiHeader);
    info.bmiHeader.biWidth = shape.bmWidth;
    info.bmiHeader.biHeight = -shape.bmHeight;
    info.bmiHeader.biPlanes = 1;
    info.bmiHeader.biBitCount = 32;
    info.bmiHeader.biCompression = BI_RGB;
    std::vector<std::uint8_t> bgra(static_cast<std::size_t>(shape.bmWidth) * static_cast<std::size_t>(shape.bmHeight) *
                                   4);
    HDC screen = GetDC(nullptr);
    const int rows =
        GetDIBits(screen, bitmap, 0, static_cast<UINT>(shape.bmHeight), bgra.data(), &info, DIB_RGB_COLORS);
    ReleaseDC(nullptr, screen);
    DeleteObject(bitmap);
    if (rows != shape.bmHeight) return differs("GetDIBits failed");
    if (alpha != WTSAT_RGB) return differs("not an opaque bitmap");

    pitbox::TrackBuffer buffer;
    pitbox::HeaderFields header;
    const auto expected =
        pitbox::preview::trackThumbnail(pitbox::platform::narrow(track), buffer, header, static_cast<int>(size));
    if (!expected) return differs("the preview draws no map of it");
    if (expected->width() != shape.bmWidth || expected->height() != shape.bmHeight) return differs("another size");
    for (std::size_t i = 0; i < expected->pixels().size(); ++i) {
        const pitbox::raster::Colour c = expected->pixels()[i];
        if (bgra[4 * i] != pitbox::raster::blueOf(c) || bgra[4 * i + 1] != pitbox::raster::greenOf(c) ||
            bgra[4 * i + 2] != pitbox::raster::redOf(c))
            return differs("other pixels");
    }
    std::printf("%ldx%ld same\n", shape.bmWidth, shape.bmHeight);
    return 0;
}

}  // namespace

int wmain(int argc, wchar_t** argv) {
    if (argc != 3) {
        std::printf("usage: thumbnail_host TRACK SIZE\n");
        return 2;
    }
    // The shell's own threads are single-threaded apartments.
    CoInitializeEx(nullptr, COINIT_APARTMENTTHREADED);
    const int code = host(argv[1], static_cast<UINT>(_wtoi(argv[2])));
    CoUninitialize();
    return code;
}
