#include "platform/audio/PcmConversion.h"

#include "platform/audio/DSound.h"

#include <algorithm>
#include <cmath>
#include <cstring>

namespace {

// A sample as a value in [-32768, 32767], or [0, 255] offset for 8 bits.
int32_t ReadSample16(SampleEncoding encoding, const uint8_t* p) {
	switch (encoding) {
	case SampleEncoding::Unsigned8:
		return (static_cast<int32_t>(p[0]) - 128) * 256;
	case SampleEncoding::Signed16:
		return static_cast<int16_t>(static_cast<uint16_t>(p[0] | (p[1] << 8)));
	case SampleEncoding::Signed24:
		return static_cast<int16_t>(static_cast<uint16_t>(p[1] | (p[2] << 8)));
	case SampleEncoding::Signed32:
		return static_cast<int16_t>(static_cast<uint16_t>(p[2] | (p[3] << 8)));
	case SampleEncoding::Float32: {
		float value;
		std::memcpy(&value, p, sizeof(value));
		if (!std::isfinite(value)) {
			return 0;
		}
		return static_cast<int32_t>(std::lround(std::clamp(value, -1.0f, 1.0f) * 32767.0f));
	}
	case SampleEncoding::Float64: {
		double value;
		std::memcpy(&value, p, sizeof(value));
		if (!std::isfinite(value)) {
			return 0;
		}
		return static_cast<int32_t>(std::lround(std::clamp(value, -1.0, 1.0) * 32767.0));
	}
	case SampleEncoding::Unsupported:
		break;
	}
	return 0;
}

int BytesPerSample(SampleEncoding encoding) {
	switch (encoding) {
	case SampleEncoding::Unsigned8: return 1;
	case SampleEncoding::Signed16: return 2;
	case SampleEncoding::Signed24: return 3;
	case SampleEncoding::Signed32: return 4;
	case SampleEncoding::Float32: return 4;
	case SampleEncoding::Float64: return 8;
	case SampleEncoding::Unsupported: break;
	}
	return 0;
}

void Append16(std::vector<uint8_t>& bytes, int32_t value) {
	const uint16_t bits = static_cast<uint16_t>(static_cast<int16_t>(std::clamp(value, -32768, 32767)));
	bytes.push_back(static_cast<uint8_t>(bits & 0xFF));
	bytes.push_back(static_cast<uint8_t>(bits >> 8));
}

} // namespace

SampleEncoding EncodingOf(const WAVEFORMATEX& format) {
	WORD kind = format.wFormatTag;
	if (kind == WAVE_FORMAT_EXTENSIBLE) {
		if (format.cbSize < sizeof(WAVEFORMATEXTENSIBLE) - sizeof(WAVEFORMATEX)) {
			return SampleEncoding::Unsupported;
		}
		const auto& extensible = reinterpret_cast<const WAVEFORMATEXTENSIBLE&>(format);
		kind = static_cast<WORD>(extensible.SubFormat.Data1);
		if (extensible.SubFormat.Data1 > 0xFFFF) {
			return SampleEncoding::Unsupported;
		}
	}
	if (kind == WAVE_FORMAT_PCM) {
		switch (format.wBitsPerSample) {
		case 8: return SampleEncoding::Unsigned8;
		case 16: return SampleEncoding::Signed16;
		case 24: return SampleEncoding::Signed24;
		case 32: return SampleEncoding::Signed32;
		default: return SampleEncoding::Unsupported;
		}
	}
	if (kind == WAVE_FORMAT_IEEE_FLOAT) {
		switch (format.wBitsPerSample) {
		case 32: return SampleEncoding::Float32;
		case 64: return SampleEncoding::Float64;
		default: return SampleEncoding::Unsupported;
		}
	}
	return SampleEncoding::Unsupported;
}

bool IsPlayableFormat(const WAVEFORMATEX& format) {
	const SampleEncoding encoding = EncodingOf(format);
	if (encoding == SampleEncoding::Unsupported) {
		return false;
	}
	if (format.nChannels < 1 || format.nChannels > 2) {
		return false;
	}
	if (format.nBlockAlign != format.nChannels * BytesPerSample(encoding)) {
		return false;
	}
	return format.nSamplesPerSec >= DSBFREQUENCY_MIN && format.nSamplesPerSec <= DSBFREQUENCY_MAX;
}

bool ConvertToPlayable(const WAVEFORMATEX& format, const uint8_t* data, size_t size, bool toMono, PlayableSamples& out) {
	out = PlayableSamples{};
	if (!IsPlayableFormat(format) || (size > 0 && data == nullptr)) {
		return false;
	}
	const SampleEncoding encoding = EncodingOf(format);
	const int inputChannels = format.nChannels;
	const int sampleBytes = BytesPerSample(encoding);
	const size_t frames = size / format.nBlockAlign;
	out.channels = toMono ? 1 : inputChannels;
	out.frames = frames;

	if (encoding == SampleEncoding::Unsigned8 || encoding == SampleEncoding::Signed16) {
		out.bitsPerSample = format.wBitsPerSample;
		if (!toMono || inputChannels == 1) {
			out.bytes.assign(data, data + frames * format.nBlockAlign);
			return true;
		}
	} else {
		out.bitsPerSample = 16;
	}

	out.bytes.reserve(frames * static_cast<size_t>(out.channels) * (out.bitsPerSample / 8));
	for (size_t frame = 0; frame < frames; ++frame) {
		const uint8_t* p = data + frame * format.nBlockAlign;
		if (toMono) {
			int32_t sum = 0;
			for (int c = 0; c < inputChannels; ++c) {
				sum += ReadSample16(encoding, p + c * sampleBytes);
			}
			const int32_t mixed = sum / inputChannels;
			if (out.bitsPerSample == 8) {
				out.bytes.push_back(static_cast<uint8_t>(mixed / 256 + 128));
			} else {
				Append16(out.bytes, mixed);
			}
		} else {
			for (int c = 0; c < inputChannels; ++c) {
				Append16(out.bytes, ReadSample16(encoding, p + c * sampleBytes));
			}
		}
	}
	return true;
}
