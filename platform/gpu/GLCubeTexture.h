#pragma once
// A cube texture: six faces of one edge length, in one GL cube map.

#include "platform/gpu/GLDeviceChild.h"
#include "platform/gpu/GLTextureBinding.h"
#include "platform/gpu/GLTextureStorage.h"

class GLCubeTexture final : public GLDeviceChild<IDirect3DCubeTexture9>, public GLTextureBinding {
public:
	static GLCubeTexture* Create(GLDevice& device, UINT edgeLength, UINT levels, DWORD usage, D3DFORMAT format,
	                             D3DPOOL pool);

	D3DRESOURCETYPE GetType() override { return D3DRTYPE_CUBETEXTURE; }
	DWORD GetLevelCount() override { return storage.Levels(); }
	HRESULT GetLevelDesc(UINT level, D3DSURFACE_DESC* desc) override;
	HRESULT LockRect(D3DCUBEMAP_FACES face, UINT level, D3DLOCKED_RECT* locked, const RECT* rect, DWORD flags) override;
	HRESULT UnlockRect(D3DCUBEMAP_FACES face, UINT level) override;

	const GLTextureStorage& Storage() const override { return storage; }
	GLTextureStorage& MutableStorage() { return storage; }

private:
	explicit GLCubeTexture(GLDevice& device);
	~GLCubeTexture() override;

	GLTextureStorage storage;
};
