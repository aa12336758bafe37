// Files in and out of the Win32 backend's windows: rows dragged out of a
// table as files (CF_HDROP, as Explorer takes them), as copies only; files
// and folders dropped on a window that takes them (WM_DROPFILES).
#include "toolkit/win32/win32_drag_drop.h"

#include <objidl.h>
#include <shlobj.h>

#include <atomic>
#include <cstring>

#include "toolkit/win32/gdi.h"

// COM's interfaces have no virtual destructors: objects go by Release.
#pragma GCC diagnostic ignored "-Wnon-virtual-dtor"

namespace pitbox::ui::win32 {
namespace {

// QueryInterface of an object with one interface besides IUnknown.
template <class Interface>
HRESULT queryOne(Interface* self, REFIID asked, REFIID offered, void** out) {
    if (!out) return E_POINTER;
    if (IsEqualIID(asked, IID_IUnknown) || IsEqualIID(asked, offered)) {
        *out = self;
        self->AddRef();
        return S_OK;
    }
    *out = nullptr;
    return E_NOINTERFACE;
}

// What the rows' drag carries: the files, and the copy it asks for.
class FileData final : public IDataObject {
public:
    explicit FileData(HGLOBAL files) : files_(files) {}
    ~FileData() { GlobalFree(files_); }
    FileData(const FileData&) = delete;
    FileData& operator=(const FileData&) = delete;

    HRESULT STDMETHODCALLTYPE QueryInterface(REFIID iid, void** out) override {
        return queryOne<IDataObject>(this, iid, IID_IDataObject, out);
    }
    ULONG STDMETHODCALLTYPE AddRef() override { return ++references_; }
    ULONG STDMETHODCALLTYPE Release() override {
        const ULONG left = --references_;
        if (left == 0) delete this;
        return left;
    }
    HRESULT STDMETHODCALLTYPE GetData(FORMATETC* format, STGMEDIUM* medium) override {
        if (!format || !medium) return E_INVALIDARG;
        if (QueryGetData(format) != S_OK) return DV_E_FORMATETC;
        const bool files = format->cfFormat == CF_HDROP;
        const HGLOBAL copy = files ? copyOf(files_) : preferredCopy();
        if (!copy) return E_OUTOFMEMORY;
        medium->tymed = TYMED_HGLOBAL;
        medium->hGlobal = copy;
        medium->pUnkForRelease = nullptr;
        return S_OK;
    }
    HRESULT STDMETHODCALLTYPE GetDataHere(FORMATETC*, STGMEDIUM*) override { return E_NOTIMPL; }
    HRESULT STDMETHODCALLTYPE QueryGetData(FORMATETC* format) override {
        if (!format) return E_INVALIDARG;
        if (format->cfFormat != CF_HDROP && format->cfFormat != preferredEffectFormat()) return DV_E_FORMATETC;
        if (!(format->tymed & TYMED_HGLOBAL)) return DV_E_TYMED;
        return format->dwAspect == DVASPECT_CONTENT ? S_OK : DV_E_DVASPECT;
    }
    HRESULT STDMETHODCALLTYPE GetCanonicalFormatEtc(FORMATETC*, FORMATETC* out) override {
        if (out) out->ptd = nullptr;
        return E_NOTIMPL;
    }
    // What a target tells back (the effect it took) is not kept.
    HRESULT STDMETHODCALLTYPE SetData(FORMATETC*, STGMEDIUM*, BOOL) override { return E_NOTIMPL; }
    HRESULT STDMETHODCALLTYPE EnumFormatEtc(DWORD direction, IEnumFORMATETC** out) override {
        if (direction != DATADIR_GET) return E_NOTIMPL;
        FORMATETC formats[] = {{CF_HDROP, nullptr, DVASPECT_CONTENT, -1, TYMED_HGLOBAL},
                               {preferredEffectFormat(), nullptr, DVASPECT_CONTENT, -1, TYMED_HGLOBAL}};
        return SHCreateStdEnumFmtEtc(2, formats, out);
    }
    HRESULT STDMETHODCALLTYPE DAdvise(FORMATETC*, DWORD, IAdviseSink*, DWORD*) override {
        return OLE_E_ADVISENOTSUPPORTED;
    }
    HRESULT STDMETHODCALLTYPE DUnadvise(DWORD) override { return OLE_E_ADVISENOTSUPPORTED; }
    HRESULT STDMETHODCALLTYPE EnumDAdvise(IEnumSTATDATA**) override { return OLE_E_ADVISENOTSUPPORTED; }

private:
    static CLIPFORMAT preferredEffectFormat() {
        static const auto format = static_cast<CLIPFORMAT>(RegisterClipboardFormatW(CFSTR_PREFERREDDROPEFFECT));
        return format;
    }
    static HGLOBAL copyOf(HGLOBAL from) {
        const SIZE_T size = GlobalSize(from);
        HGLOBAL to = GlobalAlloc(GMEM_MOVEABLE, size);
        if (!to) return nullptr;
        std::memcpy(GlobalLock(to), GlobalLock(from), size);
        GlobalUnlock(from);
        GlobalUnlock(to);
        return to;
    }
    // Explorer copies, never moves, what asks for a copy.
    static HGLOBAL preferredCopy() {
        HGLOBAL effect = GlobalAlloc(GMEM_MOVEABLE, sizeof(DWORD));
        if (!effect) return nullptr;
        *static_cast<DWORD*>(GlobalLock(effect)) = DROPEFFECT_COPY;
        GlobalUnlock(effect);
        return effect;
    }

