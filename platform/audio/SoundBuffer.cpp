#include "platform/audio/SoundBuffer.h"

#include "platform/audio/PcmConversion.h"
#include "platform/audio/Sound3DBuffer.h"

#include <algorithm>
#include <cmath>
#include <cstring>
#include <new>

HRESULT SoundBuffer::Create(const DSBUFFERDESC& description, std::shared_ptr<DeviceListener> listener, SoundBuffer** buffer) {
	*buffer = nullptr;
	if (description.lpwfxFormat == nullptr || description.dwBufferBytes < DSBSIZE_MIN || description.dwBufferBytes > DSBSIZE_MAX) {
		return DSERR_INVALIDPARAM;
	}
	if (!IsPlayableFormat(*description.lpwfxFormat)) {
		return DSERR_BADFORMAT;
	}
	if (!AudioDevice::Get().IsOpen()) {
		return DSERR_NODRIVER;
	}
	std::shared_ptr<SampleData> samples;
	try {
		samples = std::make_shared<SampleData>(*description.lpwfxFormat, description.dwBufferBytes);
	} catch (const std::bad_alloc&) {
		return DSERR_OUTOFMEMORY;
	}
	*buffer = new (std::nothrow) SoundBuffer(std::move(samples), description.dwFlags, std::move(listener));
	return *buffer != nullptr ? DS_OK : DSERR_OUTOFMEMORY;
}

SoundBuffer::SoundBuffer(std::shared_ptr<SampleData> samples_, DWORD flags_, std::shared_ptr<DeviceListener> listener_)
	: samples(std::move(samples_)), flags(flags_), listener(std::move(listener_)), generation(AudioDevice::Get().Generation()),
	  frequency(samples->Format().nSamplesPerSec) {
	AudioDevice::Get().Register(this);
	listener->Attach(this);
}

SoundBuffer::~SoundBuffer() {
	if (IsAlive()) {
		AudioDevice::Get().ReleaseSource(source);
	}
	AudioDevice::Get().Unregister(this);
	listener->Detach(this);
}

SoundBuffer* SoundBuffer::Duplicate(std::shared_ptr<DeviceListener> owner) const {
	SoundBuffer* duplicate = new (std::nothrow) SoundBuffer(samples, flags, std::move(owner));
	if (duplicate != nullptr) {
		duplicate->generation = generation;
		duplicate->frequency = frequency;
		duplicate->volume = volume;
	}
	return duplicate;
}

bool SoundBuffer::IsAlive() const {
	const AudioDevice& device = AudioDevice::Get();
	return device.IsOpen() && device.Generation() == generation;
}

HRESULT SoundBuffer::QueryInterface(REFIID iid, void** object) {
	if (object == nullptr) {
		return E_POINTER;
	}
	*object = nullptr;
	if (IsEqualGUID(iid, IID_IDirectSoundBuffer) || IsEqualGUID(iid, IID_IDirectSoundBuffer8)) {
		AddRef();
		*object = static_cast<IDirectSoundBuffer8*>(this);
		return S_OK;
	}
	if (IsEqualGUID(iid, IID_IDirectSound3DBuffer) && (flags & DSBCAPS_CTRL3D)) {
		Sound3DBuffer* buffer3D = new (std::nothrow) Sound3DBuffer(this);
		if (buffer3D == nullptr) {
			return E_OUTOFMEMORY;
		}
		*object = static_cast<IDirectSound3DBuffer8*>(buffer3D);
		return S_OK;
	}
	return E_NOINTERFACE;
}

// Playback state.

void SoundBuffer::Poll() {
	if (source == 0 || !playing || !IsAlive()) {
		return;
	}
	ALint state = AL_PLAYING;
	alGetSourcei(source, AL_SOURCE_STATE, &state);
	if (state == AL_STOPPED) {
		SourceFinished();
	}
}

void SoundBuffer::SourceFinished() {
	// A sound that ran to its end plays from the start next time.
	AudioDevice::Get().ReleaseSource(source);
	source = 0;
	playing = false;
	stoppedFrame = 0;
}

void SoundBuffer::DeviceLost() {
	source = 0;
	playing = false;
}

DWORD SoundBuffer::PlayFrame() const {
	if (source == 0) {
		return stoppedFrame;
	}
	ALint offset = 0;
	alGetSourcei(source, AL_SAMPLE_OFFSET, &offset);
	return offset > 0 ? static_cast<DWORD>(offset) : 0;
}

HRESULT SoundBuffer::Play(DWORD, DWORD, DWORD playFlags) {
	if (!IsAlive()) {
		return DSERR_NODRIVER;
	}
	Poll();
	looping = (playFlags & DSBPLAY_LOOPING) != 0;
	if (playing) {
		// DirectSound goes on from where it is, taking only the new looping flag.
		alSourcei(source, AL_LOOPING, looping ? AL_TRUE : AL_FALSE);
		return DS_OK;
	}
	if (!StartSource()) {
		return DSERR_GENERIC;
	}
	playing = true;
	return DS_OK;
}

