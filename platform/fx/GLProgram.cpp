#include "platform/fx/GLProgram.h"

#include "platform/gpu/GLObjectCounter.h"

#include <epoxy/gl.h>

namespace {

std::string ShaderLog(GLuint shader) {
	GLint length = 0;
	glGetShaderiv(shader, GL_INFO_LOG_LENGTH, &length);
	std::string log(static_cast<size_t>(length > 0 ? length : 0), '\0');
	if (length > 0) {
		glGetShaderInfoLog(shader, length, nullptr, log.data());
		log.resize(log.find('\0') == std::string::npos ? log.size() : log.find('\0'));
	}
	return log;
}

std::string ProgramLog(GLuint program) {
	GLint length = 0;
	glGetProgramiv(program, GL_INFO_LOG_LENGTH, &length);
	std::string log(static_cast<size_t>(length > 0 ? length : 0), '\0');
	if (length > 0) {
		glGetProgramInfoLog(program, length, nullptr, log.data());
		log.resize(log.find('\0') == std::string::npos ? log.size() : log.find('\0'));
	}
	return log;
}

GLuint CompileStage(GLenum stage, const std::string& text, std::string& log) {
	const GLuint shader = glCreateShader(stage);
	const char* source = text.c_str();
	const GLint length = static_cast<GLint>(text.size());
	glShaderSource(shader, 1, &source, &length);
	glCompileShader(shader);
	GLint compiled = GL_FALSE;
	glGetShaderiv(shader, GL_COMPILE_STATUS, &compiled);
	if (compiled != GL_TRUE) {
		log += stage == GL_VERTEX_SHADER ? "vertex shader:\n" : "fragment shader:\n";
		log += ShaderLog(shader);
		glDeleteShader(shader);
		return 0;
	}
	return shader;
}

}  // namespace

GLProgram::~GLProgram() { Destroy(); }

void GLProgram::Destroy() {
	if (program != 0) {
		glDeleteProgram(program);
		GLObjectCounter::Deleted(GLObjectKind::Program);
		program = 0;
	}
	uniforms.clear();
}

bool GLProgram::Build(const std::string& vertexText, const std::string& fragmentText, std::string& log) {
	Destroy();
	const GLuint vertex = CompileStage(GL_VERTEX_SHADER, vertexText, log);
	const GLuint fragment = CompileStage(GL_FRAGMENT_SHADER, fragmentText, log);
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
	glDetachShader(program, vertex);
	glDetachShader(program, fragment);
	glDeleteShader(vertex);
	glDeleteShader(fragment);
	GLint linked = GL_FALSE;
	glGetProgramiv(program, GL_LINK_STATUS, &linked);
	if (linked != GL_TRUE) {
		log += "link:\n" + ProgramLog(program);
		Destroy();
		return false;
	}
	Reflect();
	return true;
}

void GLProgram::Reflect() {
	GLint count = 0;
	GLint longest = 0;
	glGetProgramiv(program, GL_ACTIVE_UNIFORMS, &count);
	glGetProgramiv(program, GL_ACTIVE_UNIFORM_MAX_LENGTH, &longest);
	std::string name(static_cast<size_t>(longest > 0 ? longest : 1), '\0');
	for (GLint i = 0; i < count; ++i) {
		GLsizei length = 0;
		GLint size = 0;
		GLenum type = 0;
		glGetActiveUniform(program, static_cast<GLuint>(i), static_cast<GLsizei>(name.size()), &length, &size, &type,
		                   name.data());
		Uniform uniform;
		uniform.name.assign(name.data(), static_cast<size_t>(length));
		uniform.type = type;
		uniform.location = glGetUniformLocation(program, uniform.name.c_str());
		if (uniform.location >= 0) {
			uniforms.push_back(std::move(uniform));
		}
	}
}

const GLProgram::Uniform* GLProgram::FindUniform(const std::string& name) const {
	for (const Uniform& uniform : uniforms) {
		if (uniform.name == name) {
			return &uniform;
		}
	}
	return nullptr;
}
