// A reference-counted COM object answering IUnknown, its own interface and (for automation interfaces)
// IDispatch, whose late-bound calls the stand-ins do not serve.
#pragma once
#include "stand_in_config.h"

#include <oaidl.h>

#include <atomic>
#include <type_traits>

namespace standin {

template <typename Interface> class ComObject : public Interface {
public:
    explicit ComObject(const IID& iid) : iid_(iid) { AddObject(); }
    virtual ~ComObject() { ReleaseObject(); }

    HRESULT STDMETHODCALLTYPE QueryInterface(REFIID iid, void** out) override {
        if (!out)
            return E_POINTER;
        bool known = iid == IID_IUnknown || iid == iid_;
        if constexpr (std::is_base_of_v<IDispatch, Interface>)
            known = known || iid == IID_IDispatch;
        if (!known) {
            *out = nullptr;
            return E_NOINTERFACE;
        }
        *out = static_cast<Interface*>(this);
        AddRef();
        return S_OK;
    }
    ULONG STDMETHODCALLTYPE AddRef() override { return ++references_; }
    ULONG STDMETHODCALLTYPE Release() override {
        const ULONG left = --references_;
        if (left == 0)
            delete this;
        return left;
    }

private:
    IID iid_;
    std::atomic<ULONG> references_{1};
};

} // namespace standin

#define STANDIN_DISPATCH_STUBS                                                                                         \
    HRESULT STDMETHODCALLTYPE GetTypeInfoCount(UINT* count) override {                                                 \
        *count = 0;                                                                                                    \
        return S_OK;                                                                                                   \
    }                                                                                                                  \
    HRESULT STDMETHODCALLTYPE GetTypeInfo(UINT, LCID, ITypeInfo**) override {                                          \
        return E_NOTIMPL;                                                                                              \
    }                                                                                                                  \
    HRESULT STDMETHODCALLTYPE GetIDsOfNames(REFIID, LPOLESTR*, UINT, LCID, DISPID*) override {                         \
        return E_NOTIMPL;                                                                                              \
    }                                                                                                                  \
    HRESULT STDMETHODCALLTYPE Invoke(DISPID, REFIID, LCID, WORD, DISPPARAMS*, VARIANT*, EXCEPINFO*, UINT*) override {  \
        return E_NOTIMPL;                                                                                              \
    }
