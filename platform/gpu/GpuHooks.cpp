#include "platform/gpu/GpuHooks.h"

#include "platform/gpu/GLDevice.h"
#include "platform/gpu/GLSurface.h"

namespace {

std::function<void()>& PresentHookStorage() {
	static std::function<void()> hook;
	return hook;
}

bool pixelWorkEnabled = true;
bool pictureSkipped = false;

}  // namespace

void SetPixelWorkEnabled(bool enabled) { pixelWorkEnabled = enabled; }

bool PixelWorkEnabled() { return pixelWorkEnabled; }

void SetPictureSkipped(bool skipped) { pictureSkipped = skipped; }

bool PictureSkipped() { return pictureSkipped; }

void SetPresentHook(std::function<void()> hook) { PresentHookStorage() = std::move(hook); }

const std::function<void()>& PresentHook() { return PresentHookStorage(); }

void DrainDevice(IDirect3DDevice9* device) {
	GLDevice* platformDevice = device != nullptr ? dynamic_cast<GLDevice*>(device) : nullptr;
	if (platformDevice != nullptr) {
		platformDevice->Drain();
	}
}

bool ReadRenderTargetPixels(IDirect3DSurface9* surface, std::vector<uint8_t>& rgba, UINT& width, UINT& height) {
	const GLSurface* platformSurface = surface != nullptr ? dynamic_cast<GLSurface*>(surface) : nullptr;
	if (platformSurface == nullptr) {
		return false;
	}
	return platformSurface->Owner().ReadPixels(*platformSurface, rgba, width, height);
}

bool ReadRenderTargetFloats(IDirect3DSurface9* surface, std::vector<float>& values, UINT& width, UINT& height) {
	const GLSurface* platformSurface = surface != nullptr ? dynamic_cast<GLSurface*>(surface) : nullptr;
	if (platformSurface == nullptr || platformSurface->Format() != D3DFMT_R32F) {
		return false;
	}
	return platformSurface->Owner().ReadFloats(*platformSurface, values, width, height);
}
