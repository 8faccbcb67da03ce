#include "app/DepthSurface.h"

#include "app/GraphicsDevice.h"

DepthSurface::~DepthSurface() { Release(); }

bool DepthSurface::Create(UINT width, UINT height, D3DFORMAT format, D3DMULTISAMPLE_TYPE multiSample,
                          DWORD multiSampleQuality, BOOL discard) {
	Release();
	IDirect3DDevice9* device = GraphicsDevice::Get().device;
	if (device == nullptr) {
		return false;
	}
	if (device->CreateDepthStencilSurface(width, height, format, multiSample, multiSampleQuality, discard, &surface,
	                                      nullptr) != S_OK) {
		surface = nullptr;
		return false;
	}
	surface->GetDesc(&desc);
	return true;
}

void DepthSurface::Release() {
	SafeRelease(surface);
	desc = D3DSURFACE_DESC{};
}

void DepthSurface::Bind() const {
	IDirect3DDevice9* device = GraphicsDevice::Get().device;
	if (device != nullptr) {
		device->SetDepthStencilSurface(surface);
	}
}
