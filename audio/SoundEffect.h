#pragma once
// A one-shot sound that may overlap itself: 30 voices over one sample, played
// in turn. A voice still sounding is not restarted, so at most 30 plays sound
// at once.

#include "audio/Sound.h"

constexpr int SOUND_EFFECT_VOICES = 30;

class SoundEffect : public Sound {
public:
	SoundEffect();
	~SoundEffect() override;

	// Creates the device and the voices; plays nothing.
	bool Load(const char* fileName) override;
	// Starts the next voice once, without looping.
	void Play();
	void Update() override;
	void Release() override;

	// For inspection; null until loaded.
	IDirectSoundBuffer8* Voice(int index) const;
	int NextVoice() const { return nextVoice; }

private:
	void ReleaseVoices();

	int nextVoice;
	IDirectSoundBuffer8* voices[SOUND_EFFECT_VOICES];
	IDirectSound3DBuffer8* voices3D[SOUND_EFFECT_VOICES];
};
