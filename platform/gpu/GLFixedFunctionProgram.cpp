#include "platform/gpu/GLFixedFunctionProgram.h"

#include "platform/gpu/GLObjectCounter.h"

#include <string>

namespace {

// Built-in programs flip clip y (render targets store their top row first)
// and map Direct3D's 0..1 depth onto OpenGL's -1..1.
const char* const VERTEX_SOURCE = R"(
layout(location = 0) in vec4 position;
layout(location = 2) in vec2 texCoord0;
layout(location = 3) in vec4 diffuse;
uniform mat4 worldViewProjection;
uniform vec4 viewport;
out vec4 vertexDiffuse;
out vec2 vertexTexCoord;
void main() {
	vec4 clip;
	if (preTransformed) {
		float w = position.w != 0.0 ? 1.0 / position.w : 1.0;
		vec2 ndc = vec2((position.x - viewport.x) / viewport.z * 2.0 - 1.0,
		                1.0 - (position.y - viewport.y) / viewport.w * 2.0);
		clip = vec4(ndc * w, position.z * w, w);
	} else {
		clip = worldViewProjection * vec4(position.xyz, 1.0);
	}
	gl_Position = vec4(clip.x, -clip.y, 2.0 * clip.z - clip.w, clip.w);
	vertexDiffuse = diffuse;
	vertexTexCoord = texCoord0;
}
)";

const char* const FRAGMENT_SOURCE = R"(
in vec4 vertexDiffuse;
in vec2 vertexTexCoord;
uniform sampler2D texture0;
uniform vec4 textureFactor;
uniform float alphaReference;  // 0..255
layout(location = 0) out vec4 fragmentColor;

vec4 Argument(int argument, vec4 texel) {
	int selector = argument & 15;
	if (selector == 2) return texel;
	if (selector == 3) return textureFactor;
	return vertexDiffuse;  // diffuse, and current at stage 0
}

vec4 Combine(ivec3 stage, vec4 texel) {
	vec4 a = Argument(stage.y, texel);
	vec4 b = Argument(stage.z, texel);
	if (stage.x == 2) return a;
	if (stage.x == 3) return b;
	if (stage.x == 4) return a * b;
	if (stage.x == 5) return min(a * b * 2.0, 1.0);
	if (stage.x == 6) return min(a * b * 4.0, 1.0);
	if (stage.x == 7) return min(a + b, 1.0);
	return vertexDiffuse;
}

bool Passes(int function, float value, float reference) {
	if (function == 1) return false;
	if (function == 2) return value < reference;
	if (function == 3) return value == reference;
	if (function == 4) return value <= reference;
	if (function == 5) return value > reference;
	if (function == 6) return value != reference;
	if (function == 7) return value >= reference;
	return true;
}

void main() {
	// A stage without a texture reads white, so MODULATE passes the diffuse colour.
	vec4 texel = textured ? texture(texture0, vertexTexCoord) : vec4(1.0);
	vec4 color = Combine(colorStage, texel);
	float alpha = alphaStage.x == 1 ? vertexDiffuse.a : Combine(alphaStage, texel).a;
	if (alphaTested && !Passes(alphaFunction, floor(alpha * 255.0 + 0.5), alphaReference)) {
		discard;
	}
	fragmentColor = vec4(color.rgb, alpha);
}
)";

GLuint Compile(GLenum type, const std::string& prelude, const char* body) {
	const std::string source = prelude + body;
	const char* text = source.c_str();
	const GLuint shader = glCreateShader(type);
	glShaderSource(shader, 1, &text, nullptr);
	glCompileShader(shader);
	GLint compiled = GL_FALSE;
	glGetShaderiv(shader, GL_COMPILE_STATUS, &compiled);
	if (compiled != GL_TRUE) {
		glDeleteShader(shader);
		return 0;
	}
	return shader;
}

void ColorToFloats(D3DCOLOR color, float out[4]) {
	out[0] = float((color >> 16) & 0xFF) / 255.0f;
	out[1] = float((color >> 8) & 0xFF) / 255.0f;
	out[2] = float(color & 0xFF) / 255.0f;
	out[3] = float((color >> 24) & 0xFF) / 255.0f;
}

// The operations and arguments the programs tell apart; every other value
// behaves as one of these (the diffuse colour), so it shares their program.
DWORD StageOperation(DWORD operation) {
	return operation >= D3DTOP_SELECTARG1 && operation <= D3DTOP_ADD ? operation : 0;
}

DWORD StageArgument(DWORD argument) {
	const DWORD selector = argument & D3DTA_SELECTMASK;
	return selector == D3DTA_TEXTURE || selector == D3DTA_TFACTOR ? selector : 0;
}

std::string StageConstant(const char* name, DWORD operation, DWORD first, DWORD second) {
	return "const ivec3 " + std::string(name) + " = ivec3(" + std::to_string(operation) + ", " +
	       std::to_string(first) + ", " + std::to_string(second) + ");\n";
}

}  // namespace

