#include "platform/gpu/GLFixedFunctionProgram.h"

#include "platform/gpu/GLObjectCounter.h"

namespace {

// Built-in programs flip clip y (render targets store their top row first)
// and map Direct3D's 0..1 depth onto OpenGL's -1..1.
const char* const VERTEX_SOURCE = R"(#version 330 core
layout(location = 0) in vec4 position;
layout(location = 2) in vec2 texCoord0;
layout(location = 3) in vec4 diffuse;
uniform mat4 worldViewProjection;
uniform bool preTransformed;
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

const char* const FRAGMENT_SOURCE = R"(#version 330 core
in vec4 vertexDiffuse;
in vec2 vertexTexCoord;
uniform sampler2D texture0;
uniform bool textured;
uniform ivec3 colorStage;  // op, arg1, arg2
uniform ivec3 alphaStage;
uniform vec4 textureFactor;
uniform ivec3 alphaTest;   // enabled, function, reference (0..255)
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
	if (alphaTest.x != 0 && !Passes(alphaTest.y, floor(alpha * 255.0 + 0.5), float(alphaTest.z))) {
		discard;
	}
	fragmentColor = vec4(color.rgb, alpha);
}
)";

GLuint Compile(GLenum type, const char* source) {
	const GLuint shader = glCreateShader(type);
	glShaderSource(shader, 1, &source, nullptr);
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

}  // namespace

GLFixedFunctionProgram::~GLFixedFunctionProgram() { Destroy(); }

bool GLFixedFunctionProgram::Create() {
	Destroy();
	const GLuint vertex = Compile(GL_VERTEX_SHADER, VERTEX_SOURCE);
	const GLuint fragment = Compile(GL_FRAGMENT_SHADER, FRAGMENT_SOURCE);
	if (vertex == 0 || fragment == 0) {
		glDeleteShader(vertex);
		glDeleteShader(fragment);
		return false;
	}
	program = glCreateProgram();
	GLObjectCounter::Made(GLObjectKind::Program);
	glAttachShader(program, vertex);
	glAttachShader(program, fragment);
	glLinkProgram(program);
	glDeleteShader(vertex);
	glDeleteShader(fragment);
	GLint linked = GL_FALSE;
	glGetProgramiv(program, GL_LINK_STATUS, &linked);
	if (linked != GL_TRUE) {
		Destroy();
		return false;
	}
	worldViewProjection = glGetUniformLocation(program, "worldViewProjection");
	preTransformed = glGetUniformLocation(program, "preTransformed");
	viewport = glGetUniformLocation(program, "viewport");
	textured = glGetUniformLocation(program, "textured");
	colorStage = glGetUniformLocation(program, "colorStage");
	alphaStage = glGetUniformLocation(program, "alphaStage");
	textureFactor = glGetUniformLocation(program, "textureFactor");
	alphaTest = glGetUniformLocation(program, "alphaTest");
	sampler = glGetUniformLocation(program, "texture0");
	return true;
}

void GLFixedFunctionProgram::Destroy() {
	if (program != 0) {
		glDeleteProgram(program);
		GLObjectCounter::Deleted(GLObjectKind::Program);
		program = 0;
	}
}

void GLFixedFunctionProgram::Use(const FixedFunctionSetup& setup) const {
	glUseProgram(program);
	// A row-major matrix read as column-major is its transpose, which is what
	// turns the row-vector product into GLSL's matrix * column vector.
	glUniformMatrix4fv(worldViewProjection, 1, GL_FALSE, &setup.worldViewProjection._11);
	glUniform1i(preTransformed, setup.preTransformed ? 1 : 0);
	glUniform4fv(viewport, 1, setup.viewport);
	glUniform1i(textured, setup.textured ? 1 : 0);
	glUniform3i(colorStage, GLint(setup.colorOp), GLint(setup.colorArg1), GLint(setup.colorArg2));
	glUniform3i(alphaStage, GLint(setup.alphaOp), GLint(setup.alphaArg1), GLint(setup.alphaArg2));
	float factor[4];
	ColorToFloats(setup.textureFactor, factor);
	glUniform4fv(textureFactor, 1, factor);
	glUniform3i(alphaTest, setup.alphaTest ? 1 : 0, GLint(setup.alphaFunc), GLint(setup.alphaRef & 0xFF));
	glUniform1i(sampler, 0);
}
