#pragma once
// A 2D texture: its levels in one GL texture, a surface per level handed out
// on request.

#include "platform/gpu/GLDeviceChild.h"
#include "platform/gpu/GLTextureBinding.h"
#include "platform/gpu/GLTextureStorage.h"

#include <vector>

class GLSurface;

class GLTexture final : public GLDeviceChild<IDirect3DTexture9>, public GLTextureBinding {
public:
	// Null when the format, size or usage cannot be stored.
	static GLTexture* Create(GLDevice& device, UINT width, UINT height, UINT levels, DWORD usage, D3DFORMAT format,
	                         D3DPOOL pool);

	D3DRESOURCETYPE GetType() override { return D3DRTYPE_TEXTURE; }
	DWORD GetLevelCount() override { return storage.Levels(); }
	HRESULT GetLevelDesc(UINT level, D3DSURFACE_DESC* desc) override;
	HRESULT GetSurfaceLevel(UINT level, IDirect3DSurface9** surface) override;
	HRESULT LockRect(UINT level, D3DLOCKED_RECT* locked, const RECT* rect, DWORD flags) override;
	HRESULT UnlockRect(UINT level) override;

	const GLTextureStorage& Storage() const override { return storage; }
	GLTextureStorage& MutableStorage() { return storage; }

private:
	explicit GLTexture(GLDevice& device);
	~GLTexture() override;

	GLTextureStorage storage;
	std::vector<GLSurface*> surfaces;  // created on first request
};
