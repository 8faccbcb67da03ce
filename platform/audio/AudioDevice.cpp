#include "platform/audio/AudioDevice.h"
#include "platform/audio/LoopbackAudio.h"

#include <AL/alext.h>

#include <algorithm>
#include <cstdlib>

namespace {

// OpenAL Soft offers 256 sources unless configured otherwise.
constexpr size_t MAX_POOLED_SOURCES = 255;

} // namespace

// Never destroyed, so sound objects that outlive main still find it; the
// device itself closes at exit, before OpenAL shuts down.
AudioDevice& AudioDevice::Get() {
	static AudioDevice* instance = [] {
		AudioDevice* created = new AudioDevice;
		std::atexit([] { Get().Close(false); });
		return created;
	}();
	return *instance;
}

bool AudioDevice::EnsureOpen() {
	if (context != nullptr) {
		return true;
	}
	if (!reopenAllowed || openFailed) {
		return false;
	}
	// Plain panning, as DirectSound without virtualisation pans.
	const ALCint attributes[] = {ALC_HRTF_SOFT, ALC_FALSE, 0};
	ALCdevice* opened = alcOpenDevice(nullptr);
	if (opened == nullptr || !MakeCurrent(opened, attributes)) {
		// A machine without sound stays without it: do not retry every load.
		openFailed = true;
		return false;
	}
	loopback = false;
	return true;
}

bool AudioDevice::MakeCurrent(ALCdevice* openedDevice, const ALCint* attributes) {
	ALCcontext* created = alcCreateContext(openedDevice, attributes);
	if (created == nullptr || alcMakeContextCurrent(created) == ALC_FALSE) {
		if (created != nullptr) {
			alcDestroyContext(created);
		}
		alcCloseDevice(openedDevice);
		return false;
	}
	device = openedDevice;
	context = created;
	++generation;
	alDistanceModel(AL_INVERSE_DISTANCE_CLAMPED);
	CentreListener();
	listenerGain = 1.0f;
	ApplyListenerGain();
	return true;
}

void AudioDevice::SetListenerGain(float gain) {
	listenerGain = gain;
	ApplyListenerGain();
}

void AudioDevice::SetMuted(bool mute) {
	muted = mute;
	ApplyListenerGain();
}

void AudioDevice::ApplyListenerGain() const {
	if (context != nullptr) {
		alListenerf(AL_GAIN, muted ? 0.0f : listenerGain);
	}
}

bool AudioDevice::OpenLoopback(int sampleRate) {
	Close(false);
	if (sampleRate <= 0 || alcIsExtensionPresent(nullptr, "ALC_SOFT_loopback") == ALC_FALSE) {
		return false;
	}
	auto openLoopback = reinterpret_cast<LPALCLOOPBACKOPENDEVICESOFT>(alcGetProcAddress(nullptr, "alcLoopbackOpenDeviceSOFT"));
	if (openLoopback == nullptr) {
		return false;
	}
	ALCdevice* opened = openLoopback(nullptr);
	if (opened == nullptr) {
		return false;
	}
	const ALCint attributes[] = {
		ALC_FORMAT_CHANNELS_SOFT, ALC_STEREO_SOFT,
		ALC_FORMAT_TYPE_SOFT, ALC_FLOAT_SOFT,
		ALC_FREQUENCY, sampleRate,
		ALC_HRTF_SOFT, ALC_FALSE,
		0,
	};
	if (!MakeCurrent(opened, attributes)) {
		return false;
	}
	loopback = true;
	return true;
}

void AudioDevice::RenderLoopback(float* out, int frames) {
	if (out == nullptr || frames <= 0) {
		return;
	}
	if (!loopback || device == nullptr) {
		std::fill(out, out + static_cast<size_t>(frames) * 2, 0.0f);
		return;
	}
	static auto render = reinterpret_cast<LPALCRENDERSAMPLESSOFT>(alcGetProcAddress(device, "alcRenderSamplesSOFT"));
	if (render == nullptr) {
		std::fill(out, out + static_cast<size_t>(frames) * 2, 0.0f);
		return;
	}
	render(device, out, frames);
}

