// The thumbnail of a track in Explorer: the shell hands over the file as a
// stream (IInitializeWithStream, so the provider never learns or opens a
// path, and runs in the shell's isolated process), then asks for a bitmap of
// some size (IThumbnailProvider). The picture is the map as pitbox-cli
// thumbnail draws it.
#include "shell/thumbnail_provider.h"

#include <propsys.h>
#include <thumbcache.h>

#include <algorithm>
#include <atomic>
#include <cstring>
#include <new>
#include <vector>

#include "preview/track_preview.h"
#include "shell/module_references.h"

// COM's interfaces have no virtual destructors: objects go by Release.
#pragma GCC diagnostic ignored "-Wnon-virtual-dtor"

namespace {

// What one read of the stream may bring: a track never fills the buffer, so
// a stream that does is no track.
pitbox::Result<std::size_t> readStream(IStream* stream, std::vector<std::uint8_t>& into) {
    constexpr std::size_t kMost = pitbox::kTrackBufferBytes;
    into.resize(kMost + 1);
    std::size_t got = 0;
    while (got < into.size()) {
        ULONG n = 0;
        const HRESULT hr = stream->Read(into.data() + got, static_cast<ULONG>(into.size() - got), &n);
        if (FAILED(hr)) return pitbox::Error{pitbox::ErrorCode::ReadFailed, "stream", "the shell's stream failed"};
        if (n == 0) break;
        got += n;
        if (hr == S_FALSE) break;
    }
    if (got > kMost) return pitbox::Error{pitbox::ErrorCode::TooLarge, "stream", "larger than a track"};
    return got;
}

class ThumbnailProvider final : public IThumbnailProvider, public IInitializeWithStream {
public:
    ThumbnailProvider() { moduleReferences().fetch_add(1); }
    ~ThumbnailProvider() {
        if (stream_) stream_->Release();
        moduleReferences().fetch_sub(1);
    }

    IFACEMETHODIMP QueryInterface(REFIID iid, void** object) override {
        if (!object) return E_POINTER;
        if (IsEqualIID(iid, IID_IUnknown) || IsEqualIID(iid, __uuidof(IThumbnailProvider))) {
            *object = static_cast<IThumbnailProvider*>(this);
        } else if (IsEqualIID(iid, __uuidof(IInitializeWithStream))) {
            *object = static_cast<IInitializeWithStream*>(this);
        } else {
            *object = nullptr;
            return E_NOINTERFACE;
        }
        AddRef();
        return S_OK;
    }
    IFACEMETHODIMP_(ULONG) AddRef() override { return ++references_; }
    IFACEMETHODIMP_(ULONG) Release() override {
        const ULONG left = --references_;
        if (left == 0) delete this;
        return left;
    }

    // The shell initialises a provider once.
    IFACEMETHODIMP Initialize(IStream* stream, DWORD) override {
        if (!stream) return E_INVALIDARG;
        if (stream_) return HRESULT_FROM_WIN32(ERROR_ALREADY_INITIALIZED);
        stream_ = stream;
        stream_->AddRef();
        return S_OK;
    }

    IFACEMETHODIMP GetThumbnail(UINT size, HBITMAP* bitmap, WTS_ALPHATYPE* alpha) override {
        if (!bitmap || !alpha) return E_POINTER;
        *bitmap = nullptr;
        if (!stream_) return E_UNEXPECTED;
        if (size == 0) return E_INVALIDARG;
        try {
            pitbox::TrackBuffer buffer;
            pitbox::HeaderFields header;
            auto picture = pitbox::preview::trackThumbnail(
                "stream", [&](std::vector<std::uint8_t>& into) { return readStream(stream_, into); }, buffer, header,
                static_cast<int>(std::min<UINT>(size, 4096)));
            // No thumbnail of a file with no map: the shell shows the type's icon.
            if (!picture) return E_FAIL;
            *bitmap = toBitmap(*picture);
        } catch (const std::bad_alloc&) {
            return E_OUTOFMEMORY;
        }
        if (!*bitmap) return E_OUTOFMEMORY;
        *alpha = WTSAT_RGB;
        return S_OK;
    }

private:
    // A top-down 32-bit bitmap, as the shell takes it.
    static HBITMAP toBitmap(const pitbox::raster::Picture& picture) {
        BITMAPINFO info{};
        info.bmiHeader.biSize = sizeof(info.bmiHeader);
        info.bmiHeader.biWidth = picture.width();
        info.bmiHeader.biHeight = -picture.height();
        info.bmiHeader.biPlanes = 1;
        info.bmiHeader.biBitCount = 32;
        info.bmiHeader.biCompression = BI_RGB;
        void* bits = nullptr;
        HBITMAP made = CreateDIBSection(nullptr, &info, DIB_RGB_COLORS, &bits, nullptr, 0);
        if (!made || !bits) return nullptr;
        auto* out = static_cast<std::uint8_t*>(bits);
        for (const pitbox::raster::Colour c : picture.pixels()) {
            *out++ = static_cast<std::uint8_t>(pitbox::raster::blueOf(c));
            *out++ = static_cast<std::uint8_t>(pitbox::raster::greenOf(c));
            *out++ = static_cast<std::uint8_t>(pitbox::raster::redOf(c));
            *out++ = 0xFF;
        }
        return made;
    }

    std::atomic<ULONG> references_{1};
    IStream* stream_ = nullptr;
};

}  // namespace

HRESULT createThumbnailProvider(REFIID iid, void** object) {
    auto* provider = new (std::nothrow) ThumbnailProvider();
    if (!provider) return E_OUTOFMEMORY;
    const HRESULT hr = provider->QueryInterface(iid, object);
    provider->Release();
    return hr;
}
