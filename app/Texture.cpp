#include "app/Texture.h"

#include "app/GraphicsDevice.h"

#include <cstring>

Texture::Texture(Texture&& other) noexcept { TakeFrom(other); }

Texture& Texture::operator=(Texture&& other) noexcept {
	if (this != &other) {
		Release();
		TakeFrom(other);
	}
	return *this;
}

Texture::~Texture() { Release(); }

void Texture::TakeFrom(Texture& other) {
	texture = other.texture;
	surface = other.surface;
	imageInfo = other.imageInfo;
	sourceRect = other.sourceRect;
	fileName = std::move(other.fileName);
	other.texture = nullptr;
	other.surface = nullptr;
	other.imageInfo = D3DXIMAGE_INFO{};
	other.sourceRect = RECT{};
	other.fileName.clear();
}

bool Texture::LoadFromFile(const std::string& path, bool nonPowerOfTwo) {
	Release();
	fileName = path;
	IDirect3DDevice9* device = GraphicsDevice::Get().device;
	if (device == nullptr) {
		return false;
	}
	const UINT size = nonPowerOfTwo ? D3DX_DEFAULT_NONPOW2 : D3DX_DEFAULT;
	D3DXIMAGE_INFO info{};
	if (FAILED(D3DXCreateTextureFromFileExA(device, path.c_str(), size, size, D3DX_DEFAULT, 0, D3DFMT_UNKNOWN,
	                                        D3DPOOL_MANAGED, D3DX_DEFAULT, D3DX_DEFAULT, 0, &info, nullptr,
	                                        &texture))) {
		texture = nullptr;
		return false;
	}
	if (FAILED(texture->GetSurfaceLevel(0, &surface))) {
		surface = nullptr;
		SafeRelease(texture);
		return false;
	}
	imageInfo = info;
	sourceRect = RECT{0, 0, LONG(imageInfo.Width), LONG(imageInfo.Height)};
	return true;
}

bool Texture::Create(UINT width, UINT height, UINT mipLevels, DWORD usage, D3DFORMAT format, D3DPOOL pool) {
	Release();
	IDirect3DDevice9* device = GraphicsDevice::Get().device;
	if (device == nullptr) {
		return false;
	}
	if (FAILED(D3DXCreateTexture(device, width, height, mipLevels, usage, format, pool, &texture))) {
		texture = nullptr;
		return false;
	}
	D3DSURFACE_DESC desc{};
	if (FAILED(texture->GetSurfaceLevel(0, &surface)) || FAILED(surface->GetDesc(&desc))) {
		Release();
		return false;
	}
	imageInfo = D3DXIMAGE_INFO{};
	imageInfo.Width = desc.Width;
	imageInfo.Height = desc.Height;
	imageInfo.Format = desc.Format;
	imageInfo.MipLevels = texture->GetLevelCount();
	sourceRect = RECT{0, 0, LONG(imageInfo.Width), LONG(imageInfo.Height)};
	return true;
}

void Texture::SetAsRenderTarget(DWORD index) const {
	IDirect3DDevice9* device = GraphicsDevice::Get().device;
	if (device != nullptr && surface != nullptr) {
		device->SetRenderTarget(index, surface);
	}
}

bool Texture::Fill(D3DCOLOR color, DWORD lockFlags) {
	D3DSURFACE_DESC desc{};
	if (texture == nullptr || FAILED(texture->GetLevelDesc(0, &desc))) {
		return false;
	}
	// Writing 32-bit pixels into a compressed or narrower level would run
	// past its rows.
	const bool fourBytes = desc.Format == D3DFMT_A8R8G8B8 || desc.Format == D3DFMT_X8R8G8B8 ||
	                       desc.Format == D3DFMT_A8B8G8R8 || desc.Format == D3DFMT_X8B8G8R8 ||
	                       desc.Format == D3DFMT_R32F;
	if (!fourBytes || imageInfo.Width > desc.Width || imageInfo.Height > desc.Height) {
		return false;
	}
	D3DLOCKED_RECT locked{};
	if (FAILED(texture->LockRect(0, &locked, nullptr, lockFlags))) {
		return false;
	}
	for (UINT y = 0; y < imageInfo.Height; ++y) {
		uint8_t* row = static_cast<uint8_t*>(locked.pBits) + size_t(y) * size_t(locked.Pitch);
		for (UINT x = 0; x < imageInfo.Width; ++x) {
			std::memcpy(row + size_t(x) * 4, &color, 4);
		}
	}
	texture->UnlockRect(0);
	return true;
}

bool Texture::IsOpaque() const {
	D3DSURFACE_DESC desc{};
	if (texture == nullptr || FAILED(texture->GetLevelDesc(0, &desc))) {
		return false;
	}
	if (desc.Format == D3DFMT_X8R8G8B8 || desc.Format == D3DFMT_X8B8G8R8) {
		return true;
	}
	const bool alphaInFourthByte = desc.Format == D3DFMT_A8R8G8B8 || desc.Format == D3DFMT_A8B8G8R8;
	if (!alphaInFourthByte || imageInfo.Width > desc.Width || imageInfo.Height > desc.Height) {
		return false;
	}
	D3DLOCKED_RECT locked{};
	if (FAILED(texture->LockRect(0, &locked, nullptr, D3DLOCK_READONLY))) {
		return false;
	}
	bool opaque = true;
	for (UINT y = 0; y < imageInfo.Height && opaque; ++y) {
		const uint8_t* row = static_cast<const uint8_t*>(locked.pBits) + size_t(y) * size_t(locked.Pitch);
		for (UINT x = 0; x < imageInfo.Width; ++x) {
			if (row[size_t(x) * 4 + 3] != 0xFF) {
				opaque = false;
				break;
			}
		}
	}
	texture->UnlockRect(0);
	return opaque;
}

void Texture::Release() {
	SafeRelease(surface);
	SafeRelease(texture);
	fileName.clear();
	imageInfo = D3DXIMAGE_INFO{};
	sourceRect = RECT{};
}
