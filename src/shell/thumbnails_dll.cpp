// The in-process server Explorer loads for the thumbnails of track files: one
// class, made by its class factory.
#include <objbase.h>
#include <windows.h>

#include <new>

#include "shell/module_references.h"
#include "shell/thumbnail_provider.h"

std::atomic<long>& moduleReferences() {
    static std::atomic<long> references{0};
    return references;
}

// COM's interfaces have no virtual destructors: objects go by Release.
#pragma GCC diagnostic ignored "-Wnon-virtual-dtor"

namespace {

class ClassFactory final : public IClassFactory {
public:
    IFACEMETHODIMP QueryInterface(REFIID iid, void** object) override {
        if (!object) return E_POINTER;
        if (IsEqualIID(iid, IID_IUnknown) || IsEqualIID(iid, IID_IClassFactory)) {
            *object = static_cast<IClassFactory*>(this);
            AddRef();
            return S_OK;
        }
        *object = nullptr;
        return E_NOINTERFACE;
    }
    // The factory is static: its count is the module's.
    IFACEMETHODIMP_(ULONG) AddRef() override { return static_cast<ULONG>(++moduleReferences()); }
    IFACEMETHODIMP_(ULONG) Release() override { return static_cast<ULONG>(--moduleReferences()); }

    IFACEMETHODIMP CreateInstance(IUnknown* outer, REFIID iid, void** object) override {
        if (!object) return E_POINTER;
        *object = nullptr;
        if (outer) return CLASS_E_NOAGGREGATION;
        return createThumbnailProvider(iid, object);
    }
    IFACEMETHODIMP LockServer(BOOL lock) override {
        if (lock)
            ++moduleReferences();
        else
            --moduleReferences();
        return S_OK;
    }
};

ClassFactory factory;

}  // namespace

extern "C" {

__declspec(dllexport) HRESULT __stdcall DllGetClassObject(REFCLSID clsid, REFIID iid, void** object) {
    if (!object) return E_POINTER;
    *object = nullptr;
    if (!IsEqualCLSID(clsid, kThumbnailProviderClass)) return CLASS_E_CLASSNOTAVAILABLE;
    return factory.QueryInterface(iid, object);
}

__declspec(dllexport) HRESULT __stdcall DllCanUnloadNow() { return moduleReferences() == 0 ? S_OK : S_FALSE; }

}  // extern "C"
