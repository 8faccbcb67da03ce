#include "platform/gpu/GLTexture.h"

#include "platform/gpu/GLSurface.h"

GLTexture::GLTexture(GLDevice& owner) : GLDeviceChild(owner) {}

GLTexture::~GLTexture() {
	Device().MakeCurrent();
	for (GLSurface* surface : surfaces) {
		if (surface != nullptr) {
			surface->DestroyContained();
		}
	}
	Device().ForgetTexture(this);
	storage.Destroy();
}

GLTexture* GLTexture::Create(GLDevice& device, UINT width, UINT height, UINT levels, DWORD usage, D3DFORMAT format,
                             D3DPOOL pool) {
	if ((usage & D3DUSAGE_RENDERTARGET) != 0 && pool != D3DPOOL_DEFAULT) {
		return nullptr;  // Direct3D keeps render targets in the default pool only
	}
	device.MakeCurrent();
	GLTexture* texture = new GLTexture(device);
	if (!texture->storage.Create(GL_TEXTURE_2D, format, width, height, levels, usage, pool)) {
		texture->Release();
		return nullptr;
	}
	texture->surfaces.assign(texture->storage.Levels(), nullptr);
	return texture;
}

HRESULT GLTexture::GetLevelDesc(UINT level, D3DSURFACE_DESC* desc) {
	if (desc == nullptr || level >= storage.Levels()) {
		return D3DERR_INVALIDCALL;
	}
	*desc = storage.LevelDesc(level);
	return S_OK;
}

HRESULT GLTexture::GetSurfaceLevel(UINT level, IDirect3DSurface9** surface) {
	if (surface == nullptr || level >= storage.Levels()) {
		return D3DERR_INVALIDCALL;
	}
	if (surfaces[level] == nullptr) {
		surfaces[level] = GLSurface::CreateTextureLevel(Device(), *this, storage, 0, level);
	}
	surfaces[level]->AddRef();
	*surface = surfaces[level];
	return S_OK;
}

HRESULT GLTexture::LockRect(UINT level, D3DLOCKED_RECT* locked, const RECT* rect, DWORD flags) {
	Device().MakeCurrent();
	return storage.Lock(0, level, locked, rect, flags);
}

HRESULT GLTexture::UnlockRect(UINT level) {
	Device().MakeCurrent();
	return storage.Unlock(0, level);
}
