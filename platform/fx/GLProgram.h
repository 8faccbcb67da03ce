#pragma once
// One linked OpenGL program of a vertex and a fragment stage, with the
// active uniforms it reports after linking. Needs the device's GL context
// current for its whole life.

#include <string>
#include <vector>

class GLProgram {
public:
	struct Uniform {
		std::string name;
		unsigned type;  // GL_FLOAT_VEC4, GL_SAMPLER_2D, ...
		int location;
	};

	GLProgram() = default;
	~GLProgram();
	GLProgram(const GLProgram&) = delete;
	GLProgram& operator=(const GLProgram&) = delete;

	// False with the compiler's or linker's log (prefixed by the stage) when
	// either stage fails; the program is then empty.
	bool Build(const std::string& vertexText, const std::string& fragmentText, std::string& log);

	unsigned Name() const { return program; }
	const std::vector<Uniform>& Uniforms() const { return uniforms; }
	const Uniform* FindUniform(const std::string& name) const;

private:
	void Reflect();
	void Destroy();

	unsigned program = 0;
	std::vector<Uniform> uniforms;
};
