#pragma once
// The device's stand-in for the Direct3D fixed-function pipeline: enough of it
// for 2D drawing and plain DrawPrimitive calls. Transforms untransformed
// positions by world * view * projection and pre-transformed ones from pixels;
// combines stage 0's texture and the diffuse colour as COLOROP/ALPHAOP say;
// honours the alpha test. No lighting: models are drawn through effects.

#include "platform/gpu/D3D9.h"

#include <epoxy/gl.h>

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

class GLFixedFunctionProgram {
public:
	GLFixedFunctionProgram() = default;
	GLFixedFunctionProgram(const GLFixedFunctionProgram&) = delete;
	GLFixedFunctionProgram& operator=(const GLFixedFunctionProgram&) = delete;
	~GLFixedFunctionProgram();

	bool Create();
	void Destroy();
	GLuint Name() const { return program; }

	// Makes the program current with the given set-up.
	void Use(const FixedFunctionSetup& setup) const;

private:
	GLuint program = 0;
	GLint worldViewProjection = -1;
	GLint preTransformed = -1;
	GLint viewport = -1;
	GLint textured = -1;
	GLint colorStage = -1;
	GLint alphaStage = -1;
	GLint textureFactor = -1;
	GLint alphaTest = -1;
	GLint sampler = -1;
};
