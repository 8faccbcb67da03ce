#include "platform/gpu/GLDirect3D.h"

#include "platform/gpu/GLDevice.h"
#include "platform/system/PlatformWindow.h"

GLDirect3D* GLDirect3D::Create() {
	if (SDL_InitSubSystem(SDL_INIT_VIDEO) != 0) {
		return nullptr;
	}
	return new GLDirect3D();
}

GLDirect3D::~GLDirect3D() { SDL_QuitSubSystem(SDL_INIT_VIDEO); }

HRESULT GLDirect3D::GetAdapterDisplayMode(UINT adapter, D3DDISPLAYMODE* mode) {
	SDL_DisplayMode desktop{};
	if (mode == nullptr || SDL_GetDesktopDisplayMode(int(adapter), &desktop) != 0) {
		return D3DERR_INVALIDCALL;
	}
	mode->Width = UINT(desktop.w);
	mode->Height = UINT(desktop.h);
	mode->RefreshRate = UINT(desktop.refresh_rate);
	mode->Format = D3DFMT_X8R8G8B8;
	return S_OK;
}

HRESULT GLDirect3D::CreateDevice(UINT adapter, D3DDEVTYPE deviceType, HWND focusWindow, DWORD behaviorFlags,
                                 D3DPRESENT_PARAMETERS* parameters, IDirect3DDevice9** device) {
	if (device == nullptr || parameters == nullptr || adapter != D3DADAPTER_DEFAULT) {
		return D3DERR_INVALIDCALL;
	}
	*device = nullptr;
	HWND window = parameters->hDeviceWindow != nullptr ? parameters->hDeviceWindow : focusWindow;
	SDL_Window* sdlWindow = PlatformWindowSdl(window);
	if (sdlWindow == nullptr) {
		return D3DERR_INVALIDCALL;
	}
	GLContextRequest request = GLContextRequest::Software;
	if (deviceType == D3DDEVTYPE_HAL) {
		request = (behaviorFlags & D3DCREATE_HARDWARE_VERTEXPROCESSING) != 0 ? GLContextRequest::Accelerated
		                                                                     : GLContextRequest::AnyRenderer;
	}
	if (!parameters->Windowed) {
		// Through the window layer, so that it knows the window covers the desktop.
		PlatformWindowSetFullScreenDesktop(window, true);
	}
	GLDevice* created = nullptr;
	const HRESULT result = GLDevice::Create(sdlWindow, request, *parameters, &created);
	*device = created;
	return result;
}

IDirect3D9* Direct3DCreate9(UINT sdkVersion) {
	if (sdkVersion != D3D_SDK_VERSION) {
		return nullptr;
	}
	return GLDirect3D::Create();
}
