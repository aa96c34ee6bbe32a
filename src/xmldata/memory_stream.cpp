#include "xmldata/memory_stream.h"

#include <cstring>

namespace xmldata {

HRESULT MemoryStream::QueryInterface(REFIID riid, void** object) {
    if (!object)
        return E_POINTER;
    if (riid == IID_IUnknown || riid == IID_ISequentialStream || riid == IID_IStream) {
        *object = static_cast<IStream*>(this);
        AddRef();
        return S_OK;
    }
    *object = nullptr;
    return E_NOINTERFACE;
}

ULONG MemoryStream::Release() {
    const ULONG left = --references_;
    if (left == 0)
        delete this;
    return left;
}

HRESULT MemoryStream::Read(void*, ULONG, ULONG* read) {
    if (read)
        *read = 0;
    return S_FALSE;
}

HRESULT MemoryStream::Write(const void* data, ULONG size, ULONG* written) {
    if (!data && size)
        return STG_E_INVALIDPOINTER;
    if (position_ + size > bytes_.size())
        bytes_.resize(position_ + size); // std::string grows geometrically
    std::memcpy(bytes_.data() + position_, data, size);
    position_ += size;
    if (written)
        *written = size;
    return S_OK;
}

HRESULT MemoryStream::Seek(LARGE_INTEGER move, DWORD origin, ULARGE_INTEGER* position) {
    const long long base = origin == STREAM_SEEK_SET   ? 0
                           : origin == STREAM_SEEK_CUR ? static_cast<long long>(position_)
                                                       : static_cast<long long>(bytes_.size());
    const long long target = base + move.QuadPart;
    if (target < 0)
        return STG_E_INVALIDFUNCTION;
    position_ = size_t(target);
    if (position)
        position->QuadPart = position_;
    return S_OK;
}

HRESULT MemoryStream::Stat(STATSTG* status, DWORD) {
    if (!status)
        return STG_E_INVALIDPOINTER;
    *status = {};
    status->type = STGTY_STREAM;
    status->cbSize.QuadPart = bytes_.size();
    return S_OK;
}

} // namespace xmldata
