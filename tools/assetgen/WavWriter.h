#pragma once
// RIFF/WAVE files of 16-bit PCM at the synthesis rate.

#include "tools/assetgen/Synth.h"

#include <cstdint>
#include <vector>

class WavWriter {
public:
	// Samples in -1..1 are rounded to 16 bits; anything beyond is clamped.
	// With two channels the samples are interleaved left, right.
	static std::vector<uint8_t> Encode(const Samples& samples, uint16_t channels = 1);
};
