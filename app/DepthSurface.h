#pragma once
// A stand-alone depth-stencil surface.

#include "platform/gpu/D3D9.h"

class DepthSurface {
public:
	DepthSurface() = default;
	DepthSurface(const DepthSurface&) = delete;
	DepthSurface& operator=(const DepthSurface&) = delete;
	~DepthSurface();

	bool Create(UINT width, UINT height, D3DFORMAT format, D3DMULTISAMPLE_TYPE multiSample, DWORD multiSampleQuality,
	            BOOL discard);
	void Release();
	// Makes the surface the device's depth-stencil surface.
	void Bind() const;

	IDirect3DSurface9* surface = nullptr;
	D3DSURFACE_DESC desc{};
};
