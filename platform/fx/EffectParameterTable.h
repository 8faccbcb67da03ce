#pragma once
// The values behind an effect's parameters, set by name or handle. Values
// persist across techniques and frames; each change bumps the parameter's
// serial so that programs upload only what changed since they last looked.

#include "platform/fx/D3DX9Effect.h"
#include "platform/fx/EffectSource.h"

#include <array>
#include <cstdint>
#include <memory>
#include <string>
#include <vector>

class GLTextureBinding;

class EffectParameterTable {
public:
	struct Parameter {
		std::string name;
		EffectParameterType type = EffectParameterType::Float;
		std::array<float, 16> value{};
		IDirect3DBaseTexture9* texture = nullptr;  // one reference held
		const GLTextureBinding* textureBinding = nullptr;  // texture's GL side
		uint64_t serial = 1;
	};

	explicit EffectParameterTable(const std::vector<EffectParameterDecl>& declarations);
	~EffectParameterTable();
	EffectParameterTable(const EffectParameterTable&) = delete;
	EffectParameterTable& operator=(const EffectParameterTable&) = delete;

	// -1 for a null handle or a name the effect lacks. A handle is either a
	// name or a pointer handed out by HandleOf.
	int Find(D3DXHANDLE handle) const;
	D3DXHANDLE HandleOf(int index) const { return parameters[index]->name.c_str(); }

	// Each fails with D3DERR_INVALIDCALL, changing nothing, for an unknown
	// parameter or one of the wrong kind. SetValue copies at most the
	// parameter's storage (12 bytes into a float4 set x y z) and refuses more.
	HRESULT SetMatrix(D3DXHANDLE handle, const D3DXMATRIX* matrix);
	HRESULT SetVector(D3DXHANDLE handle, const D3DXVECTOR4* vector);
	HRESULT SetValue(D3DXHANDLE handle, const void* data, UINT bytes);
	HRESULT SetFloat(D3DXHANDLE handle, float value);
	HRESULT SetTexture(D3DXHANDLE handle, IDirect3DBaseTexture9* texture);

	size_t Count() const { return parameters.size(); }
	const Parameter& At(size_t index) const { return *parameters[index]; }

private:
	HRESULT CopyFloats(D3DXHANDLE handle, const float* values, UINT count, bool matrixOnly);

	int FindByName(const char* name) const;

	// Held by pointer so that handles (name pointers) stay valid.
	std::vector<std::unique_ptr<Parameter>> parameters;
	uint64_t nextSerial = 2;
	// Callers pass the same literal names frame after frame: remember where
	// each pointer was last found. A hit is checked by name, so a pointer
	// reused for another text is never trusted.
	struct CachedName {
		const char* pointer = nullptr;
		int index = -1;
	};
	static constexpr size_t NAME_CACHE_SIZE = 64;
	mutable std::array<CachedName, NAME_CACHE_SIZE> nameCache{};
};
