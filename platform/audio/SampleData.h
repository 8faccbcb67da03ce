#pragma once
// The memory of a sound buffer, shared by the buffer and its duplicates, and
// the OpenAL buffers made from it: one with its own channels and, for
// positioned playback of stereo samples, one mixed down to mono.

#include "platform/audio/MMSystem.h"

#include <AL/al.h>

#include <cstdint>
#include <vector>

class SampleData {
public:
	// format must be playable (IsPlayableFormat); its extra bytes are kept.
	SampleData(const WAVEFORMATEX& format, DWORD bufferBytes);
	~SampleData();

	SampleData(const SampleData&) = delete;
	SampleData& operator=(const SampleData&) = delete;

	const WAVEFORMATEX& Format() const { return *reinterpret_cast<const WAVEFORMATEX*>(formatBytes.data()); }
	DWORD FormatSize() const { return static_cast<DWORD>(formatBytes.size()); }
	uint8_t* Bytes() { return bytes.data(); }
	DWORD Size() const { return static_cast<DWORD>(bytes.size()); }
	DWORD Frames() const { return Size() / Format().nBlockAlign; }
	int Channels() const { return Format().nChannels; }

	// The memory changed: make the OpenAL buffers again when next asked.
	void MarkChanged();
	// The OpenAL buffer holding the current bytes; 0 when none can be made.
	ALuint Buffer(bool mono);

private:
	struct Upload {
		ALuint name = 0;
		uint32_t generation = 0;
		bool current = false;
	};

	bool Fill(ALuint name, bool mono) const;
	void DeleteRetired();

	std::vector<uint8_t> formatBytes;
	std::vector<uint8_t> bytes;
	Upload uploads[2];
	// Buffers replaced while a source still played them, deleted once free.
	std::vector<ALuint> retired;
	uint32_t retiredGeneration = 0;
};
