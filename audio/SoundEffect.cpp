#include "audio/SoundEffect.h"

SoundEffect::SoundEffect() : nextVoice(0) {
	for (int i = 0; i < SOUND_EFFECT_VOICES; ++i) {
		voices[i] = nullptr;
		voices3D[i] = nullptr;
	}
}

SoundEffect::~SoundEffect() { ReleaseVoices(); }

bool SoundEffect::Load(const char* fileName) {
	ReleaseVoices();
	ReleaseDevice();
	if (!SetUpDevice()) {
		return false;
	}
	if (LoadSample(fileName, voices[0], voices3D[0])) {
		if (voices3D[0] != nullptr) {
			voices3D[0]->SetMode(DS3DMODE_NORMAL, DS3D_IMMEDIATE);
			voices3D[0]->SetPosition(0.0f, 2.0f, 0.0f, DS3D_IMMEDIATE);
		}
		// The copies share voice 0's samples and get no position of their own.
		for (int i = 1; i < SOUND_EFFECT_VOICES; ++i) {
			IDirectSoundBuffer* duplicate = nullptr;
			if (FAILED(device->DuplicateSoundBuffer(voices[0], &duplicate))) {
				break;
			}
			duplicate->QueryInterface(IID_IDirectSoundBuffer8, reinterpret_cast<void**>(&voices[i]));
			if (voices[i] != nullptr) {
				voices[i]->QueryInterface(IID_IDirectSound3DBuffer8, reinterpret_cast<void**>(&voices3D[i]));
			}
			if (voices3D[i] != nullptr) {
				voices3D[i]->SetMode(DS3DMODE_NORMAL, DS3D_IMMEDIATE);
			}
			duplicate->Release();
		}
	}
	QueryListener();
	nextVoice = 0;
	return voices[0] != nullptr;
}

void SoundEffect::Play() {
	if (voices[nextVoice] != nullptr) {
		// A voice still sounding goes on: DirectSound does not restart it.
		voices[nextVoice]->Play(0, 0, 0);
	}
	nextVoice = nextVoice + 1;
	if (nextVoice > SOUND_EFFECT_VOICES - 1) {
		nextVoice = 0;
	}
}

void SoundEffect::Update() {}

void SoundEffect::Release() {
	ReleaseVoices();
	ReleaseDevice();
}

IDirectSoundBuffer8* SoundEffect::Voice(int index) const {
	return index >= 0 && index < SOUND_EFFECT_VOICES ? voices[index] : nullptr;
}

void SoundEffect::ReleaseVoices() {
	for (int i = 0; i < SOUND_EFFECT_VOICES; ++i) {
		SafeRelease(voices[i]);
		SafeRelease(voices3D[i]);
	}
}
