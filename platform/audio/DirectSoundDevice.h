#pragma once
// IDirectSound8: makes buffers on the shared OpenAL device.

#include "platform/audio/DSound.h"
#include "platform/system/RefCounted.h"

class DirectSoundDevice final : public RefCounted<IDirectSound8> {
public:
	DirectSoundDevice();

	HRESULT CreateSoundBuffer(LPCDSBUFFERDESC description, IDirectSoundBuffer** buffer, IUnknown* outer) override;
	HRESULT DuplicateSoundBuffer(IDirectSoundBuffer* original, IDirectSoundBuffer** duplicate) override;
	HRESULT SetCooperativeLevel(HWND window, DWORD level) override;

private:
	~DirectSoundDevice() override = default;

	bool IsAlive() const;

	uint32_t generation;
	DWORD cooperativeLevel = 0;
};
