#include "platform/gpu/GLIndexBuffer.h"

#include "platform/gpu/GLErrors.h"

GLIndexBuffer::GLIndexBuffer(GLDevice& owner) : GLDeviceChild(owner) {}

GLIndexBuffer::~GLIndexBuffer() {
	Device().MakeCurrent();
	Device().ForgetIndexBuffer(this);
	if (name != 0) {
		glDeleteBuffers(1, &name);
	}
}

GLIndexBuffer* GLIndexBuffer::Create(GLDevice& device, UINT length, DWORD usage, D3DFORMAT format, D3DPOOL pool) {
	if (length == 0 || (format != D3DFMT_INDEX16 && format != D3DFMT_INDEX32)) {
		return nullptr;
	}
	device.MakeCurrent();
	GLIndexBuffer* buffer = new GLIndexBuffer(device);
	buffer->bytes.assign(length, 0);
	buffer->desc = D3DINDEXBUFFER_DESC{format, D3DRTYPE_INDEXBUFFER, usage, pool, length};
	ClearGLErrors();
	glGenBuffers(1, &buffer->name);
	glBindBuffer(GL_COPY_WRITE_BUFFER, buffer->name);
	glBufferData(GL_COPY_WRITE_BUFFER, GLsizeiptr(length), buffer->bytes.data(),
	             (usage & D3DUSAGE_DYNAMIC) != 0 ? GL_DYNAMIC_DRAW : GL_STATIC_DRAW);
	glBindBuffer(GL_COPY_WRITE_BUFFER, 0);
	if (!NoGLErrors()) {
		buffer->Release();
		return nullptr;
	}
	return buffer;
}

HRESULT GLIndexBuffer::Lock(UINT offset, UINT size, void** data, DWORD) {
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

HRESULT GLIndexBuffer::Unlock() {
	if (!locked) {
		return D3DERR_INVALIDCALL;
	}
	locked = false;
	if (lockedSize > 0) {
		Device().MakeCurrent();
		glBindBuffer(GL_COPY_WRITE_BUFFER, name);
		glBufferSubData(GL_COPY_WRITE_BUFFER, GLintptr(lockedOffset), GLsizeiptr(lockedSize), bytes.data() + lockedOffset);
		glBindBuffer(GL_COPY_WRITE_BUFFER, 0);
	}
	return S_OK;
}

HRESULT GLIndexBuffer::GetDesc(D3DINDEXBUFFER_DESC* out) {
	if (out == nullptr) {
		return D3DERR_INVALIDCALL;
	}
	*out = desc;
	return S_OK;
}
