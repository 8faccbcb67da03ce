#include "platform/gpu/GLBufferStorage.h"

#include "platform/gpu/D3D9.h"
#include "platform/gpu/GLErrors.h"
#include "platform/gpu/GLObjectCounter.h"

// The copy-write binding point leaves the vertex array's element buffer alone.
static constexpr GLenum UPLOAD_TARGET = GL_COPY_WRITE_BUFFER;

GLBufferStorage::~GLBufferStorage() {
	if (name != 0) {
		glDeleteBuffers(1, &name);
		GLObjectCounter::Deleted(GLObjectKind::Buffer);
	}
}

bool GLBufferStorage::Create(UINT length, bool dynamic) {
	bytes.assign(length, 0);
	ClearGLErrors();
	glGenBuffers(1, &name);
	GLObjectCounter::Made(GLObjectKind::Buffer);
	glBindBuffer(UPLOAD_TARGET, name);
	glBufferData(UPLOAD_TARGET, GLsizeiptr(length), bytes.data(), dynamic ? GL_DYNAMIC_DRAW : GL_STATIC_DRAW);
	glBindBuffer(UPLOAD_TARGET, 0);
	return NoGLErrors();
}

HRESULT GLBufferStorage::Lock(UINT offset, UINT size, void** data) {
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

HRESULT GLBufferStorage::Unlock(bool& needsUpload) {
	needsUpload = false;
	if (!locked) {
		return D3DERR_INVALIDCALL;
	}
	locked = false;
	needsUpload = lockedSize > 0;
	return S_OK;
}

void GLBufferStorage::Upload() {
	glBindBuffer(UPLOAD_TARGET, name);
	glBufferSubData(UPLOAD_TARGET, GLintptr(lockedOffset), GLsizeiptr(lockedSize), bytes.data() + lockedOffset);
	glBindBuffer(UPLOAD_TARGET, 0);
}
