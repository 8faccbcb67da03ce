#pragma once
// The Direct3D object: display-mode queries and device creation over SDL's
// OpenGL contexts. Device types map to context requests: HAL with hardware
// vertex processing asks for an accelerated GL 3.3 core context, HAL with
// software vertex processing for one without that requirement, REF for a
// software rasterizer.

#include "platform/gpu/D3D9.h"
#include "platform/system/RefCounted.h"

class GLDirect3D final : public RefCounted<IDirect3D9> {
public:
	// Null when SDL's video subsystem cannot start.
	static GLDirect3D* Create();

	HRESULT GetAdapterDisplayMode(UINT adapter, D3DDISPLAYMODE* mode) override;
	HRESULT CreateDevice(UINT adapter, D3DDEVTYPE deviceType, HWND focusWindow, DWORD behaviorFlags,
	                     D3DPRESENT_PARAMETERS* presentationParameters, IDirect3DDevice9** device) override;

private:
	GLDirect3D() = default;
	~GLDirect3D() override;
};
