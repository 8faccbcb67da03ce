#include "platform/gpu/GLIndexBuffer.h"

GLIndexBuffer::GLIndexBuffer(GLDevice& owner) : GLDeviceChild(owner) {}

GLIndexBuffer::~GLIndexBuffer() {
	Device().MakeCurrent();
	Device().ForgetIndexBuffer(this);
}

GLIndexBuffer* GLIndexBuffer::Create(GLDevice& device, UINT length, DWORD usage, D3DFORMAT format, D3DPOOL pool) {
	if (length == 0 || (format != D3DFMT_INDEX16 && format != D3DFMT_INDEX32)) {
		return nullptr;
	}
	device.MakeCurrent();
	GLIndexBuffer* buffer = new GLIndexBuffer(device);
	buffer->desc = D3DINDEXBUFFER_DESC{format, D3DRTYPE_INDEXBUFFER, usage, pool, length};
	if (!buffer->storage.Create(length, (usage & D3DUSAGE_DYNAMIC) != 0)) {
		buffer->Release();
		return nullptr;
	}
	return buffer;
}

HRESULT GLIndexBuffer::Lock(UINT offset, UINT size, void** data, DWORD) {
	return storage.Lock(offset, size, data);
}

HRESULT GLIndexBuffer::Unlock() {
	bool needsUpload = false;
	const HRESULT result = storage.Unlock(needsUpload);
	if (needsUpload) {
		Device().MakeCurrent();
		storage.Upload();
	}
	return result;
}

HRESULT GLIndexBuffer::GetDesc(D3DINDEXBUFFER_DESC* out) {
	if (out == nullptr) {
		return D3DERR_INVALIDCALL;
	}
	*out = desc;
	return S_OK;
}
