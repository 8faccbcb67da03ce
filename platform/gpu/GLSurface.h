#pragma once
// A 2D image the device can render into or read: a level (or cube face) of a
// texture, a depth-stencil renderbuffer, or one of the device's own buffers.
//
// Surfaces that belong to a container (a texture, or the device for its back
// buffer and automatic depth buffer) count their references on the container,
// as Direct3D does, so holding a texture's surface keeps the texture alive.
// Stand-alone depth-stencil surfaces count their own and hold their device.

#include "platform/gpu/D3D9.h"

#include <epoxy/gl.h>

class GLDevice;
class GLTextureStorage;

class GLSurface : public IDirect3DSurface9 {
public:
	// A level of a texture; container is the texture that owns it.
	static GLSurface* CreateTextureLevel(GLDevice& device, IUnknown& container, GLTextureStorage& storage, UINT face,
	                                     UINT level);
	// A renderbuffer owned by the device itself (back buffer, automatic depth).
	static GLSurface* CreateDeviceBuffer(GLDevice& device, UINT width, UINT height, D3DFORMAT format, DWORD usage);
	// A depth-stencil surface the caller owns.
	static GLSurface* CreateDepthStencil(GLDevice& device, UINT width, UINT height, D3DFORMAT format);

	ULONG AddRef() override;
	ULONG Release() override;
	HRESULT GetDevice(IDirect3DDevice9** device) override;
	D3DRESOURCETYPE GetType() override { return D3DRTYPE_SURFACE; }
	HRESULT GetDesc(D3DSURFACE_DESC* desc) override;
	HRESULT LockRect(D3DLOCKED_RECT* locked, const RECT* rect, DWORD flags) override;
	HRESULT UnlockRect() override;

	// Destroys a contained surface; only its container calls this.
	void DestroyContained();

	GLDevice& Owner() const { return device; }
	UINT Width() const { return desc.Width; }
	UINT Height() const { return desc.Height; }
	D3DFORMAT Format() const { return desc.Format; }
	bool IsDepthStencil() const { return (desc.Usage & D3DUSAGE_DEPTHSTENCIL) != 0; }
	bool HasStencil() const { return desc.Format == D3DFMT_D24S8; }
	// Alpha is not stored: read-backs report it as opaque.
	bool IsOpaqueFormat() const;
	// Attaches this surface at the given point of the bound draw or read framebuffer.
	void Attach(GLenum framebufferTarget, GLenum attachment) const;

private:
	GLSurface(GLDevice& device, IUnknown* container);
	~GLSurface() override;

	GLDevice& device;
	IUnknown* container;  // null for a stand-alone surface
	ULONG references = 1;
	D3DSURFACE_DESC desc{};
	GLTextureStorage* storage = nullptr;
	UINT face = 0;
	UINT level = 0;
	GLuint renderbuffer = 0;
};
