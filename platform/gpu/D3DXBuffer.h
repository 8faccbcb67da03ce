#pragma once
// A block of bytes handed out by D3DX calls.

#include "platform/gpu/D3DX9Tex.h"
#include "platform/system/RefCounted.h"

#include <cstdint>
#include <vector>

class D3DXBuffer final : public RefCounted<ID3DXBuffer> {
public:
	explicit D3DXBuffer(DWORD size) : bytes(size, 0) {}

	void* GetBufferPointer() override { return bytes.empty() ? nullptr : bytes.data(); }
	DWORD GetBufferSize() override { return DWORD(bytes.size()); }

private:
	~D3DXBuffer() override = default;

	std::vector<uint8_t> bytes;
};
