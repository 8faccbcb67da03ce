#pragma once
// The ID3DXBuffer that carries an effect's error text: the text and its
// terminating NUL.

#include "platform/gpu/D3DX9Tex.h"
#include "platform/system/RefCounted.h"

#include <string>

class EffectTextBuffer : public RefCounted<ID3DXBuffer> {
public:
	explicit EffectTextBuffer(const std::string& text) : bytes(text) {}

	void* GetBufferPointer() override { return bytes.data(); }
	// Counts the NUL, as a D3DX error buffer does.
	DWORD GetBufferSize() override { return static_cast<DWORD>(bytes.size() + 1); }

private:
	std::string bytes;
};
