#include "tools/assetgen/WavWriter.h"

#include <algorithm>
#include <cmath>

namespace {

void PutTag(std::vector<uint8_t>& bytes, const char* tag) {
	for (int i = 0; i < 4; ++i) {
		bytes.push_back(static_cast<uint8_t>(tag[i]));
	}
}

void PutU16(std::vector<uint8_t>& bytes, uint16_t value) {
	bytes.push_back(static_cast<uint8_t>(value));
	bytes.push_back(static_cast<uint8_t>(value >> 8));
}

void PutU32(std::vector<uint8_t>& bytes, uint32_t value) {
	PutU16(bytes, static_cast<uint16_t>(value));
	PutU16(bytes, static_cast<uint16_t>(value >> 16));
}

}  // namespace

std::vector<uint8_t> WavWriter::Encode(const Samples& samples, uint16_t channels) {
	constexpr uint16_t BITS = 16;
	const auto blockAlign = static_cast<uint16_t>(channels * BITS / 8);
	const auto dataBytes = static_cast<uint32_t>(samples.size() * (BITS / 8));

	std::vector<uint8_t> bytes;
	bytes.reserve(44 + dataBytes);
	PutTag(bytes, "RIFF");
	PutU32(bytes, 36 + dataBytes);
	PutTag(bytes, "WAVE");
	PutTag(bytes, "fmt ");
	PutU32(bytes, 16);
	PutU16(bytes, 1);  // PCM
	PutU16(bytes, channels);
	PutU32(bytes, SAMPLE_RATE);
	PutU32(bytes, SAMPLE_RATE * blockAlign);
	PutU16(bytes, blockAlign);
	PutU16(bytes, BITS);
	PutTag(bytes, "data");
	PutU32(bytes, dataBytes);
	for (float sample : samples) {
		const long value = std::lround(std::clamp(sample, -1.0f, 1.0f) * 32767.0f);
		PutU16(bytes, static_cast<uint16_t>(static_cast<int16_t>(value)));
	}
	return bytes;
}