    HGLOBAL files_;
    std::atomic<ULONG> references_{1};
};

// The drag goes on while the left button is held, and ends with Escape.
class DragSource final : public IDropSource {
public:
    HRESULT STDMETHODCALLTYPE QueryInterface(REFIID iid, void** out) override {
        return queryOne<IDropSource>(this, iid, IID_IDropSource, out);
    }
    // Lives on the stack of the drag.
    ULONG STDMETHODCALLTYPE AddRef() override { return 2; }
    ULONG STDMETHODCALLTYPE Release() override { return 1; }
    HRESULT STDMETHODCALLTYPE QueryContinueDrag(BOOL escape, DWORD keys) override {
        if (escape) return DRAGDROP_S_CANCEL;
        return (keys & MK_LBUTTON) ? S_OK : DRAGDROP_S_DROP;
    }
    HRESULT STDMETHODCALLTYPE GiveFeedback(DWORD) override { return DRAGDROP_S_USEDEFAULTCURSORS; }
};

}  // namespace

HGLOBAL fileDropHandle(const std::vector<std::string>& paths) {
    // A DROPFILES header, then each name in UTF-16 with its end, then an end.
    std::wstring names;
    for (const std::string& path : paths) (names += gdi::widen(path)) += L'\0';
    names += L'\0';
    const SIZE_T size = sizeof(DROPFILES) + names.size() * sizeof(wchar_t);
    HGLOBAL handle = GlobalAlloc(GMEM_MOVEABLE | GMEM_ZEROINIT, size);
    if (!handle) return nullptr;
    auto* header = static_cast<DROPFILES*>(GlobalLock(handle));
    header->pFiles = sizeof(DROPFILES);
    header->fWide = TRUE;
    std::memcpy(reinterpret_cast<char*>(header) + sizeof(DROPFILES), names.data(), names.size() * sizeof(wchar_t));
    GlobalUnlock(handle);
    return handle;
}

std::vector<std::string> droppedFiles(HDROP drop) {
    std::vector<std::string> paths;
    const UINT count = DragQueryFileW(drop, 0xFFFFFFFF, nullptr, 0);
    for (UINT i = 0; i < count; ++i) {
        std::wstring name(DragQueryFileW(drop, i, nullptr, 0), L'\0');
        if (name.empty()) continue;
        DragQueryFileW(drop, i, name.data(), static_cast<UINT>(name.size() + 1));
        paths.push_back(gdi::narrow(name));
    }
    return paths;
}

IDataObject* newFileData(const std::vector<std::string>& paths) {
    HGLOBAL files = fileDropHandle(paths);
    return files ? new FileData(files) : nullptr;
}

DWORD dragFilesOut(const std::vector<std::string>& paths) {
    IDataObject* data = newFileData(paths);
    if (!data) return DROPEFFECT_NONE;
    DragSource source;
    DWORD effect = DROPEFFECT_NONE;
    DoDragDrop(data, &source, DROPEFFECT_COPY, &effect);
    data->Release();
    return effect;
}

}  // namespace pitbox::ui::win32
