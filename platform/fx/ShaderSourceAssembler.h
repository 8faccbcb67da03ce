#pragma once
// Builds the complete GLSL text of one stage of a pass: the injected
// preamble (version, macros, vertex attributes, parameter and sampler
// uniforms, the pre-transformed helper), the shared blocks, the stage's own
// block and, for vertex stages, the epilogue that turns Direct3D clip space
// into OpenGL's. What is injected is listed in platform/fx/README.md.

#include "platform/fx/D3DX9Effect.h"
#include "platform/fx/EffectSource.h"

#include <string>

class ShaderSourceAssembler {
public:
	// defines may be null, else ends with an entry whose Name is null.
	ShaderSourceAssembler(const EffectSource& source, const D3DXMACRO* defines);

	std::string Assemble(const ShaderBlock& stage) const;

private:
	void AppendCommon(std::string& text) const;

	const EffectSource& source;
	std::string macros;
};