FixedFunctionKey FixedFunctionKey::Of(const FixedFunctionSetup& setup) {
	FixedFunctionKey key;
	key.preTransformed = setup.preTransformed;
	key.textured = setup.textured;
	key.colorOp = StageOperation(setup.colorOp);
	key.colorArg1 = StageArgument(setup.colorArg1);
	key.colorArg2 = StageArgument(setup.colorArg2);
	key.alphaOp = StageOperation(setup.alphaOp);
	key.alphaArg1 = StageArgument(setup.alphaArg1);
	key.alphaArg2 = StageArgument(setup.alphaArg2);
	const bool knownFunction = setup.alphaFunc >= D3DCMP_NEVER && setup.alphaFunc < D3DCMP_ALWAYS;
	key.alphaFunc = setup.alphaTest && knownFunction ? setup.alphaFunc : 0;
	return key;
}

std::string FixedFunctionKey::Prelude() const {
	std::string prelude = "#version 330 core\n";
	prelude += std::string("const bool preTransformed = ") + (preTransformed ? "true" : "false") + ";\n";
	prelude += std::string("const bool textured = ") + (textured ? "true" : "false") + ";\n";
	prelude += StageConstant("colorStage", colorOp, colorArg1, colorArg2);
	prelude += StageConstant("alphaStage", alphaOp, alphaArg1, alphaArg2);
	prelude += std::string("const bool alphaTested = ") + (alphaFunc != 0 ? "true" : "false") + ";\n";
	prelude += "const int alphaFunction = " + std::to_string(alphaFunc) + ";\n";
	return prelude;
}

GLFixedFunctionProgram::~GLFixedFunctionProgram() { Destroy(); }

bool GLFixedFunctionProgram::Create() {
	Destroy();
	return Find(FixedFunctionKey::Of(FixedFunctionSetup{})) != nullptr;
}

void GLFixedFunctionProgram::Destroy() {
	for (const auto& [key, variant] : variants) {
		if (variant.program != 0) {
			glDeleteProgram(variant.program);
			GLObjectCounter::Deleted(GLObjectKind::Program);
		}
	}
	variants.clear();
}

const GLFixedFunctionProgram::Variant* GLFixedFunctionProgram::Find(const FixedFunctionKey& key) const {
	auto found = variants.find(key);
	if (found == variants.end()) {
		found = variants.emplace(key, Build(key)).first;
	}
	return found->second.program != 0 ? &found->second : nullptr;
}

GLFixedFunctionProgram::Variant GLFixedFunctionProgram::Build(const FixedFunctionKey& key) {
	Variant variant;
	const std::string prelude = key.Prelude();
	const GLuint vertex = Compile(GL_VERTEX_SHADER, prelude, VERTEX_SOURCE);
	const GLuint fragment = Compile(GL_FRAGMENT_SHADER, prelude, FRAGMENT_SOURCE);
	if (vertex == 0 || fragment == 0) {
		glDeleteShader(vertex);
		glDeleteShader(fragment);
		return variant;
	}
	const GLuint program = glCreateProgram();
	glAttachShader(program, vertex);
	glAttachShader(program, fragment);
	glLinkProgram(program);
	glDeleteShader(vertex);
	glDeleteShader(fragment);
	GLint linked = GL_FALSE;
	glGetProgramiv(program, GL_LINK_STATUS, &linked);
	if (linked != GL_TRUE) {
		glDeleteProgram(program);
		return variant;
	}
	GLObjectCounter::Made(GLObjectKind::Program);
	variant.program = program;
	variant.worldViewProjection = glGetUniformLocation(program, "worldViewProjection");
	variant.viewport = glGetUniformLocation(program, "viewport");
	variant.textureFactor = glGetUniformLocation(program, "textureFactor");
	variant.alphaReference = glGetUniformLocation(program, "alphaReference");
	variant.sampler = glGetUniformLocation(program, "texture0");
	return variant;
}

bool GLFixedFunctionProgram::Use(const FixedFunctionSetup& setup) const {
	const Variant* variant = Find(FixedFunctionKey::Of(setup));
	if (variant == nullptr) {
		glUseProgram(0);
		return false;
	}
	glUseProgram(variant->program);
	// A row-major matrix read as column-major is its transpose, which is what
	// turns the row-vector product into GLSL's matrix * column vector.
	glUniformMatrix4fv(variant->worldViewProjection, 1, GL_FALSE, &setup.worldViewProjection._11);
	glUniform4fv(variant->viewport, 1, setup.viewport);
	float factor[4];
	ColorToFloats(setup.textureFactor, factor);
	glUniform4fv(variant->textureFactor, 1, factor);
	glUniform1f(variant->alphaReference, float(setup.alphaRef & 0xFF));
	glUniform1i(variant->sampler, 0);
	return true;
}
