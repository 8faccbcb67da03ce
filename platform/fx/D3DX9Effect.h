#pragma once
// The D3DX effect framework over our own effect-file format (GLSL sources,
// named techniques and passes with render states, parameters by name).
// The format is documented in platform/fx/README.md.

#include "platform/gpu/D3DX9Tex.h"

typedef const char* D3DXHANDLE;

struct D3DXMACRO {
	LPCSTR Name;
	LPCSTR Definition;
};

// Begin flags. With none, Begin saves the device states the technique's
// passes assign and End puts them back.
constexpr DWORD D3DXFX_DONOTSAVESTATE = 1u << 0;
constexpr DWORD D3DXFX_DONOTSAVESHADERSTATE = 1u << 1;
constexpr DWORD D3DXFX_DONOTSAVESAMPLERSTATE = 1u << 2;

struct ID3DXInclude;
struct ID3DXEffectPool;

struct ID3DXEffect : public IUnknown {
	virtual HRESULT SetTechnique(D3DXHANDLE technique) = 0;
	virtual HRESULT Begin(UINT* passes, DWORD flags) = 0;
	virtual HRESULT BeginPass(UINT pass) = 0;
	virtual HRESULT CommitChanges() = 0;
	virtual HRESULT EndPass() = 0;
	virtual HRESULT End() = 0;

	virtual HRESULT SetMatrix(D3DXHANDLE parameter, const D3DXMATRIX* matrix) = 0;
	virtual HRESULT SetVector(D3DXHANDLE parameter, const D3DXVECTOR4* vector) = 0;
	virtual HRESULT SetValue(D3DXHANDLE parameter, const void* data, UINT bytes) = 0;
	virtual HRESULT SetFloat(D3DXHANDLE parameter, float value) = 0;
	virtual HRESULT SetTexture(D3DXHANDLE parameter, IDirect3DBaseTexture9* texture) = 0;

	// Null when the effect has no parameter or technique of that name.
	virtual D3DXHANDLE GetParameterByName(D3DXHANDLE parent, LPCSTR name) = 0;
	virtual D3DXHANDLE GetTechniqueByName(LPCSTR name) = 0;
};

// On failure *errors (when given) receives the reason as a NUL-terminated
// text: a missing file, a parse error with its line, or the GLSL log.
HRESULT D3DXCreateEffectFromFileA(IDirect3DDevice9* device, LPCSTR fileName, const D3DXMACRO* defines,
                                  ID3DXInclude* include, DWORD flags, ID3DXEffectPool* pool, ID3DXEffect** effect,
                                  ID3DXBuffer** errors);

// The same from an effect file's text held in memory.
HRESULT D3DXCreateEffect(IDirect3DDevice9* device, const void* data, UINT bytes, const D3DXMACRO* defines,
                         ID3DXInclude* include, DWORD flags, ID3DXEffectPool* pool, ID3DXEffect** effect,
                         ID3DXBuffer** errors);
