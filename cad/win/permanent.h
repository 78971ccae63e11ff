#pragma once

#include <windows.h>

#include <unknwn.h>

namespace cad::automation {

// A COM object that lives for the whole run (a static, or on the stack of main): it answers for
// IUnknown and `Interface` alone, and counts no references.
template <typename Interface>
class Permanent : public Interface {
public:
    explicit Permanent(const IID& interfaceId) : interfaceId_(interfaceId) {}

    HRESULT STDMETHODCALLTYPE QueryInterface(REFIID iid, void** object) override {
        if (object == nullptr) return E_POINTER;
        if (iid == IID_IUnknown || iid == interfaceId_) {
            *object = static_cast<Interface*>(this);
            return S_OK;
        }
        *object = nullptr;
        return E_NOINTERFACE;
    }
    ULONG STDMETHODCALLTYPE AddRef() override { return 2; }
    ULONG STDMETHODCALLTYPE Release() override { return 1; }

private:
    const IID& interfaceId_;
};

}  // namespace cad::automation
