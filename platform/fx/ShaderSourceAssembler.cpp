#include "platform/fx/ShaderSourceAssembler.h"

namespace {

// Locations match the device's fixed vertex attribute slots. Position is a
// vec4 so that x y z rhw reaches pre-transformed shaders whole; a 3-component
// position arrives with w = 1.
constexpr const char* VERTEX_PREAMBLE = R"(layout(location = 0) in vec4 inPosition;
layout(location = 1) in vec3 inNormal;
layout(location = 2) in vec2 inTexCoord0;
layout(location = 3) in vec4 inColor;
layout(location = 4) in vec2 inTexCoord1;
uniform vec2 d3d_ViewportSize;

// Pixel coordinates (0,0 top-left, no half-pixel shift) and rhw to Direct3D
// clip space; w = 1/rhw keeps interpolation perspective-correct.
vec4 d3d_PreTransformed(vec4 xyzrhw) {
	float w = xyzrhw.w > 0.0 ? 1.0 / xyzrhw.w : 1.0;
	vec2 ndc = vec2(xyzrhw.x / d3d_ViewportSize.x * 2.0 - 1.0, 1.0 - xyzrhw.y / d3d_ViewportSize.y * 2.0);
	return vec4(ndc * w, xyzrhw.z * w, w);
}
)";

// The author's main runs first; the result is then moved from Direct3D clip
// space (y up, z 0..w) to OpenGL's (z -w..w), with y mirrored because every
// render target stores its top row first.
constexpr const char* VERTEX_EPILOGUE = R"(
#undef main
void main() {
	d3d_UserMain();
	gl_Position.y = -gl_Position.y;
	gl_Position.z = 2.0 * gl_Position.z - gl_Position.w;
}
)";

const char* GlslType(EffectParameterType type) {
	switch (type) {
	case EffectParameterType::Float: return "float";
	case EffectParameterType::Float2: return "vec2";
	case EffectParameterType::Float3: return "vec3";
	case EffectParameterType::Float4: return "vec4";
	case EffectParameterType::Float4x4: return "mat4";
	case EffectParameterType::Texture:
	case EffectParameterType::TextureCube: return nullptr;
	}
	return nullptr;
}

bool IsExtensionDirective(const std::string& line) {
	const size_t first = line.find_first_not_of(" \t");
	return first != std::string::npos && line.compare(first, 10, "#extension") == 0;
}

// GLSL wants #extension before any declaration, so those lines move up to
// the top of the stage; a blank line keeps the block's #line numbering.
void AppendBlock(std::string& text, std::string& extensions, const ShaderBlock& block) {
	text += "#line " + std::to_string(block.firstLine) + "\n";
	size_t start = 0;
	while (start < block.text.size()) {
		size_t end = block.text.find('\n', start);
		end = end == std::string::npos ? block.text.size() : end;
		const std::string line = block.text.substr(start, end - start);
		if (IsExtensionDirective(line)) {
			extensions += line + "\n";
		} else {
			text += line;
		}
		text += '\n';
		start = end + 1;
	}
}

}  // namespace

ShaderSourceAssembler::ShaderSourceAssembler(const EffectSource& source_, const D3DXMACRO* defines)
	: source(source_) {
	for (const D3DXMACRO* macro = defines; macro != nullptr && macro->Name != nullptr; ++macro) {
		macros += "#define ";
		macros += macro->Name;
		if (macro->Definition != nullptr) {
			macros += ' ';
			macros += macro->Definition;
		}
		macros += '\n';
	}
}

void ShaderSourceAssembler::AppendCommon(std::string& text) const {
	text += macros;
	for (const EffectParameterDecl& parameter : source.parameters) {
		if (const char* type = GlslType(parameter.type)) {
			text += "uniform " + std::string(type) + " " + parameter.name + ";\n";
		}
	}
	for (const EffectSamplerDecl& sampler : source.samplers) {
		const EffectParameterDecl* texture = source.FindParameter(sampler.texture);
		const bool cube = texture != nullptr && texture->type == EffectParameterType::TextureCube;
		text += std::string("uniform ") + (cube ? "samplerCube " : "sampler2D ") + sampler.name + ";\n";
	}
}

std::string ShaderSourceAssembler::Assemble(const ShaderBlock& stage) const {
	std::string text;
	std::string extensions;
	if (stage.kind == ShaderBlockKind::Vertex) {
		text += VERTEX_PREAMBLE;
	}
	AppendCommon(text);
	for (const ShaderBlock& block : source.blocks) {
		if (block.kind == ShaderBlockKind::Shared) {
			AppendBlock(text, extensions, block);
		}
	}
	if (stage.kind == ShaderBlockKind::Vertex) {
		text += "#define main d3d_UserMain\n";
	}
	AppendBlock(text, extensions, stage);
	if (stage.kind == ShaderBlockKind::Vertex) {
		text += VERTEX_EPILOGUE;
	}
	return "#version 330 core\n" + extensions + text;
}
