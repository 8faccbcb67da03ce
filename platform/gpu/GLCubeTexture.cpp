#include "platform/gpu/GLCubeTexture.h"

GLCubeTexture::GLCubeTexture(GLDevice& owner) : GLDeviceChild(owner) {}

GLCubeTexture::~GLCubeTexture() {
	Device().MakeCurrent();
	Device().ForgetTexture(this);
	storage.Destroy();
}

GLCubeTexture* GLCubeTexture::Create(GLDevice& device, UINT edgeLength, UINT levels, DWORD usage, D3DFORMAT format,
                                     D3DPOOL pool) {
	if ((usage & D3DUSAGE_RENDERTARGET) != 0) {
		return nullptr;  // cube render targets are not needed
	}
	device.MakeCurrent();
	GLCubeTexture* texture = new GLCubeTexture(device);
	if (!texture->storage.Create(GL_TEXTURE_CUBE_MAP, format, edgeLength, edgeLength, levels, usage, pool)) {
		texture->Release();
		return nullptr;
	}
	return texture;
}

HRESULT GLCubeTexture::GetLevelDesc(UINT level, D3DSURFACE_DESC* desc) {
	if (desc == nullptr || level >= storage.Levels()) {
		return D3DERR_INVALIDCALL;
	}
	*desc = storage.LevelDesc(level);
	return S_OK;
}

HRESULT GLCubeTexture::LockRect(D3DCUBEMAP_FACES face, UINT level, D3DLOCKED_RECT* locked, const RECT* rect,
                                DWORD flags) {
	Device().MakeCurrent();
	return storage.Lock(UINT(face), level, locked, rect, flags);
}

HRESULT GLCubeTexture::UnlockRect(D3DCUBEMAP_FACES face, UINT level) {
	Device().MakeCurrent();
	return storage.Unlock(UINT(face), level);
}
