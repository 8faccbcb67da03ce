#pragma once
// D3DX texture, sprite and buffer helpers over the platform device.

#include "platform/gpu/D3D9.h"

#include <cstddef>

constexpr UINT D3DX_DEFAULT = 0xFFFFFFFFu;
constexpr UINT D3DX_DEFAULT_NONPOW2 = 0xFFFFFFFEu;
constexpr UINT D3DX_FROM_FILE = 0xFFFFFFFDu;

constexpr DWORD D3DXSPRITE_ALPHABLEND = 0x00000010;

constexpr HRESULT D3DXERR_INVALIDDATA = static_cast<HRESULT>(0x88760B59u);

enum D3DXIMAGE_FILEFORMAT : DWORD {
	D3DXIFF_BMP = 0,
	D3DXIFF_JPG = 1,
	D3DXIFF_TGA = 2,
	D3DXIFF_PNG = 3,
	D3DXIFF_DDS = 4,
};

struct D3DXIMAGE_INFO {
	UINT Width;
	UINT Height;
	UINT Depth;
	UINT MipLevels;
	D3DFORMAT Format;
	D3DRESOURCETYPE ResourceType;
	D3DXIMAGE_FILEFORMAT ImageFileFormat;
};

struct PALETTEENTRY {
	BYTE peRed, peGreen, peBlue, peFlags;
};

// A block of bytes handed out by D3DX (compile errors, materials, adjacency).
struct ID3DXBuffer : public IUnknown {
	virtual void* GetBufferPointer() = 0;
	virtual DWORD GetBufferSize() = 0;
};

HRESULT D3DXCreateBuffer(DWORD size, ID3DXBuffer** buffer);

// The 2D batcher: draws in screen pixels, top-left origin, batched until
// Flush or End.
struct ID3DXSprite : public IUnknown {
	virtual HRESULT Begin(DWORD flags) = 0;
	virtual HRESULT SetTransform(const D3DXMATRIX* transform) = 0;
	virtual HRESULT GetTransform(D3DXMATRIX* transform) = 0;
	virtual HRESULT Draw(IDirect3DTexture9* texture, const RECT* sourceRect, const D3DXVECTOR3* center,
	                     const D3DXVECTOR3* position, D3DCOLOR color) = 0;
	virtual HRESULT Flush() = 0;
	virtual HRESULT End() = 0;
};

HRESULT D3DXCreateSprite(IDirect3DDevice9* device, ID3DXSprite** sprite);

HRESULT D3DXCreateTexture(IDirect3DDevice9* device, UINT width, UINT height, UINT mipLevels, DWORD usage,
                          D3DFORMAT format, D3DPOOL pool, IDirect3DTexture9** texture);

// PNG and DDS files. Width/Height D3DX_DEFAULT pad to powers of two,
// D3DX_DEFAULT_NONPOW2 keeps the file's size; info receives the file's own
// description either way.
HRESULT D3DXCreateTextureFromFileExA(IDirect3DDevice9* device, LPCSTR fileName, UINT width, UINT height,
                                     UINT mipLevels, DWORD usage, D3DFORMAT format, D3DPOOL pool, DWORD filter,
                                     DWORD mipFilter, D3DCOLOR colorKey, D3DXIMAGE_INFO* info, PALETTEENTRY* palette,
                                     IDirect3DTexture9** texture);

HRESULT D3DXCreateCubeTextureFromFileA(IDirect3DDevice9* device, LPCSTR fileName, IDirect3DCubeTexture9** texture);
