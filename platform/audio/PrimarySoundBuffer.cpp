#include "platform/audio/PrimarySoundBuffer.h"

#include "platform/audio/AudioDevice.h"
#include "platform/audio/SoundListener.h"

#include <cmath>
#include <new>

PrimarySoundBuffer::PrimarySoundBuffer(DWORD flags_, std::shared_ptr<DeviceListener> listener_)
	: flags(flags_), listener(std::move(listener_)), generation(AudioDevice::Get().Generation()) {
	format = {WAVE_FORMAT_PCM, 2, 22050, 88200, 4, 16, 0};
}

bool PrimarySoundBuffer::IsAlive() const {
	const AudioDevice& device = AudioDevice::Get();
	return device.IsOpen() && device.Generation() == generation;
}

HRESULT PrimarySoundBuffer::QueryInterface(REFIID iid, void** object) {
	if (object == nullptr) {
		return E_POINTER;
	}
	*object = nullptr;
	if (IsEqualGUID(iid, IID_IDirectSoundBuffer)) {
		AddRef();
		*object = static_cast<IDirectSoundBuffer*>(this);
		return S_OK;
	}
	if (IsEqualGUID(iid, IID_IDirectSound3DListener) && (flags & DSBCAPS_CTRL3D)) {
		SoundListener* handle = new (std::nothrow) SoundListener(listener, generation);
		if (handle == nullptr) {
			return E_OUTOFMEMORY;
		}
		*object = static_cast<IDirectSound3DListener8*>(handle);
		return S_OK;
	}
	return E_NOINTERFACE;
}

HRESULT PrimarySoundBuffer::GetCurrentPosition(DWORD* playCursor, DWORD* writeCursor) {
	if (playCursor != nullptr) {
		*playCursor = 0;
	}
	if (writeCursor != nullptr) {
		*writeCursor = 0;
	}
	return DS_OK;
}

HRESULT PrimarySoundBuffer::GetFormat(WAVEFORMATEX* result, DWORD sizeAllocated, DWORD* sizeWritten) {
	if (result == nullptr) {
		if (sizeWritten == nullptr) {
			return DSERR_INVALIDPARAM;
		}
		*sizeWritten = sizeof(WAVEFORMATEX);
		return DS_OK;
	}
	if (sizeAllocated < sizeof(WAVEFORMATEX)) {
		return DSERR_INVALIDPARAM;
	}
	*result = format;
	if (sizeWritten != nullptr) {
		*sizeWritten = sizeof(WAVEFORMATEX);
	}
	return DS_OK;
}

HRESULT PrimarySoundBuffer::SetFormat(LPCWAVEFORMATEX requested) {
	if (requested == nullptr || requested->wFormatTag != WAVE_FORMAT_PCM || requested->nChannels < 1 || requested->nChannels > 2 ||
		(requested->wBitsPerSample != 8 && requested->wBitsPerSample != 16) ||
		requested->nBlockAlign != requested->nChannels * requested->wBitsPerSample / 8) {
		return DSERR_BADFORMAT;
	}
	format = *requested;
	format.cbSize = 0;
	return DS_OK;
}

HRESULT PrimarySoundBuffer::GetVolume(LONG* result) {
	if (result == nullptr) {
		return DSERR_INVALIDPARAM;
	}
	*result = volume;
	return DS_OK;
}

HRESULT PrimarySoundBuffer::SetVolume(LONG requested) {
	if (!(flags & DSBCAPS_CTRLVOLUME)) {
		return DSERR_CONTROLUNAVAIL;
	}
	if (requested < DSBVOLUME_MIN || requested > DSBVOLUME_MAX) {
		return DSERR_INVALIDPARAM;
	}
	volume = requested;
	if (IsAlive()) {
		AudioDevice::Get().SetListenerGain(
			requested <= DSBVOLUME_MIN ? 0.0f : std::pow(10.0f, static_cast<float>(requested) / 2000.0f));
	}
	return DS_OK;
}

HRESULT PrimarySoundBuffer::GetFrequency(DWORD*) { return DSERR_CONTROLUNAVAIL; }

HRESULT PrimarySoundBuffer::SetFrequency(DWORD) { return DSERR_CONTROLUNAVAIL; }

HRESULT PrimarySoundBuffer::GetStatus(DWORD* status) {
	if (status == nullptr) {
		return DSERR_INVALIDPARAM;
	}
	*status = 0;
	return DS_OK;
}

HRESULT PrimarySoundBuffer::Lock(DWORD, DWORD, void**, DWORD*, void**, DWORD*, DWORD) { return DSERR_INVALIDCALL; }

HRESULT PrimarySoundBuffer::Unlock(void*, DWORD, void*, DWORD) { return DSERR_INVALIDCALL; }

HRESULT PrimarySoundBuffer::Play(DWORD, DWORD, DWORD) { return DS_OK; }

HRESULT PrimarySoundBuffer::Stop() { return DS_OK; }

HRESULT PrimarySoundBuffer::SetCurrentPosition(DWORD) { return DSERR_INVALIDCALL; }

HRESULT PrimarySoundBuffer::Restore() { return DS_OK; }
