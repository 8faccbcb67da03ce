#pragma once
// Vertex data in a GL buffer, with a CPU copy so that Lock can hand out
// (and read back) any range.

#include "platform/gpu/GLBufferStorage.h"
#include "platform/gpu/GLDeviceChild.h"

#include <epoxy/gl.h>

class GLVertexBuffer final : public GLDeviceChild<IDirect3DVertexBuffer9> {
public:
	static GLVertexBuffer* Create(GLDevice& device, UINT length, DWORD usage, DWORD fvf, D3DPOOL pool);

	D3DRESOURCETYPE GetType() override { return D3DRTYPE_VERTEXBUFFER; }
	HRESULT Lock(UINT offset, UINT size, void** data, DWORD flags) override;
	HRESULT Unlock() override;
	HRESULT GetDesc(D3DVERTEXBUFFER_DESC* desc) override;

	GLuint Name() const { return storage.Name(); }
	UINT Size() const { return storage.Size(); }

private:
	explicit GLVertexBuffer(GLDevice& device);
	~GLVertexBuffer() override;

	GLBufferStorage storage;
	D3DVERTEXBUFFER_DESC desc{};
};
