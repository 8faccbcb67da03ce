#include "platform/gpu/GLVertexBuffer.h"

GLVertexBuffer::GLVertexBuffer(GLDevice& owner) : GLDeviceChild(owner) {}

GLVertexBuffer::~GLVertexBuffer() {
	Device().MakeCurrent();
	Device().ForgetVertexBuffer(this);
}

GLVertexBuffer* GLVertexBuffer::Create(GLDevice& device, UINT length, DWORD usage, DWORD fvf, D3DPOOL pool) {
	if (length == 0) {
		return nullptr;
	}
	device.MakeCurrent();
	GLVertexBuffer* buffer = new GLVertexBuffer(device);
	buffer->desc = D3DVERTEXBUFFER_DESC{D3DFMT_UNKNOWN, D3DRTYPE_VERTEXBUFFER, usage, pool, length, fvf};
	if (!buffer->storage.Create(length, (usage & D3DUSAGE_DYNAMIC) != 0)) {
		buffer->Release();
		return nullptr;
	}
	return buffer;
}

HRESULT GLVertexBuffer::Lock(UINT offset, UINT size, void** data, DWORD) {
	return storage.Lock(offset, size, data);
}

HRESULT GLVertexBuffer::Unlock() {
	bool needsUpload = false;
	const HRESULT result = storage.Unlock(needsUpload);
	if (needsUpload) {
		Device().MakeCurrent();
		storage.Upload();
	}
	return result;
}

HRESULT GLVertexBuffer::GetDesc(D3DVERTEXBUFFER_DESC* out) {
	if (out == nullptr) {
		return D3DERR_INVALIDCALL;
	}
	*out = desc;
	return S_OK;
}
