#include "platform/fx/EffectParameterTable.h"

#include "platform/gpu/GpuProgramBinding.h"

#include <algorithm>
#include <cstring>

EffectParameterTable::EffectParameterTable(const std::vector<EffectParameterDecl>& declarations) {
	for (const EffectParameterDecl& declaration : declarations) {
		auto parameter = std::make_unique<Parameter>();
		parameter->name = declaration.name;
		parameter->type = declaration.type;
		parameter->value = declaration.initial;
		parameters.push_back(std::move(parameter));
	}
}

EffectParameterTable::~EffectParameterTable() {
	for (const auto& parameter : parameters) {
		SafeRelease(parameter->texture);
	}
}

int EffectParameterTable::Find(D3DXHANDLE handle) const {
	if (handle == nullptr) {
		return -1;
	}
	for (size_t i = 0; i < parameters.size(); ++i) {
		if (parameters[i]->name.c_str() == handle) {
			return static_cast<int>(i);
		}
	}
	return FindByName(handle);
}

int EffectParameterTable::FindByName(const char* name) const {
	CachedName& cached = nameCache[(reinterpret_cast<uintptr_t>(name) >> 3) % NAME_CACHE_SIZE];
	if (cached.pointer == name && parameters[size_t(cached.index)]->name == name) {
		return cached.index;
	}
	for (size_t i = 0; i < parameters.size(); ++i) {
		if (parameters[i]->name == name) {
			cached = {name, static_cast<int>(i)};
			return static_cast<int>(i);
		}
	}
	return -1;
}

HRESULT EffectParameterTable::CopyFloats(D3DXHANDLE handle, const float* values, UINT count, bool matrixOnly) {
	const int index = Find(handle);
	if (index < 0 || values == nullptr) {
		return D3DERR_INVALIDCALL;
	}
	Parameter& parameter = *parameters[index];
	const UINT capacity = EffectParameterBytes(parameter.type) / sizeof(float);
	if (capacity == 0 || (matrixOnly && parameter.type != EffectParameterType::Float4x4)) {
		return D3DERR_INVALIDCALL;
	}
	// As D3DX does, a vector set on a smaller parameter fills what fits.
	std::copy_n(values, std::min(count, capacity), parameter.value.begin());
	parameter.serial = nextSerial++;
	return S_OK;
}

HRESULT EffectParameterTable::SetMatrix(D3DXHANDLE handle, const D3DXMATRIX* matrix) {
	if (matrix == nullptr) {
		return D3DERR_INVALIDCALL;
	}
	float values[16];
	std::memcpy(values, matrix, sizeof(values));
	return CopyFloats(handle, values, 16, true);
}

HRESULT EffectParameterTable::SetVector(D3DXHANDLE handle, const D3DXVECTOR4* vector) {
	if (vector == nullptr) {
		return D3DERR_INVALIDCALL;
	}
	const int index = Find(handle);
	if (index >= 0 && parameters[index]->type == EffectParameterType::Float4x4) {
		return D3DERR_INVALIDCALL;
	}
	const float values[4] = {vector->x, vector->y, vector->z, vector->w};
	return CopyFloats(handle, values, 4, false);
}

HRESULT EffectParameterTable::SetFloat(D3DXHANDLE handle, float value) {
	const int index = Find(handle);
	if (index >= 0 && parameters[index]->type == EffectParameterType::Float4x4) {
		return D3DERR_INVALIDCALL;
	}
	return CopyFloats(handle, &value, 1, false);
}

HRESULT EffectParameterTable::SetValue(D3DXHANDLE handle, const void* data, UINT bytes) {
	const int index = Find(handle);
	if (index < 0 || data == nullptr) {
		return D3DERR_INVALIDCALL;
	}
	Parameter& parameter = *parameters[index];
	if (bytes == 0 || bytes > EffectParameterBytes(parameter.type) || bytes % sizeof(float) != 0) {
		return D3DERR_INVALIDCALL;
	}
	std::memcpy(parameter.value.data(), data, bytes);
	parameter.serial = nextSerial++;
	return S_OK;
}

HRESULT EffectParameterTable::SetTexture(D3DXHANDLE handle, IDirect3DBaseTexture9* texture) {
	const int index = Find(handle);
	if (index < 0 || !IsTextureParameter(parameters[index]->type)) {
		return D3DERR_INVALIDCALL;
	}
	Parameter& parameter = *parameters[index];
	// Models set the same texture draw after draw: the reference held makes
	// the same pointer the same texture, so its GL side is looked up once.
	if (texture != parameter.texture) {
		if (texture != nullptr) {
			texture->AddRef();
		}
		SafeRelease(parameter.texture);
		parameter.texture = texture;
		parameter.textureBinding = GpuTextureBinding(texture);
	}
	parameter.serial = nextSerial++;
	return S_OK;
}
