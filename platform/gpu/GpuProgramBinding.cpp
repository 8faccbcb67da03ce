#include "platform/gpu/GpuProgramBinding.h"

#include "platform/gpu/GLDevice.h"
#include "platform/gpu/GLTextureBinding.h"
#include "platform/gpu/GLTextureStorage.h"

#include <utility>

namespace {

GLDevice* PlatformDevice(IDirect3DDevice9* device) {
	return device != nullptr ? dynamic_cast<GLDevice*>(device) : nullptr;
}

const GLTextureBinding* PlatformTexture(IDirect3DBaseTexture9* texture) {
	return texture != nullptr ? dynamic_cast<const GLTextureBinding*>(texture) : nullptr;
}

}  // namespace

void GpuUseProgram(IDirect3DDevice9* device, unsigned program) {
	if (GLDevice* platformDevice = PlatformDevice(device)) {
		platformDevice->UseProgram(program);
	}
}

void GpuSetPendingEnd(IDirect3DDevice9* device, std::function<void()> end) {
	if (GLDevice* platformDevice = PlatformDevice(device)) {
		platformDevice->SetPendingEnd(std::move(end));
	}
}

void GpuRunPendingEnd(IDirect3DDevice9* device) {
	if (GLDevice* platformDevice = PlatformDevice(device)) {
		platformDevice->RunPendingEnd();
	}
}

const GLTextureBinding* GpuTextureBinding(IDirect3DBaseTexture9* texture) { return PlatformTexture(texture); }

unsigned GpuTextureName(IDirect3DBaseTexture9* texture) {
	const GLTextureBinding* binding = PlatformTexture(texture);
	return binding != nullptr ? binding->Storage().Name() : 0;
}

unsigned GpuTextureTarget(IDirect3DBaseTexture9* texture) {
	const GLTextureBinding* binding = PlatformTexture(texture);
	return binding != nullptr ? binding->Storage().Target() : 0;
}

void GpuApplyStateForDraw(IDirect3DDevice9* device) {
	if (GLDevice* platformDevice = PlatformDevice(device)) {
		platformDevice->ApplyStateForDraw();
	}
}
