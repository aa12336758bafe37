#pragma once
#include <objbase.h>
#include <windows.h>

// The class Explorer creates for the thumbnail of a track file, registered
// by the installer under this id.
// {0c1b5861-d2fa-46f9-a6be-37a18d984663}
inline constexpr CLSID kThumbnailProviderClass = {
    0x0c1b5861, 0xd2fa, 0x46f9, {0xa6, 0xbe, 0x37, 0xa1, 0x8d, 0x98, 0x46, 0x63}};

// A new thumbnail provider, its one reference the caller's, asked for the
// interface `iid`.
HRESULT createThumbnailProvider(REFIID iid, void** object);
