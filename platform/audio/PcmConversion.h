#pragma once
// Turns wave sample bytes into what OpenAL plays: 8-bit unsigned or 16-bit
// signed, mono or stereo. Pure functions, so the sound layer's formats can be
// checked without a device.

#include "platform/audio/MMSystem.h"

#include <cstddef>
#include <cstdint>
#include <vector>

enum class SampleEncoding {
	Unsigned8,
	Signed16,
	Signed24,
	Signed32,
	Float32,
	Float64,
	Unsupported,
};

// Reads the extensible header's sub-format too (cbSize must cover it).
SampleEncoding EncodingOf(const WAVEFORMATEX& format);

// One or two channels, a known encoding, a block align that matches them and
// a rate DirectSound accepts.
bool IsPlayableFormat(const WAVEFORMATEX& format);

struct PlayableSamples {
	std::vector<uint8_t> bytes;
	int channels = 0;
	int bitsPerSample = 0;  // 8 or 16
	size_t frames = 0;
};

// Converts the whole frames in data; with toMono the channels are averaged.
// False for a format that is not playable.
bool ConvertToPlayable(const WAVEFORMATEX& format, const uint8_t* data, size_t size, bool toMono, PlayableSamples& out);
