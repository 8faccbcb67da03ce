#include "platform/audio/DirectSoundDevice.h"

#include "platform/audio/AudioDevice.h"
#include "platform/audio/PrimarySoundBuffer.h"
#include "platform/audio/SoundBuffer.h"

#include <new>

HRESULT DirectSoundCreate8(LPCGUID deviceId, IDirectSound8** directSound, IUnknown* outer) {
	if (directSound == nullptr) {
		return DSERR_INVALIDPARAM;
	}
	*directSound = nullptr;
	if (outer != nullptr) {
		return DSERR_INVALIDPARAM;
	}
	if (deviceId != nullptr || !AudioDevice::Get().EnsureOpen()) {
		return DSERR_NODRIVER;
	}
	std::shared_ptr<DeviceListener> listener;
	try {
		listener = std::make_shared<DeviceListener>();
	} catch (const std::bad_alloc&) {
		return DSERR_OUTOFMEMORY;
	}
	DirectSoundDevice* created = new (std::nothrow) DirectSoundDevice(std::move(listener));
	if (created == nullptr) {
		return DSERR_OUTOFMEMORY;
	}
	*directSound = created;
	return DS_OK;
}

DirectSoundDevice::DirectSoundDevice(std::shared_ptr<DeviceListener> listener_)
	: listener(std::move(listener_)), generation(AudioDevice::Get().Generation()) {}

bool DirectSoundDevice::IsAlive() const {
	const AudioDevice& device = AudioDevice::Get();
	return device.IsOpen() && device.Generation() == generation;
}

HRESULT DirectSoundDevice::SetCooperativeLevel(HWND, DWORD level) {
	if (level < DSSCL_NORMAL || level > DSSCL_WRITEPRIMARY) {
		return DSERR_INVALIDPARAM;
	}
	cooperativeLevel = level;
	return DS_OK;
}

HRESULT DirectSoundDevice::CreateSoundBuffer(LPCDSBUFFERDESC description, IDirectSoundBuffer** buffer, IUnknown* outer) {
	if (buffer == nullptr) {
		return DSERR_INVALIDPARAM;
	}
	*buffer = nullptr;
	if (description == nullptr || outer != nullptr || description->dwSize < sizeof(DSBUFFERDESC)) {
		return DSERR_INVALIDPARAM;
	}
	if (!IsAlive()) {
		return DSERR_NODRIVER;
	}
	if (description->dwFlags & DSBCAPS_PRIMARYBUFFER) {
		if (description->dwBufferBytes != 0 || description->lpwfxFormat != nullptr) {
			return DSERR_INVALIDPARAM;
		}
		PrimarySoundBuffer* primary = new (std::nothrow) PrimarySoundBuffer(description->dwFlags, listener);
		*buffer = primary;
		return primary != nullptr ? DS_OK : DSERR_OUTOFMEMORY;
	}
	SoundBuffer* secondary = nullptr;
	const HRESULT result = SoundBuffer::Create(*description, listener, &secondary);
	*buffer = secondary;
	return result;
}

HRESULT DirectSoundDevice::DuplicateSoundBuffer(IDirectSoundBuffer* original, IDirectSoundBuffer** duplicate) {
	if (duplicate == nullptr) {
		return DSERR_INVALIDPARAM;
	}
	*duplicate = nullptr;
	SoundBuffer* source = dynamic_cast<SoundBuffer*>(original);
	if (source == nullptr) {
		// Null, or the primary buffer, which has no samples to share.
		return original == nullptr ? DSERR_INVALIDPARAM : DSERR_INVALIDCALL;
	}
	if (!IsAlive() || !source->IsAlive()) {
		return DSERR_NODRIVER;
	}
	// The copy belongs to this device and is heard from its listener.
	SoundBuffer* copy = source->Duplicate(listener);
	*duplicate = copy;
	return copy != nullptr ? DS_OK : DSERR_OUTOFMEMORY;
}
