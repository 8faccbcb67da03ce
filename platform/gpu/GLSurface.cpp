#include "platform/gpu/GLSurface.h"

#include "platform/gpu/GLErrors.h"
#include "platform/gpu/GLObjectCounter.h"

#include "platform/gpu/GLDevice.h"
#include "platform/gpu/GLTextureStorage.h"

namespace {

GLenum RenderbufferFormat(D3DFORMAT format) {
	switch (format) {
	case D3DFMT_D24S8:
		return GL_DEPTH24_STENCIL8;
	case D3DFMT_D24X8:
		return GL_DEPTH_COMPONENT24;
	case D3DFMT_D16:
		return GL_DEPTH_COMPONENT16;
	case D3DFMT_D32:
		return GL_DEPTH_COMPONENT32;
	case D3DFMT_A8R8G8B8:
	case D3DFMT_X8R8G8B8:
	case D3DFMT_A8B8G8R8:
	case D3DFMT_X8B8G8R8:
		return GL_RGBA8;
	case D3DFMT_R32F:
		return GL_R32F;
	default:
		return 0;
	}
}

GLuint CreateRenderbuffer(UINT width, UINT height, D3DFORMAT format) {
	const GLenum internalFormat = RenderbufferFormat(format);
	if (internalFormat == 0 || width == 0 || height == 0 || width > 16384 || height > 16384) {
		return 0;
	}
	GLuint name = 0;
	ClearGLErrors();
	glGenRenderbuffers(1, &name);
	GLObjectCounter::Made(GLObjectKind::Renderbuffer);
	glBindRenderbuffer(GL_RENDERBUFFER, name);
	glRenderbufferStorage(GL_RENDERBUFFER, internalFormat, GLsizei(width), GLsizei(height));
	glBindRenderbuffer(GL_RENDERBUFFER, 0);
	if (!NoGLErrors()) {
		glDeleteRenderbuffers(1, &name);
		GLObjectCounter::Deleted(GLObjectKind::Renderbuffer);
		return 0;
	}
	return name;
}

bool IsDepthFormat(D3DFORMAT format) {
	return format == D3DFMT_D24S8 || format == D3DFMT_D24X8 || format == D3DFMT_D16 || format == D3DFMT_D32;
}

}  // namespace

GLSurface::GLSurface(GLDevice& owner, IUnknown* owningContainer) : device(owner), container(owningContainer) {
	if (container == nullptr) {
		device.AddRef();
	}
}

GLSurface::~GLSurface() {
	device.MakeCurrent();
	device.ForgetSurface(this);
	if (renderbuffer != 0) {
		glDeleteRenderbuffers(1, &renderbuffer);
		GLObjectCounter::Deleted(GLObjectKind::Renderbuffer);
	}
	if (container == nullptr) {
		device.Release();
	}
}

GLSurface* GLSurface::CreateTextureLevel(GLDevice& device, IUnknown& container, GLTextureStorage& storage, UINT face,
                                         UINT level) {
	GLSurface* surface = new GLSurface(device, &container);
	surface->storage = &storage;
	surface->face = face;
	surface->level = level;
	surface->desc = storage.LevelDesc(level);
	return surface;
}

GLSurface* GLSurface::CreateDeviceBuffer(GLDevice& device, UINT width, UINT height, D3DFORMAT format, DWORD usage) {
	const GLuint name = CreateRenderbuffer(width, height, format);
	if (name == 0) {
		return nullptr;
	}
	GLSurface* surface = new GLSurface(device, &device);
	surface->renderbuffer = name;
	surface->desc.Format = format;
	surface->desc.Type = D3DRTYPE_SURFACE;
	surface->desc.Usage = usage;
	surface->desc.Pool = D3DPOOL_DEFAULT;
	surface->desc.Width = width;
	surface->desc.Height = height;
	return surface;
}

GLSurface* GLSurface::CreateDepthStencil(GLDevice& device, UINT width, UINT height, D3DFORMAT format) {
	if (!IsDepthFormat(format)) {
		return nullptr;
	}
	const GLuint name = CreateRenderbuffer(width, height, format);
	if (name == 0) {
		return nullptr;
	}
	GLSurface* surface = new GLSurface(device, nullptr);
	surface->renderbuffer = name;
	surface->desc.Format = format;
	surface->desc.Type = D3DRTYPE_SURFACE;
	surface->desc.Usage = D3DUSAGE_DEPTHSTENCIL;
	surface->desc.Pool = D3DPOOL_DEFAULT;
	surface->desc.Width = width;
	surface->desc.Height = height;
	return surface;
}

ULONG GLSurface::AddRef() {
	if (container != nullptr) {
		return container->AddRef();
	}
	return ++references;
}

ULONG GLSurface::Release() {
	if (container != nullptr) {
		return container->Release();
	}
	const ULONG remaining = --references;
	if (remaining == 0) {
		delete this;
	}
	return remaining;
}

void GLSurface::DestroyContained() {
	if (container != nullptr) {
		delete this;
	}
}

HRESULT GLSurface::GetDevice(IDirect3DDevice9** out) {
	if (out == nullptr) {
		return D3DERR_INVALIDCALL;
	}
	device.AddRef();
	*out = &device;
	return S_OK;
}

HRESULT GLSurface::GetDesc(D3DSURFACE_DESC* out) {
	if (out == nullptr) {
		return D3DERR_INVALIDCALL;
	}
	*out = desc;
	return S_OK;
}

HRESULT GLSurface::LockRect(D3DLOCKED_RECT* locked, const RECT* rect, DWORD flags) {
	if (storage == nullptr) {
		return D3DERR_INVALIDCALL;
	}
	device.MakeCurrent();
	return storage->Lock(face, level, locked, rect, flags);
}

HRESULT GLSurface::UnlockRect() {
	if (storage == nullptr) {
		return D3DERR_INVALIDCALL;
	}
	device.MakeCurrent();
	return storage->Unlock(face, level);
}

bool GLSurface::IsOpaqueFormat() const {
	return desc.Format == D3DFMT_X8R8G8B8 || desc.Format == D3DFMT_X8B8G8R8;
}

void GLSurface::Attach(GLenum framebufferTarget, GLenum attachment) const {
	if (storage != nullptr) {
		glFramebufferTexture2D(framebufferTarget, attachment, storage->FaceTarget(face), storage->Name(), GLint(level));
	} else {
		glFramebufferRenderbuffer(framebufferTarget, attachment, GL_RENDERBUFFER, renderbuffer);
	}
}
