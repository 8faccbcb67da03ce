#pragma once
// The one OpenAL device and context the whole process plays through and its
// pool of sources. OpenAL's listener stays at the origin facing ahead: each
// DirectSound device keeps a listener of its own (DeviceListener).
// Internal to the sound layer.

#include "platform/math/D3DXMath.h"

#include <AL/al.h>
#include <AL/alc.h>

#include <cstdint>
#include <vector>

// A logical voice: something that may hold a pooled source while it plays.
class AudioVoice {
public:
	// The source it holds stopped on its own, or is taken for a newer sound:
	// give it back and stand stopped at the start.
	virtual void SourceFinished() = 0;
	// Looping voices keep their source however full the pool is.
	virtual bool IsLooping() const = 0;
	// The device is closing: forget every OpenAL name without calling OpenAL.
	virtual void DeviceLost() = 0;
	// The owning device's listener committed its deferred settings.
	virtual void CommitDeferred() = 0;
	// The owning device's listener moved, turned or took a new rolloff.
	virtual void ListenerMoved() = 0;

protected:
	~AudioVoice() = default;
};

class AudioDevice {
public:
	static AudioDevice& Get();

	// Opens the default device on first use; false when there is none.
	bool EnsureOpen();
	bool IsOpen() const { return context != nullptr; }
	// Changes whenever a device opens or closes: names from another
	// generation belong to a device that is gone.
	uint32_t Generation() const { return generation; }

	bool OpenLoopback(int sampleRate);
	void RenderLoopback(float* out, int frames);
	void Close(bool reopenOnFirstUse);

	// The listener's gain, as the primary buffer's volume sets it; a new
	// device starts at 1. Muted, the listener hears nothing whatever it is
	// set to, on this device and any opened later.
	void SetListenerGain(float gain);
	void SetMuted(bool muted);
	bool Muted() const { return muted; }

	// A free source for owner. When the pool is full, one whose sound has
	// ended is reclaimed, else the oldest one-shot is cut short; 0 when every
	// source loops.
	ALuint AcquireSource(AudioVoice* owner);
	void ReleaseSource(ALuint source);

	void Register(AudioVoice* voice);
	void Unregister(AudioVoice* voice);

	// For leak checks over long runs: the pool's sources, those a voice
	// holds now, and the voices (sound buffers) alive.
	int SourceCount() const { return static_cast<int>(sources.size()); }
	int SourcesHeld() const;
	int VoiceCount() const { return static_cast<int>(voices.size()); }

private:
	AudioDevice() = default;
	~AudioDevice() = delete;

	bool MakeCurrent(ALCdevice* openedDevice, const ALCint* attributes);
	static void CentreListener();
	void ApplyListenerGain() const;
	struct PooledSource {
		ALuint source;
		AudioVoice* owner;
		uint64_t handedOut;
	};

	bool ReclaimSource();
	ALuint Hand(PooledSource& pooled, AudioVoice* owner);

	ALCdevice* device = nullptr;
	ALCcontext* context = nullptr;
	bool loopback = false;
	bool reopenAllowed = true;
	bool openFailed = false;
	uint32_t generation = 0;
	float listenerGain = 1.0f;
	bool muted = false;
	std::vector<PooledSource> sources;
	uint64_t handOuts = 0;
	std::vector<AudioVoice*> voices;
};

// Game coordinates are left-handed, OpenAL's right-handed.
inline void ToOpenAL(const D3DVECTOR& v, ALfloat out[3]) {
	out[0] = v.x;
	out[1] = v.y;
	out[2] = -v.z;
}