bool SoundBuffer::StartSource() {
	AudioDevice& device = AudioDevice::Get();
	const bool mono = WantsMonoMix();
	const ALuint buffer = samples->Buffer(mono);
	if (buffer == 0) {
		return false;
	}
	source = device.AcquireSource(this);
	if (source == 0) {
		return false;
	}
	sourceMono = mono;
	alSourcei(source, AL_BUFFER, static_cast<ALint>(buffer));
	alSourcei(source, AL_LOOPING, looping ? AL_TRUE : AL_FALSE);
	alSourcef(source, AL_PITCH, Pitch());
	alSourcef(source, AL_GAIN, Gain());
	ApplyPlacement();
	alSourcei(source, AL_SAMPLE_OFFSET, static_cast<ALint>(stoppedFrame < samples->Frames() ? stoppedFrame : 0));
	alSourcePlay(source);
	return true;
}

HRESULT SoundBuffer::Stop() {
	if (!IsAlive()) {
		return DS_OK;
	}
	Poll();
	if (playing) {
		stoppedFrame = PlayFrame();
		AudioDevice::Get().ReleaseSource(source);
		source = 0;
		playing = false;
	}
	return DS_OK;
}

HRESULT SoundBuffer::SetCurrentPosition(DWORD position) {
	if (position > samples->Size()) {
		return DSERR_INVALIDPARAM;
	}
	const DWORD frame = position / samples->Format().nBlockAlign;
	Poll();
	if (source != 0 && IsAlive()) {
		alSourcei(source, AL_SAMPLE_OFFSET, static_cast<ALint>(frame < samples->Frames() ? frame : 0));
	} else {
		stoppedFrame = frame;
	}
	return DS_OK;
}

HRESULT SoundBuffer::GetCurrentPosition(DWORD* playCursor, DWORD* writeCursor) {
	Poll();
	const DWORD position = (IsAlive() ? PlayFrame() : stoppedFrame) * samples->Format().nBlockAlign;
	if (playCursor != nullptr) {
		*playCursor = position;
	}
	// A static buffer is written before it plays: the write cursor need not lead.
	if (writeCursor != nullptr) {
		*writeCursor = position;
	}
	return DS_OK;
}

HRESULT SoundBuffer::GetStatus(DWORD* status) {
	if (status == nullptr) {
		return DSERR_INVALIDPARAM;
	}
	Poll();
	*status = playing ? (DSBSTATUS_PLAYING | (looping ? DSBSTATUS_LOOPING : 0)) : 0;
	return DS_OK;
}

// Controls.

float SoundBuffer::Pitch() const { return static_cast<float>(frequency) / static_cast<float>(samples->Format().nSamplesPerSec); }

float SoundBuffer::Gain() const {
	if (volume <= DSBVOLUME_MIN) {
		return 0.0f;
	}
	return std::pow(10.0f, static_cast<float>(volume) / 2000.0f);
}

HRESULT SoundBuffer::SetFrequency(DWORD requested) {
	if (!(flags & DSBCAPS_CTRLFREQUENCY)) {
		return DSERR_CONTROLUNAVAIL;
	}
	const DWORD next = requested == DSBFREQUENCY_ORIGINAL ? samples->Format().nSamplesPerSec : requested;
	if (next < DSBFREQUENCY_MIN || next > DSBFREQUENCY_MAX) {
		return DSERR_INVALIDPARAM;
	}
	frequency = next;
	if (source != 0 && IsAlive()) {
		alSourcef(source, AL_PITCH, Pitch());
	}
	return DS_OK;
}

HRESULT SoundBuffer::GetFrequency(DWORD* result) {
	if (result == nullptr) {
		return DSERR_INVALIDPARAM;
	}
	if (!(flags & DSBCAPS_CTRLFREQUENCY)) {
		return DSERR_CONTROLUNAVAIL;
	}
	*result = frequency;
	return DS_OK;
}

HRESULT SoundBuffer::SetVolume(LONG requested) {
	if (!(flags & DSBCAPS_CTRLVOLUME)) {
		return DSERR_CONTROLUNAVAIL;
	}
	if (requested < DSBVOLUME_MIN || requested > DSBVOLUME_MAX) {
		return DSERR_INVALIDPARAM;
	}
	volume = requested;
	if (source != 0 && IsAlive()) {
		alSourcef(source, AL_GAIN, Gain());
	}
	return DS_OK;
}

HRESULT SoundBuffer::GetVolume(LONG* result) {
	if (result == nullptr) {
		return DSERR_INVALIDPARAM;
	}
	if (!(flags & DSBCAPS_CTRLVOLUME)) {
		return DSERR_CONTROLUNAVAIL;
	}
	*result = volume;
	return DS_OK;
}

HRESULT SoundBuffer::GetFormat(WAVEFORMATEX* format, DWORD sizeAllocated, DWORD* sizeWritten) {
	const DWORD size = samples->FormatSize();
	if (format == nullptr) {
		if (sizeWritten == nullptr) {
			return DSERR_INVALIDPARAM;
		}
		*sizeWritten = size;
		return DS_OK;
	}
	if (sizeAllocated < size) {
		return DSERR_INVALIDPARAM;
	}
	std::memcpy(format, &samples->Format(), size);
	if (sizeWritten != nullptr) {
		*sizeWritten = size;
	}
	return DS_OK;
}

