// COM ownership: a smart interface pointer, a BSTR and VARIANT owner, and a per-thread initialisation guard.
#pragma once
#include <windows.h>
#include <ole2.h>
#include <oleauto.h>
#include <string>
#include <utility>

namespace win32 {

template <typename T> class ComPtr {
public:
    ComPtr() noexcept = default;
    ComPtr(std::nullptr_t) noexcept {}
    ComPtr(const ComPtr& other) noexcept : ptr_(other.ptr_) { addRef(); }
    ComPtr(ComPtr&& other) noexcept : ptr_(std::exchange(other.ptr_, nullptr)) {}
    ComPtr& operator=(ComPtr other) noexcept {
        std::swap(ptr_, other.ptr_);
        return *this;
    }
    ~ComPtr() { reset(); }

    // Takes over a reference the caller already owns.
    static ComPtr Attach(T* raw) noexcept {
        ComPtr result;
        result.ptr_ = raw;
        return result;
    }

    T* get() const noexcept { return ptr_; }
    T* operator->() const noexcept { return ptr_; }
    explicit operator bool() const noexcept { return ptr_ != nullptr; }
    void reset() noexcept {
        if (ptr_)
            std::exchange(ptr_, nullptr)->Release();
    }
    T** put() noexcept {
        reset();
        return &ptr_;
    }
    void** putVoid() noexcept { return reinterpret_cast<void**>(put()); }

    template <typename U> ComPtr<U> As() const noexcept {
        ComPtr<U> result;
        if (ptr_)
            ptr_->QueryInterface(__uuidof(U), result.putVoid());
        return result;
    }

private:
    void addRef() noexcept {
        if (ptr_)
            ptr_->AddRef();
    }
    T* ptr_ = nullptr;
};

class Bstr {
public:
    Bstr() noexcept = default;
    explicit Bstr(const std::wstring& text) : value_(::SysAllocStringLen(text.data(), UINT(text.size()))) {}
    Bstr(const Bstr&) = delete;
    Bstr& operator=(const Bstr&) = delete;
    Bstr(Bstr&& other) noexcept : value_(std::exchange(other.value_, nullptr)) {}
    ~Bstr() { ::SysFreeString(value_); }

    BSTR get() const noexcept { return value_; }
    BSTR* put() noexcept {
        ::SysFreeString(std::exchange(value_, nullptr));
        return &value_;
    }
    std::wstring str() const { return value_ ? std::wstring(value_, ::SysStringLen(value_)) : std::wstring(); }

private:
    BSTR value_ = nullptr;
};

class Variant {
public:
    Variant() noexcept { ::VariantInit(&value_); }
    Variant(const Variant&) = delete;
    Variant& operator=(const Variant&) = delete;
    ~Variant() { ::VariantClear(&value_); }

    VARIANT* get() noexcept { return &value_; }
    const VARIANT* get() const noexcept { return &value_; }
    VARIANT* put() noexcept {
        ::VariantClear(&value_);
        return &value_;
    }

private:
    VARIANT value_;
};

// CoInitialize for the current thread; CoUninitialize only when it succeeded.
class ComInit {
public:
    ComInit() noexcept : result_(::CoInitialize(nullptr)) {}
    ComInit(const ComInit&) = delete;
    ComInit& operator=(const ComInit&) = delete;
    ~ComInit() {
        if (SUCCEEDED(result_))
            ::CoUninitialize();
    }
    bool ok() const noexcept { return SUCCEEDED(result_); }

private:
    HRESULT result_;
};

} // namespace win32
