#pragma once
// Vertex data in a GL buffer, with a CPU copy so that Lock can hand out
// (and read back) any range.

#include "platform/gpu/GLDeviceChild.h"

#include <epoxy/gl.h>

#include <cstdint>
#include <vector>

class GLVertexBuffer final : public GLDeviceChild<IDirect3DVertexBuffer9> {
public:
	static GLVertexBuffer* Create(GLDevice& device, UINT length, DWORD usage, DWORD fvf, D3DPOOL pool);

	D3DRESOURCETYPE GetType() override { return D3DRTYPE_VERTEXBUFFER; }
	HRESULT Lock(UINT offset, UINT size, void** data, DWORD flags) override;
	HRESULT Unlock() override;
	HRESULT GetDesc(D3DVERTEXBUFFER_DESC* desc) override;

	GLuint Name() const { return name; }
	UINT Size() const { return UINT(bytes.size()); }

private:
	explicit GLVertexBuffer(GLDevice& device);
	~GLVertexBuffer() override;

	GLuint name = 0;
	std::vector<uint8_t> bytes;
	D3DVERTEXBUFFER_DESC desc{};
	bool locked = false;
	UINT lockedOffset = 0;
	UINT lockedSize = 0;
};
