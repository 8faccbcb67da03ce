#include "platform/gpu/D3DXBuffer.h"

#include <new>

HRESULT D3DXCreateBuffer(DWORD size, ID3DXBuffer** buffer) {
	if (buffer == nullptr) {
		return D3DERR_INVALIDCALL;
	}
	*buffer = new (std::nothrow) D3DXBuffer(size);
	return *buffer != nullptr ? S_OK : E_OUTOFMEMORY;
}
