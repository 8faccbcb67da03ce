#pragma once
// How each Direct3D surface format is stored in OpenGL, and the byte layout of
// its levels as Lock hands them out.

#include "platform/gpu/D3D9.h"

#include <epoxy/gl.h>

#include <cstddef>

struct GLFormat {
	D3DFORMAT format = D3DFMT_UNKNOWN;
	GLenum internalFormat = 0;
	GLenum uploadFormat = 0;  // pixel transfer format (ignored when compressed)
	GLenum uploadType = 0;
	bool compressed = false;
	UINT bytesPerUnit = 0;  // per pixel, or per 4x4 block when compressed
	GLint swizzle[4] = {GL_RED, GL_GREEN, GL_BLUE, GL_ALPHA};  // what sampling returns
	bool opaque = false;  // an X format: alpha reads as one

	bool IsValid() const { return internalFormat != 0; }

	// Bytes in one row of a level (of blocks, when compressed).
	UINT RowPitch(UINT width) const;
	// Rows in a level (block rows, when compressed).
	UINT RowCount(UINT height) const;
	size_t LevelBytes(UINT width, UINT height) const { return size_t(RowPitch(width)) * RowCount(height); }
};

// The description of a format, or an invalid one for formats textures cannot have.
GLFormat DescribeTextureFormat(D3DFORMAT format);

// Size of a mip level: halved per level, never below one.
inline UINT MipExtent(UINT size, UINT level) {
	const UINT extent = level < 32 ? size >> level : 0;
	return extent > 0 ? extent : 1;
}

// Levels of a full chain down to 1 x 1.
UINT FullMipChainLength(UINT width, UINT height);
