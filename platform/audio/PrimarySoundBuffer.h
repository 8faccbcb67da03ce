#pragma once
// A device's primary buffer: the mix itself. It cannot be written; it keeps
// the format asked of it (OpenAL mixes at its own rate), sets the master
// volume and hands out its device's listener.

#include "platform/audio/DeviceListener.h"
#include "platform/audio/DSound.h"
#include "platform/system/RefCounted.h"

#include <memory>

class PrimarySoundBuffer final : public RefCounted<IDirectSoundBuffer> {
public:
	PrimarySoundBuffer(DWORD flags, std::shared_ptr<DeviceListener> listener);

	HRESULT QueryInterface(REFIID iid, void** object) override;
	HRESULT GetCurrentPosition(DWORD* playCursor, DWORD* writeCursor) override;
	HRESULT GetFormat(WAVEFORMATEX* format, DWORD sizeAllocated, DWORD* sizeWritten) override;
	HRESULT GetVolume(LONG* volume) override;
	HRESULT GetFrequency(DWORD* frequency) override;
	HRESULT GetStatus(DWORD* status) override;
	HRESULT Lock(DWORD offset, DWORD bytes, void** part1, DWORD* bytes1, void** part2, DWORD* bytes2, DWORD flags) override;
	HRESULT Play(DWORD reserved1, DWORD priority, DWORD flags) override;
	HRESULT SetCurrentPosition(DWORD position) override;
	HRESULT SetFormat(LPCWAVEFORMATEX format) override;
	HRESULT SetVolume(LONG volume) override;
	HRESULT SetFrequency(DWORD frequency) override;
	HRESULT Stop() override;
	HRESULT Unlock(void* part1, DWORD bytes1, void* part2, DWORD bytes2) override;
	HRESULT Restore() override;

private:
	~PrimarySoundBuffer() override = default;

	bool IsAlive() const;

	DWORD flags;
	std::shared_ptr<DeviceListener> listener;
	uint32_t generation;
	WAVEFORMATEX format;
	LONG volume = DSBVOLUME_MAX;
};
