#pragma once
// Reference counting shared by every platform object: starts at one, dies at
// zero, and is counted among the live objects while it exists.

#include <atomic>

#include "live_objects.h"
#include "unknwn.h"

namespace platform {

template <typename Interface>
class ComObject : public Interface {
public:
    ComObject() { ObjectCreated(); }
    ComObject(const ComObject&) = delete;
    ComObject& operator=(const ComObject&) = delete;

    ULONG STDMETHODCALLTYPE AddRef() override { return ++refCount_; }

    ULONG STDMETHODCALLTYPE Release() override {
        const ULONG left = --refCount_;
        if (left == 0) {
            delete this;
        }
        return left;
    }

    // Answers IUnknown and the interfaces listed by IsInterface.
    HRESULT STDMETHODCALLTYPE QueryInterface(REFIID riid, void** ppvObj) override {
        if (ppvObj == nullptr) {
            return E_POINTER;
        }
        if (riid == IID_IUnknown || IsInterface(riid)) {
            AddRef();
            *ppvObj = static_cast<Interface*>(this);
            return S_OK;
        }
        *ppvObj = nullptr;
        return E_NOINTERFACE;
    }

protected:
    ~ComObject() override { ObjectDestroyed(); }

    virtual bool IsInterface(REFIID riid) const = 0;

private:
    std::atomic<ULONG> refCount_{1};
};

}  // namespace platform
