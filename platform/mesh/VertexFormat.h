#pragma once
// Byte layout of a flexible vertex format: position, then the optional
// normal, diffuse colour and 2D texture coordinate sets, in FVF order.

#include "platform/gpu/D3D9.h"

class VertexFormat {
public:
	explicit VertexFormat(DWORD fvf);

	// Only untransformed positions with normals, a diffuse colour and up to
	// eight 2D coordinate sets are laid out; anything else is refused.
	bool IsSupported() const { return supported; }

	DWORD Fvf() const { return fvf; }
	UINT Stride() const { return stride; }
	bool HasNormal() const { return normalOffset >= 0; }
	bool HasDiffuse() const { return diffuseOffset >= 0; }
	UINT TexcoordSets() const { return texcoordSets; }
	UINT NormalOffset() const { return UINT(normalOffset); }
	UINT DiffuseOffset() const { return UINT(diffuseOffset); }
	UINT TexcoordOffset(UINT set) const { return texcoordOffset + set * 8; }

private:
	DWORD fvf;
	bool supported = false;
	UINT stride = 0;
	int normalOffset = -1;
	int diffuseOffset = -1;
	UINT texcoordOffset = 0;
	UINT texcoordSets = 0;
};
