#include "platform/gpu/GLVertexBuffer.h"

#include "platform/gpu/GLErrors.h"

GLVertexBuffer::GLVertexBuffer(GLDevice& owner) : GLDeviceChild(owner) {}

GLVertexBuffer::~GLVertexBuffer() {
	Device().MakeCurrent();
	Device().ForgetVertexBuffer(this);
	if (name != 0) {
		glDeleteBuffers(1, &name);
	}
}

GLVertexBuffer* GLVertexBuffer::Create(GLDevice& device, UINT length, DWORD usage, DWORD fvf, D3DPOOL pool) {
	if (length == 0) {
		return nullptr;
	}
	device.MakeCurrent();
	GLVertexBuffer* buffer = new GLVertexBuffer(device);
	buffer->bytes.assign(length, 0);
	buffer->desc = D3DVERTEXBUFFER_DESC{D3DFMT_UNKNOWN, D3DRTYPE_VERTEXBUFFER, usage, pool, length, fvf};
	ClearGLErrors();
	glGenBuffers(1, &buffer->name);
	glBindBuffer(GL_ARRAY_BUFFER, buffer->name);
	glBufferData(GL_ARRAY_BUFFER, GLsizeiptr(length), buffer->bytes.data(),
	             (usage & D3DUSAGE_DYNAMIC) != 0 ? GL_DYNAMIC_DRAW : GL_STATIC_DRAW);
	glBindBuffer(GL_ARRAY_BUFFER, 0);
	if (!NoGLErrors()) {
		buffer->Release();
		return nullptr;
	}
	return buffer;
}

HRESULT GLVertexBuffer::Lock(UINT offset, UINT size, void** data, DWORD) {
	if (data == nullptr || locked || offset > bytes.size()) {
		return D3DERR_INVALIDCALL;
	}
	// Size 0 locks the whole rest, as in Direct3D.
	const UINT available = UINT(bytes.size()) - offset;
	if (size == 0) {
		size = available;
	}
	if (size > available) {
		return D3DERR_INVALIDCALL;
	}
	locked = true;
	lockedOffset = offset;
	lockedSize = size;
	*data = bytes.data() + offset;
	return S_OK;
}

HRESULT GLVertexBuffer::Unlock() {
	if (!locked) {
		return D3DERR_INVALIDCALL;
	}
	locked = false;
	if (lockedSize > 0) {
		Device().MakeCurrent();
		glBindBuffer(GL_ARRAY_BUFFER, name);
		glBufferSubData(GL_ARRAY_BUFFER, GLintptr(lockedOffset), GLsizeiptr(lockedSize), bytes.data() + lockedOffset);
		glBindBuffer(GL_ARRAY_BUFFER, 0);
	}
	return S_OK;
}

HRESULT GLVertexBuffer::GetDesc(D3DVERTEXBUFFER_DESC* out) {
	if (out == nullptr) {
		return D3DERR_INVALIDCALL;
	}
	*out = desc;
	return S_OK;
}
