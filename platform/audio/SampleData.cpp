#include "platform/audio/SampleData.h"

#include "platform/audio/AudioDevice.h"
#include "platform/audio/PcmConversion.h"

#include <cstring>

namespace {

ALenum OpenALFormat(int channels, int bitsPerSample) {
	if (channels == 1) {
		return bitsPerSample == 8 ? AL_FORMAT_MONO8 : AL_FORMAT_MONO16;
	}
	return bitsPerSample == 8 ? AL_FORMAT_STEREO8 : AL_FORMAT_STEREO16;
}

} // namespace

SampleData::SampleData(const WAVEFORMATEX& format, DWORD bufferBytes) {
	const size_t formatSize = sizeof(WAVEFORMATEX) + (format.wFormatTag == WAVE_FORMAT_PCM ? 0 : format.cbSize);
	formatBytes.resize(formatSize);
	std::memcpy(formatBytes.data(), &format, formatSize);
	if (format.wFormatTag == WAVE_FORMAT_PCM) {
		reinterpret_cast<WAVEFORMATEX*>(formatBytes.data())->cbSize = 0;
	}
	// Silence until written: 8-bit samples are unsigned.
	bytes.assign(bufferBytes, format.wBitsPerSample == 8 ? 0x80 : 0x00);
}

SampleData::~SampleData() {
	const uint32_t generation = AudioDevice::Get().Generation();
	for (Upload& upload : uploads) {
		if (upload.name != 0 && upload.generation == generation) {
			alDeleteBuffers(1, &upload.name);
		}
	}
	DeleteRetired();
}

void SampleData::MarkChanged() {
	for (Upload& upload : uploads) {
		upload.current = false;
	}
}

ALuint SampleData::Buffer(bool mono) {
	AudioDevice& device = AudioDevice::Get();
	if (!device.IsOpen()) {
		return 0;
	}
	DeleteRetired();
	Upload& upload = uploads[mono && Channels() > 1 ? 1 : 0];
	if (upload.generation != device.Generation()) {
		upload = Upload{};
		upload.generation = device.Generation();
	}
	if (upload.name != 0 && upload.current) {
		return upload.name;
	}
	if (upload.name != 0 && !Fill(upload.name, mono)) {
		// Still attached to a playing source: keep it for that source.
		retired.push_back(upload.name);
		retiredGeneration = upload.generation;
		upload.name = 0;
	}
	if (upload.name == 0) {
		alGetError();
		alGenBuffers(1, &upload.name);
		if (alGetError() != AL_NO_ERROR) {
			upload.name = 0;
			return 0;
		}
		if (!Fill(upload.name, mono)) {
			alDeleteBuffers(1, &upload.name);
			upload.name = 0;
			return 0;
		}
	}
	upload.current = true;
	return upload.name;
}

bool SampleData::Fill(ALuint name, bool mono) const {
	PlayableSamples playable;
	if (!ConvertToPlayable(Format(), bytes.data(), bytes.size(), mono, playable) || playable.frames == 0) {
		return false;
	}
	alGetError();
	alBufferData(name, OpenALFormat(playable.channels, playable.bitsPerSample), playable.bytes.data(),
		static_cast<ALsizei>(playable.bytes.size()), static_cast<ALsizei>(Format().nSamplesPerSec));
	return alGetError() == AL_NO_ERROR;
}

void SampleData::DeleteRetired() {
	if (retired.empty()) {
		return;
	}
	if (retiredGeneration != AudioDevice::Get().Generation()) {
		retired.clear();
		return;
	}
	std::vector<ALuint> stillUsed;
	for (ALuint name : retired) {
		alGetError();
		alDeleteBuffers(1, &name);
		if (alGetError() != AL_NO_ERROR) {
			stillUsed.push_back(name);
		}
	}
	retired.swap(stillUsed);
}
