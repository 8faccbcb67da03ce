#pragma once
// Index data in a GL buffer, with a CPU copy so that Lock can hand out
// (and read back) any range.

#include "platform/gpu/GLBufferStorage.h"
#include "platform/gpu/GLDeviceChild.h"

#include <epoxy/gl.h>

class GLIndexBuffer final : public GLDeviceChild<IDirect3DIndexBuffer9> {
public:
	static GLIndexBuffer* Create(GLDevice& device, UINT length, DWORD usage, D3DFORMAT format, D3DPOOL pool);

	D3DRESOURCETYPE GetType() override { return D3DRTYPE_INDEXBUFFER; }
	HRESULT Lock(UINT offset, UINT size, void** data, DWORD flags) override;
	HRESULT Unlock() override;
	HRESULT GetDesc(D3DINDEXBUFFER_DESC* desc) override;

	GLuint Name() const { return storage.Name(); }
	UINT Size() const { return storage.Size(); }
	// Bytes per index: 2 or 4.
	UINT IndexSize() const { return desc.Format == D3DFMT_INDEX32 ? 4 : 2; }
	GLenum IndexType() const { return desc.Format == D3DFMT_INDEX32 ? GL_UNSIGNED_INT : GL_UNSIGNED_SHORT; }

private:
	explicit GLIndexBuffer(GLDevice& device);
	~GLIndexBuffer() override;

	GLBufferStorage storage;
	D3DINDEXBUFFER_DESC desc{};
};
