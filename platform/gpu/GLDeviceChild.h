#pragma once
// Base of the resources a device creates: counted like COM objects, and
// holding a reference on their device so that its GL context outlives them.

#include "platform/gpu/GLDevice.h"
#include "platform/system/RefCounted.h"

template <typename Interface>
class GLDeviceChild : public RefCounted<Interface> {
public:
	// Overrides IDirect3DResource9::GetDevice where the interface has it.
	HRESULT GetDevice(IDirect3DDevice9** out) {
		if (out == nullptr) {
			return D3DERR_INVALIDCALL;
		}
		device.AddRef();
		*out = &device;
		return S_OK;
	}

	GLDevice& Device() const { return device; }

protected:
	explicit GLDeviceChild(GLDevice& owner) : device(owner) { device.AddRef(); }
	~GLDeviceChild() override { device.Release(); }

private:
	GLDevice& device;
};
