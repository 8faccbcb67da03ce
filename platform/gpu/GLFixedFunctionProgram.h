#pragma once
// The device's stand-in for the Direct3D fixed-function pipeline: enough of it
// for 2D drawing and plain DrawPrimitive calls. Transforms untransformed
// positions by world * view * projection and pre-transformed ones from pixels;
// combines stage 0's texture and the diffuse colour as COLOROP/ALPHAOP say;
// honours the alpha test. No lighting: models are drawn through effects.

#include "platform/gpu/D3D9.h"

#include <epoxy/gl.h>

#include <compare>
#include <map>
#include <string>

struct FixedFunctionSetup {
	D3DMATRIX worldViewProjection{};  // row-vector convention
	bool preTransformed = false;
	float viewport[4] = {0, 0, 1, 1};  // x, y, width, height in pixels
	bool textured = false;             // stage 0 has a 2D texture bound
	DWORD colorOp = D3DTOP_MODULATE;
	DWORD colorArg1 = D3DTA_TEXTURE;
	DWORD colorArg2 = D3DTA_DIFFUSE;
	DWORD alphaOp = D3DTOP_SELECTARG1;
	DWORD alphaArg1 = D3DTA_TEXTURE;
	DWORD alphaArg2 = D3DTA_DIFFUSE;
	D3DCOLOR textureFactor = 0xFFFFFFFF;
	bool alphaTest = false;
	DWORD alphaFunc = D3DCMP_ALWAYS;
	DWORD alphaRef = 0;
};

// What a program is compiled for: the settings that decide which code a
// pixel runs. Values that behave alike share a key.
struct FixedFunctionKey {
	bool preTransformed = false;
	bool textured = false;
	DWORD colorOp = 0, colorArg1 = 0, colorArg2 = 0;
	DWORD alphaOp = 0, alphaArg1 = 0, alphaArg2 = 0;
	DWORD alphaFunc = 0;  // 0 without a test, or one that always passes

	static FixedFunctionKey Of(const FixedFunctionSetup& setup);
	// The GLSL constants the program's source starts with.
	std::string Prelude() const;
	auto operator<=>(const FixedFunctionKey&) const = default;
};

// One program per key, compiled on first use: with the stage and the alpha
// test fixed in the source, the compiler drops every branch the key rules
// out, and the software rasterizer no longer runs all of them for each pixel
// of a full-screen HUD.
class GLFixedFunctionProgram {
public:
	GLFixedFunctionProgram() = default;
	GLFixedFunctionProgram(const GLFixedFunctionProgram&) = delete;
	GLFixedFunctionProgram& operator=(const GLFixedFunctionProgram&) = delete;
	~GLFixedFunctionProgram();

	// Compiles the default set-up's program: false when the GL cannot.
	bool Create();
	void Destroy();

	// Makes the set-up's program current, compiling it the first time; false
	// (and no program) when it does not compile.
	bool Use(const FixedFunctionSetup& setup) const;

private:
	struct Variant {
		GLuint program = 0;  // 0 when it failed to compile
		GLint worldViewProjection = -1;
		GLint viewport = -1;
		GLint textureFactor = -1;
		GLint alphaReference = -1;
		GLint sampler = -1;
	};

	const Variant* Find(const FixedFunctionKey& key) const;
	static Variant Build(const FixedFunctionKey& key);

	mutable std::map<FixedFunctionKey, Variant> variants;
};
