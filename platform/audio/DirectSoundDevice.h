#pragma once
// IDirectSound8: makes buffers on the shared OpenAL device. Each device has
// its own listener, and hears the buffers it makes or duplicates from there.

#include "platform/audio/DeviceListener.h"
#include "platform/audio/DSound.h"
#include "platform/system/RefCounted.h"

#include <memory>

class DirectSoundDevice final : public RefCounted<IDirectSound8> {
public:
	explicit DirectSoundDevice(std::shared_ptr<DeviceListener> listener);

	HRESULT CreateSoundBuffer(LPCDSBUFFERDESC description, IDirectSoundBuffer** buffer, IUnknown* outer) override;
	HRESULT DuplicateSoundBuffer(IDirectSoundBuffer* original, IDirectSoundBuffer** duplicate) override;
	HRESULT SetCooperativeLevel(HWND window, DWORD level) override;

private:
	~DirectSoundDevice() override = default;

	bool IsAlive() const;

	std::shared_ptr<DeviceListener> listener;
	uint32_t generation;
	DWORD cooperativeLevel = 0;
};
