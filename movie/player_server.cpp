// The server's exports: the class factory for the player, and the truth about unloading.
#include "core/unique_any.h"
#include "movie/com_object.h"
#include "movie/player_interface.h"
#include "movie/player_module.h"
#include "movie/player_object.h"

namespace {

using tsln::ComObject;

class ClassFactory final : public ComObject<IClassFactory, IID_IClassFactory> {
public:
    HRESULT STDMETHODCALLTYPE CreateInstance(IUnknown* outer, REFIID riid, void** object) override {
        if (!object) return E_POINTER;
        *object = nullptr;
        if (outer) return CLASS_E_NOAGGREGATION;
        return tsln::player::CreatePlayer(riid, object);
    }
    HRESULT STDMETHODCALLTYPE LockServer(BOOL lock) override {
        tsln::player::LockServer(lock != FALSE);
        return S_OK;
    }

private:
    ~ClassFactory() override = default;
    tsln::player::ServerLock lock_;
};

} // namespace

extern "C" HRESULT WINAPI DllGetClassObject(REFCLSID clsid, REFIID riid, LPVOID* object) {
    if (!object) return E_POINTER;
    *object = nullptr;
    if (!IsEqualCLSID(clsid, tsln::kPlayerClsid)) return CLASS_E_CLASSNOTAVAILABLE;
    try {
        tsln::unique_com<IClassFactory> factory(new ClassFactory());
        return factory->QueryInterface(riid, object);
    } catch (...) {
        return E_OUTOFMEMORY;
    }
}

extern "C" HRESULT WINAPI DllCanUnloadNow() {
    return tsln::player::CanUnload() ? S_OK : S_FALSE;
}
