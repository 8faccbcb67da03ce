#include "platform/gpu/GLFormat.h"

namespace {

GLFormat Uncompressed(D3DFORMAT format, GLenum internalFormat, GLenum uploadFormat, GLenum uploadType, UINT bytes) {
	GLFormat description;
	description.format = format;
	description.internalFormat = internalFormat;
	description.uploadFormat = uploadFormat;
	description.uploadType = uploadType;
	description.bytesPerUnit = bytes;
	return description;
}

GLFormat Compressed(D3DFORMAT format, GLenum internalFormat, UINT blockBytes) {
	GLFormat description;
	description.format = format;
	description.internalFormat = internalFormat;
	description.compressed = true;
	description.bytesPerUnit = blockBytes;
	return description;
}

void MakeAlphaOne(GLFormat& description) {
	description.swizzle[3] = GL_ONE;
	description.opaque = true;
}

}  // namespace

UINT GLFormat::RowPitch(UINT width) const {
	return compressed ? ((width + 3) / 4) * bytesPerUnit : width * bytesPerUnit;
}

UINT GLFormat::RowCount(UINT height) const {
	return compressed ? (height + 3) / 4 : height;
}

GLFormat DescribeTextureFormat(D3DFORMAT format) {
	switch (format) {
	case D3DFMT_A8R8G8B8:
		// Memory order B, G, R, A, exactly what a BGRA upload expects.
		return Uncompressed(format, GL_RGBA8, GL_BGRA, GL_UNSIGNED_BYTE, 4);
	case D3DFMT_X8R8G8B8: {
		GLFormat description = Uncompressed(format, GL_RGBA8, GL_BGRA, GL_UNSIGNED_BYTE, 4);
		MakeAlphaOne(description);
		return description;
	}
	case D3DFMT_A8B8G8R8:
		return Uncompressed(format, GL_RGBA8, GL_RGBA, GL_UNSIGNED_BYTE, 4);
	case D3DFMT_X8B8G8R8: {
		GLFormat description = Uncompressed(format, GL_RGBA8, GL_RGBA, GL_UNSIGNED_BYTE, 4);
		MakeAlphaOne(description);
		return description;
	}
	case D3DFMT_R32F: {
		// Direct3D reads the missing channels of R32F as one.
		GLFormat description = Uncompressed(format, GL_R32F, GL_RED, GL_FLOAT, 4);
		description.swizzle[1] = GL_ONE;
		description.swizzle[2] = GL_ONE;
		description.swizzle[3] = GL_ONE;
		return description;
	}
	case D3DFMT_A32B32G32R32F:
		return Uncompressed(format, GL_RGBA32F, GL_RGBA, GL_FLOAT, 16);
	case D3DFMT_DXT1:
		return Compressed(format, GL_COMPRESSED_RGBA_S3TC_DXT1_EXT, 8);
	case D3DFMT_DXT3:
		return Compressed(format, GL_COMPRESSED_RGBA_S3TC_DXT3_EXT, 16);
	case D3DFMT_DXT5:
		return Compressed(format, GL_COMPRESSED_RGBA_S3TC_DXT5_EXT, 16);
	default:
		return GLFormat{};
	}
}

UINT FullMipChainLength(UINT width, UINT height) {
	UINT levels = 1;
	UINT largest = width > height ? width : height;
	while (largest > 1) {
		largest >>= 1;
		++levels;
	}
	return levels;
}
