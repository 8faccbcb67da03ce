#pragma once
// Reads the text of an effect file into an EffectSource. The reader takes a
// byte span and limits, refuses anything it does not know with the line it
// stands on, and never reads past the span. The format is described in
// platform/fx/README.md.

#include "platform/fx/EffectLexer.h"
#include "platform/fx/EffectSource.h"

#include <cstddef>
#include <cstdint>
#include <span>
#include <string>

struct EffectFileLimits {
	size_t maxBytes = 1u << 20;
	size_t maxLineLength = 4096;
	size_t maxNameLength = 64;
	size_t maxParameters = 256;
	size_t maxSamplers = 8;  // texture units 8..15
	size_t maxBlocks = 64;
	size_t maxTechniques = 64;
	size_t maxPassesPerTechnique = 16;
	size_t maxStatesPerPass = 64;
};

class EffectFileParser {
public:
	static constexpr const char* FORMAT_NAME = "vortane-effect";
	static constexpr int FORMAT_VERSION = 1;

	explicit EffectFileParser(std::string sourceName, EffectFileLimits limits = {});

	// False with Error() set ("name(line): reason") when the text is not a
	// complete, consistent effect file; source is then left empty.
	bool Parse(std::span<const uint8_t> bytes, EffectSource& source);
	const std::string& Error() const { return error; }

private:
	bool CheckText(std::string_view text);
	bool ReadHeader(std::string_view text, size_t& bodyStart);
	bool ParseStatement();
	bool ParseParameter(EffectParameterType type);
	bool ParseInitialValue(EffectParameterDecl& parameter);
	bool ParseSampler();
	bool ParseSamplerState(EffectSamplerDecl& sampler);
	bool ParseBlock(ShaderBlockKind kind);
	bool ParseTechnique();
	bool ParsePass(EffectTechniqueDecl& technique);
	bool ParsePassAssignment(EffectPassDecl& pass);
	bool Validate();

	void Advance();
	bool ExpectSymbol(char symbol);
	bool ExpectName(const char* what, std::string& name);
	bool IsSymbol(char symbol) const;
	bool Fail(const std::string& reason);
	bool FailAt(int line, const std::string& reason);
	std::string Describe(const EffectToken& token) const;

	std::string sourceName;
	EffectFileLimits limits;
	EffectLexer* lexer = nullptr;
	EffectToken token;
	EffectSource* out = nullptr;
	std::string error;
};
