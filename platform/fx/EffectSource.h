#pragma once
// What an effect file declares, as read by EffectFileParser: parameters,
// samplers, GLSL blocks and techniques with their passes. Plain data; the
// GL side (GLEffect) turns it into programs.

#include "platform/gpu/D3D9.h"

#include <array>
#include <string>
#include <vector>

enum class EffectParameterType {
	Float,
	Float2,
	Float3,
	Float4,
	Float4x4,
	Texture,
	TextureCube,
};

// Bytes of value storage a parameter of this type holds (0 for textures).
UINT EffectParameterBytes(EffectParameterType type);
bool IsTextureParameter(EffectParameterType type);

struct EffectParameterDecl {
	std::string name;
	EffectParameterType type = EffectParameterType::Float;
	std::array<float, 16> initial{};  // the declared initial value, zero when none
	int line = 0;
};

// A GLSL sampler uniform reading a texture parameter with fixed filter and
// address states (D3D's defaults unless the file says otherwise).
struct EffectSamplerDecl {
	std::string name;
	std::string texture;
	DWORD minFilter = D3DTEXF_POINT;
	DWORD magFilter = D3DTEXF_POINT;
	DWORD mipFilter = D3DTEXF_NONE;
	DWORD addressU = D3DTADDRESS_WRAP;
	DWORD addressV = D3DTADDRESS_WRAP;
	DWORD addressW = D3DTADDRESS_WRAP;
	DWORD maxAnisotropy = 1;
	int line = 0;
};

enum class ShaderBlockKind {
	Shared,    // "glsl": prepended to every stage
	Vertex,
	Fragment,
};

struct ShaderBlock {
	std::string name;
	ShaderBlockKind kind = ShaderBlockKind::Shared;
	std::string text;
	int firstLine = 0;  // file line of the block's first text line
};

struct RenderStateAssignment {
	D3DRENDERSTATETYPE state;
	DWORD value;
};

struct EffectPassDecl {
	std::string name;
	std::string vertexBlock;
	std::string fragmentBlock;
	std::vector<RenderStateAssignment> states;
	int line = 0;
};

struct EffectTechniqueDecl {
	std::string name;
	std::vector<EffectPassDecl> passes;
	int line = 0;
};

struct EffectSource {
	std::vector<EffectParameterDecl> parameters;
	std::vector<EffectSamplerDecl> samplers;
	std::vector<ShaderBlock> blocks;
	std::vector<EffectTechniqueDecl> techniques;

	const EffectParameterDecl* FindParameter(const std::string& name) const;
	const EffectSamplerDecl* FindSampler(const std::string& name) const;
	const ShaderBlock* FindBlock(const std::string& name) const;
	const EffectTechniqueDecl* FindTechnique(const std::string& name) const;
};