HRESULT SoundBuffer::SetFormat(LPCWAVEFORMATEX) { return DSERR_INVALIDCALL; }

HRESULT SoundBuffer::Restore() { return DS_OK; }

// Memory.

HRESULT SoundBuffer::Lock(DWORD offset, DWORD bytes, void** part1, DWORD* bytes1, void** part2, DWORD* bytes2, DWORD lockFlags) {
	if (part1 == nullptr || bytes1 == nullptr) {
		return DSERR_INVALIDPARAM;
	}
	*part1 = nullptr;
	*bytes1 = 0;
	if (part2 != nullptr) {
		*part2 = nullptr;
	}
	if (bytes2 != nullptr) {
		*bytes2 = 0;
	}
	const DWORD size = samples->Size();
	if (lockFlags & DSBLOCK_ENTIREBUFFER) {
		bytes = size;
	}
	if (lockFlags & DSBLOCK_FROMWRITECURSOR) {
		GetCurrentPosition(nullptr, &offset);
	}
	if (offset >= size || bytes == 0 || bytes > size) {
		return DSERR_INVALIDPARAM;
	}
	const DWORD first = std::min(bytes, size - offset);
	const DWORD wrapped = bytes - first;
	if (wrapped > 0 && (part2 == nullptr || bytes2 == nullptr)) {
		return DSERR_INVALIDPARAM;
	}
	*part1 = samples->Bytes() + offset;
	*bytes1 = first;
	if (wrapped > 0) {
		*part2 = samples->Bytes();
		*bytes2 = wrapped;
	}
	return DS_OK;
}

HRESULT SoundBuffer::Unlock(void* part1, DWORD bytes1, void* part2, DWORD bytes2) {
	uint8_t* const begin = samples->Bytes();
	uint8_t* const end = begin + samples->Size();
	const auto inside = [&](void* part, DWORD count) {
		uint8_t* p = static_cast<uint8_t*>(part);
		return part == nullptr || (p >= begin && p <= end && count <= static_cast<DWORD>(end - p));
	};
	if (!inside(part1, bytes1) || !inside(part2, bytes2)) {
		return DSERR_INVALIDPARAM;
	}
	samples->MarkChanged();
	return DS_OK;
}

// Placement.

bool SoundBuffer::IsPositioned() const { return (flags & DSBCAPS_CTRL3D) && placement.mode != DS3DMODE_DISABLE; }

bool SoundBuffer::WantsMonoMix() const { return IsPositioned() && samples->Channels() > 1; }

void SoundBuffer::ApplyPlacement() const {
	if (!IsPositioned()) {
		const ALfloat origin[3] = {0.0f, 0.0f, 0.0f};
		alSourcei(source, AL_SOURCE_RELATIVE, AL_TRUE);
		alSourcefv(source, AL_POSITION, origin);
		alSourcef(source, AL_ROLLOFF_FACTOR, 0.0f);
		return;
	}
	// OpenAL's own listener never moves: every positioned source is given
	// relative to it, as its device's listener hears it.
	ALfloat position[3];
	if (placement.mode == DS3DMODE_HEADRELATIVE) {
		ToOpenAL(placement.position, position);
	} else {
		listener->ToListenerFrame(placement.position, position);
	}
	alSourcei(source, AL_SOURCE_RELATIVE, AL_TRUE);
	alSourcefv(source, AL_POSITION, position);
	alSourcef(source, AL_REFERENCE_DISTANCE, placement.minDistance);
	alSourcef(source, AL_MAX_DISTANCE, placement.maxDistance);
	alSourcef(source, AL_ROLLOFF_FACTOR, listener->State().rolloff);
}

HRESULT SoundBuffer::SetPlacement(const SoundPlacement& next, DWORD apply) {
	if (next.mode > DS3DMODE_DISABLE || !(next.minDistance > 0.0f) || !(next.maxDistance > 0.0f) ||
		!std::isfinite(next.position.x) || !std::isfinite(next.position.y) || !std::isfinite(next.position.z)) {
		return DSERR_INVALIDPARAM;
	}
	if (apply == DS3D_DEFERRED) {
		deferredPlacement = next;
		hasDeferred = true;
		return DS_OK;
	}
	placement = next;
	if (source == 0 || !IsAlive()) {
		return DS_OK;
	}
	if (WantsMonoMix() != sourceMono) {
		// Positioned and unpositioned play need different channel layouts:
		// start again on the other buffer from the same frame.
		Poll();
		if (!playing) {
			return DS_OK;
		}
		stoppedFrame = PlayFrame();
		AudioDevice::Get().ReleaseSource(source);
		source = 0;
		playing = StartSource();
		return DS_OK;
	}
	ApplyPlacement();
	return DS_OK;
}

void SoundBuffer::CommitDeferred() {
	if (hasDeferred) {
		hasDeferred = false;
		SetPlacement(deferredPlacement, DS3D_IMMEDIATE);
	}
}

void SoundBuffer::ListenerMoved() {
	if (source != 0 && IsAlive()) {
		ApplyPlacement();
	}
}
