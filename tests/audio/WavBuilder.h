#pragma once
// Wave files built byte by byte for the sound tests, written to a scratch
// folder of this process.

#include <cmath>
#include <cstdint>
#include <filesystem>
#include <fstream>
#include <string>
#include <unistd.h>
#include <vector>

namespace wav {

using Bytes = std::vector<uint8_t>;

inline void Append(Bytes& to, const Bytes& from) { to.insert(to.end(), from.begin(), from.end()); }

inline Bytes Le16(uint16_t v) { return {static_cast<uint8_t>(v), static_cast<uint8_t>(v >> 8)}; }

inline Bytes Le32(uint32_t v) {
	return {static_cast<uint8_t>(v), static_cast<uint8_t>(v >> 8), static_cast<uint8_t>(v >> 16), static_cast<uint8_t>(v >> 24)};
}

inline Bytes Id(const char* fourcc) { return Bytes(fourcc, fourcc + 4); }

// A chunk with a pad byte after an odd-sized body. declaredSize replaces
// the true size in the header when given.
inline Bytes Chunk(const char* id, const Bytes& body, int64_t declaredSize = -1) {
	Bytes out = Id(id);
	Append(out, Le32(static_cast<uint32_t>(declaredSize >= 0 ? declaredSize : static_cast<int64_t>(body.size()))));
	Append(out, body);
	if (body.size() % 2 == 1) {
		out.push_back(0);
	}
	return out;
}

// The 16 bytes every format chunk starts with.
inline Bytes FormatHeader(uint16_t tag, uint16_t channels, uint32_t rate, uint16_t bits) {
	const uint16_t blockAlign = static_cast<uint16_t>(channels * bits / 8);
	Bytes out = Le16(tag);
	Append(out, Le16(channels));
	Append(out, Le32(rate));
	Append(out, Le32(rate * blockAlign));
	Append(out, Le16(blockAlign));
	Append(out, Le16(bits));
	return out;
}

inline Bytes Riff(const std::vector<Bytes>& chunks, const char* form = "WAVE") {
	Bytes body = Id(form);
	for (const Bytes& chunk : chunks) {
		Append(body, chunk);
	}
	return Chunk("RIFF", body);
}

// A plain PCM file.
inline Bytes PcmFile(uint16_t channels, uint32_t rate, uint16_t bits, const Bytes& samples) {
	return Riff({Chunk("fmt ", FormatHeader(1, channels, rate, bits)), Chunk("data", samples)});
}

// Mono 16-bit samples of a sine.
inline Bytes Sine16(double frequency, uint32_t rate, size_t frames, double amplitude = 0.5) {
	Bytes out;
	out.reserve(frames * 2);
	for (size_t i = 0; i < frames; ++i) {
		const double value = amplitude * std::sin(2.0 * M_PI * frequency * static_cast<double>(i) / rate);
		Append(out, Le16(static_cast<uint16_t>(static_cast<int16_t>(std::lround(value * 32767.0)))));
	}
	return out;
}

inline std::filesystem::path ScratchPath() {
	return std::filesystem::temp_directory_path() / ("vortane-audio-" + std::to_string(getpid()));
}

inline std::filesystem::path ScratchFolder() {
	const std::filesystem::path folder = ScratchPath();
	std::filesystem::create_directories(folder);
	return folder;
}

// Removes the scratch folder when the test process ends.
inline struct ScratchCleaner {
	~ScratchCleaner() {
		std::error_code ignored;
		std::filesystem::remove_all(ScratchPath(), ignored);
	}
} scratchCleaner;

inline std::string WriteFile(const std::string& name, const Bytes& bytes) {
	const std::filesystem::path path = ScratchFolder() / name;
	std::ofstream out(path, std::ios::binary | std::ios::trunc);
	out.write(reinterpret_cast<const char*>(bytes.data()), static_cast<std::streamsize>(bytes.size()));
	return path.string();
}

} // namespace wav