void AudioDevice::Close(bool reopenOnFirstUse) {
	reopenAllowed = reopenOnFirstUse;
	openFailed = false;
	if (context == nullptr) {
		return;
	}
	// Copy: a voice forgetting its source may touch the lists.
	const std::vector<AudioVoice*> live = voices;
	for (AudioVoice* voice : live) {
		voice->DeviceLost();
	}
	for (const PooledSource& pooled : sources) {
		alSourceStop(pooled.source);
		alSourcei(pooled.source, AL_BUFFER, 0);
		alDeleteSources(1, &pooled.source);
	}
	sources.clear();
	alcMakeContextCurrent(nullptr);
	alcDestroyContext(context);
	alcCloseDevice(device);
	context = nullptr;
	device = nullptr;
	loopback = false;
	++generation;
}

int AudioDevice::SourcesHeld() const {
	int held = 0;
	for (const PooledSource& pooled : sources) {
		held += pooled.owner != nullptr ? 1 : 0;
	}
	return held;
}

ALuint AudioDevice::AcquireSource(AudioVoice* owner) {
	if (context == nullptr) {
		return 0;
	}
	for (PooledSource& pooled : sources) {
		if (pooled.owner == nullptr) {
			return Hand(pooled, owner);
		}
	}
	if (sources.size() < MAX_POOLED_SOURCES) {
		alGetError();
		ALuint source = 0;
		alGenSources(1, &source);
		if (alGetError() == AL_NO_ERROR && source != 0) {
			sources.push_back({source, nullptr, 0});
			return Hand(sources.back(), owner);
		}
	}
	ReclaimSource();
	for (PooledSource& pooled : sources) {
		if (pooled.owner == nullptr) {
			return Hand(pooled, owner);
		}
	}
	return 0;
}

ALuint AudioDevice::Hand(PooledSource& pooled, AudioVoice* owner) {
	pooled.owner = owner;
	pooled.handedOut = ++handOuts;
	return pooled.source;
}

// Frees one source: an ended sound's first, else the oldest one-shot's.
bool AudioDevice::ReclaimSource() {
	PooledSource* oldest = nullptr;
	for (PooledSource& pooled : sources) {
		if (pooled.owner == nullptr) {
			return true;
		}
		ALint state = AL_PLAYING;
		alGetSourcei(pooled.source, AL_SOURCE_STATE, &state);
		if (state == AL_STOPPED) {
			pooled.owner->SourceFinished();
			return true;
		}
		if (!pooled.owner->IsLooping() && (oldest == nullptr || pooled.handedOut < oldest->handedOut)) {
			oldest = &pooled;
		}
	}
	if (oldest == nullptr) {
		return false;
	}
	oldest->owner->SourceFinished();
	return true;
}

void AudioDevice::ReleaseSource(ALuint source) {
	if (source == 0 || context == nullptr) {
		return;
	}
	for (PooledSource& pooled : sources) {
		if (pooled.source == source) {
			alSourceStop(source);
			alSourcei(source, AL_BUFFER, 0);
			pooled.owner = nullptr;
			return;
		}
	}
}

void AudioDevice::Register(AudioVoice* voice) { voices.push_back(voice); }

void AudioDevice::Unregister(AudioVoice* voice) { voices.erase(std::remove(voices.begin(), voices.end(), voice), voices.end()); }

// Sources are placed relative to this listener, in their own device's frame.
void AudioDevice::CentreListener() {
	const ALfloat origin[3] = {0.0f, 0.0f, 0.0f};
	const ALfloat orientation[6] = {0.0f, 0.0f, -1.0f, 0.0f, 1.0f, 0.0f};
	alListenerfv(AL_POSITION, origin);
	alListenerfv(AL_ORIENTATION, orientation);
}

bool OpenLoopbackAudioForTests(int sampleRate) { return AudioDevice::Get().OpenLoopback(sampleRate); }

void RenderLoopbackSamples(float* out, int frames) { AudioDevice::Get().RenderLoopback(out, frames); }

void CloseAudioForTests(bool reopenOnFirstUse) { AudioDevice::Get().Close(reopenOnFirstUse); }
