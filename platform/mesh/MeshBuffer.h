#pragma once
// A plain block of bytes handed to callers as an ID3DXBuffer (adjacency,
// materials).

#include "platform/gpu/D3DX9Tex.h"
#include "platform/system/RefCounted.h"

#include <cstdint>
#include <vector>

class MeshBuffer : public RefCounted<ID3DXBuffer> {
public:
	explicit MeshBuffer(size_t size) : bytes(size == 0 ? 1 : size), size(size) {}

	void* GetBufferPointer() override { return bytes.data(); }
	DWORD GetBufferSize() override { return DWORD(size); }

private:
	std::vector<uint8_t> bytes;  // never empty, so the pointer is always valid
	size_t size;
};
