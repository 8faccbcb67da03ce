#pragma once
// Reads our plain-text effect files (format in particles/README.md). The
// reader takes a byte span and limits, checks every value against them,
// never reads past the span and names the line of anything it refuses.

#include "particles/EffectDefinition.h"

#include <cstddef>
#include <cstdint>
#include <span>
#include <string>
#include <string_view>
#include <vector>

namespace particles {

struct EffectFileLimits {
	size_t maxBytes = 64u * 1024u;
	size_t maxLineLength = 256;
	size_t maxNodes = 16;
	int maxCountPerNode = 4096;
	int maxParticlesPerEffect = 16384;
	int maxFrames = 100000;  // delay, life and fades
	float maxMagnitude = 1.0e6f;
};

class EffectFileReader {
public:
	static constexpr const char* FORMAT_NAME = "vortane-particles";
	static constexpr int FORMAT_VERSION = 1;

	explicit EffectFileReader(std::string sourceName, EffectFileLimits limits = {});

	// False with Error() set ("name(line): reason") when the bytes are not a
	// complete, valid effect file; definition is then left empty.
	bool Read(std::span<const uint8_t> bytes, EffectDefinition& definition);
	const std::string& Error() const { return error; }

	// True when the bytes start with this format's first line (any version).
	static bool HasFormatLine(std::span<const uint8_t> bytes);

private:
	bool ReadHeader(std::string_view line);
	bool ReadLine(std::string_view line);
	bool ReadNodeKey(NodeDefinition& node, std::string_view key);
	bool Validate(const EffectDefinition& definition);

	bool NextWord(std::string_view& word);
	bool ExpectEnd();
	bool ReadFloat(const char* what, float& value);
	bool ReadFrames(const char* what, int& value);
	bool ReadVector(const char* what, D3DXVECTOR3& value);
	bool ReadFloatRange(const char* what, FloatRange& range);
	bool ReadVectorRange(const char* what, Vec3Range& range);
	bool ReadColor(const char* what, D3DXCOLOR& color);
	bool HasMore();
	bool Fail(const std::string& reason);

	std::string sourceName;
	EffectFileLimits limits;
	std::string error;
	int lineNumber = 0;
	std::string_view rest;  // words of the current line not yet read
	EffectDefinition* out = nullptr;
};

}  // namespace particles
