#pragma once
// The game's one texture record: loaded from an image file, or created empty
// (a render target or a plain colour), with its level-0 surface and the
// rectangle the sprite helpers draw.

#include "platform/gpu/D3DX9Tex.h"

#include <string>

class Texture {
public:
	Texture() = default;
	Texture(const Texture&) = delete;
	Texture& operator=(const Texture&) = delete;
	Texture(Texture&& other) noexcept;
	Texture& operator=(Texture&& other) noexcept;
	~Texture();

	// nonPowerOfTwo keeps the file's size; otherwise the texture is padded to
	// powers of two while imageInfo and sourceRect keep the file's size.
	bool LoadFromFile(const std::string& path, bool nonPowerOfTwo);
	bool Create(UINT width, UINT height, UINT mipLevels, DWORD usage, D3DFORMAT format, D3DPOOL pool);
	void SetAsRenderTarget(DWORD index) const;
	// Writes color to every pixel of imageInfo's size; 32-bit formats only.
	bool Fill(D3DCOLOR color, DWORD lockFlags);
	// Whether every texel of the image is fully opaque: formats without alpha
	// are; 32-bit ones with alpha are read back; others (compressed) are not
	// known to be and count as translucent.
	bool IsOpaque() const;
	void Release();

	bool IsEmpty() const { return texture == nullptr; }

	IDirect3DTexture9* texture = nullptr;
	IDirect3DSurface9* surface = nullptr;
	D3DXIMAGE_INFO imageInfo{};
	RECT sourceRect{};
	std::string fileName;

private:
	void TakeFrom(Texture& other);
};
