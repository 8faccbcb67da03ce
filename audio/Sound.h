#pragma once
// Background music: loading a file starts it playing in a loop. Each object
// has its own DirectSound device and 3D listener, and its buffers are heard
// from that listener alone: the title's music turning its listener with the
// view leaves every other object's sounds where they were.

#include "platform/audio/DSound.h"

class Sound {
public:
	Sound();
	// Releases what Release has not (harmless after it).
	virtual ~Sound();

	Sound(const Sound&) = delete;
	Sound& operator=(const Sound&) = delete;

	// Creates the device and the buffer, loads the file and starts looped
	// playback. A missing or unplayable file, or no sound device, leaves the
	// object silent; false then.
	virtual bool Load(const char* fileName);
	// Once a frame in the title: F stops, G rewinds, H and J raise and lower
	// the frequency by 1 %, and the listener follows the view.
	virtual void Update();
	// Pauses the music; the position is kept.
	void Stop();
	virtual void Release();

	// For inspection; null until loaded.
	IDirectSoundBuffer8* Buffer() const { return buffer; }
	DWORD Frequency() const { return frequency; }

protected:
	// Device, primary buffer and listener. False without a sound device.
	bool SetUpDevice();
	// A buffer holding the whole file, and its 3D face; false (and both null)
	// when the file cannot be read or played.
	bool LoadSample(const char* fileName, IDirectSoundBuffer8*& destination, IDirectSound3DBuffer8*& destination3D);
	bool QueryListener();
	void ReleaseDevice();

	IDirectSound8* device;
	DWORD frequency;
	IDirectSound3DListener8* listener;
	IDirectSoundBuffer* primaryBuffer;
	IDirectSoundBuffer8* buffer;
	IDirectSound3DBuffer8* buffer3D;

private:
	void ReleaseSound();
	void FollowView();
};
