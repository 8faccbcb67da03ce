#pragma once
// A secondary sound buffer: its samples, its playback state and, while it
// plays, one source borrowed from the device's pool. Stopped buffers hold no
// source, so any number of them may exist. Positioned buffers are heard from
// the listener of the device they belong to.

#include "platform/audio/AudioDevice.h"
#include "platform/audio/DeviceListener.h"
#include "platform/audio/DSound.h"
#include "platform/audio/SampleData.h"
#include "platform/system/RefCounted.h"

#include <memory>

struct SoundPlacement {
	D3DVECTOR position = {0.0f, 0.0f, 0.0f};
	DWORD mode = DS3DMODE_NORMAL;
	float minDistance = DS3D_DEFAULTMINDISTANCE;
	float maxDistance = DS3D_DEFAULTMAXDISTANCE;
};

class SoundBuffer final : public RefCounted<IDirectSoundBuffer8>, private AudioVoice {
public:
	// Checks the description; the buffer belongs to the OpenAL device now
	// open and to the DirectSound device whose listener is given.
	static HRESULT Create(const DSBUFFERDESC& description, std::shared_ptr<DeviceListener> listener, SoundBuffer** buffer);
	// A new buffer over the same samples, with this one's frequency and
	// volume, stopped at the start and placed at the default position, heard
	// from the listener given.
	SoundBuffer* Duplicate(std::shared_ptr<DeviceListener> listener) const;

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

	// The 3D settings, reached through the buffer's IDirectSound3DBuffer8.
	const SoundPlacement& Placement() const { return placement; }
	// What the next commit will apply: deferred changes build on each other.
	const SoundPlacement& PendingPlacement() const { return hasDeferred ? deferredPlacement : placement; }
	HRESULT SetPlacement(const SoundPlacement& next, DWORD apply);
	bool IsAlive() const;

private:
	SoundBuffer(std::shared_ptr<SampleData> samples, DWORD flags, std::shared_ptr<DeviceListener> listener);
	~SoundBuffer() override;

	void SourceFinished() override;
	bool IsLooping() const override { return looping; }
	void DeviceLost() override;
	void CommitDeferred() override;
	void ListenerMoved() override;

	void Poll();
	bool StartSource();
	void ApplyPlacement() const;
	float Pitch() const;
	float Gain() const;
	DWORD PlayFrame() const;
	// Positioned stereo samples play as a mono mix.
	bool WantsMonoMix() const;
	bool IsPositioned() const;

	std::shared_ptr<SampleData> samples;
	DWORD flags;
	std::shared_ptr<DeviceListener> listener;
	uint32_t generation;
	ALuint source = 0;
	bool sourceMono = false;
	bool playing = false;
	bool looping = false;
	DWORD stoppedFrame = 0;
	DWORD frequency;
	LONG volume = DSBVOLUME_MAX;
	SoundPlacement placement;
	SoundPlacement deferredPlacement;
	bool hasDeferred = false;
};
