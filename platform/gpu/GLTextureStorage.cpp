#include "platform/gpu/GLTextureStorage.h"

#include "platform/gpu/GLErrors.h"
#include "platform/gpu/GLObjectCounter.h"

#include <cstring>

namespace {

// Uploads and read-backs bind on a unit of their own, above the device's
// stages (0..7) and the effects' samplers (8..15), so that they never disturb
// the textures bound for drawing.
constexpr GLenum UPDATE_UNIT = GL_TEXTURE0 + 20;

}  // namespace

GLTextureStorage::~GLTextureStorage() { Destroy(); }

bool GLTextureStorage::Create(GLenum textureTarget, D3DFORMAT textureFormat, UINT textureWidth, UINT textureHeight,
                              UINT levelCount, DWORD textureUsage, D3DPOOL texturePool) {
	Destroy();
	const GLFormat description = DescribeTextureFormat(textureFormat);
	if (!description.IsValid() || textureWidth == 0 || textureHeight == 0 || textureWidth > 16384 ||
	    textureHeight > 16384) {
		return false;
	}
	if (textureTarget == GL_TEXTURE_CUBE_MAP && textureWidth != textureHeight) {
		return false;
	}
	const UINT fullChain = FullMipChainLength(textureWidth, textureHeight);
	target = textureTarget;
	format = description;
	width = textureWidth;
	height = textureHeight;
	levels = (levelCount == 0 || levelCount > fullChain) ? fullChain : levelCount;
	usage = textureUsage;
	pool = texturePool;
	copies.assign(size_t(Faces()) * levels, LevelCopy{});

	ClearGLErrors();
	glGenTextures(1, &name);
	GLObjectCounter::Made(GLObjectKind::Texture);
	BindForUpdate();
	glTexParameteri(target, GL_TEXTURE_BASE_LEVEL, 0);
	glTexParameteri(target, GL_TEXTURE_MAX_LEVEL, GLint(levels - 1));
	glTexParameteri(target, GL_TEXTURE_MIN_FILTER, levels > 1 ? GL_LINEAR_MIPMAP_LINEAR : GL_LINEAR);
	glTexParameteri(target, GL_TEXTURE_MAG_FILTER, GL_LINEAR);
	glTexParameteriv(target, GL_TEXTURE_SWIZZLE_RGBA, format.swizzle);
	std::vector<uint8_t> zeros;
	for (UINT face = 0; face < Faces(); ++face) {
		for (UINT level = 0; level < levels; ++level) {
			const GLsizei levelWidth = GLsizei(Width(level));
			const GLsizei levelHeight = GLsizei(Height(level));
			if (format.compressed) {
				zeros.assign(format.LevelBytes(levelWidth, levelHeight), 0);
				glCompressedTexImage2D(FaceTarget(face), GLint(level), format.internalFormat, levelWidth, levelHeight, 0,
				                       GLsizei(zeros.size()), zeros.data());
			} else {
				glTexImage2D(FaceTarget(face), GLint(level), GLint(format.internalFormat), levelWidth, levelHeight, 0,
				             format.uploadFormat, format.uploadType, nullptr);
			}
		}
	}
	glActiveTexture(GL_TEXTURE0);
	if (!NoGLErrors()) {
		Destroy();
		return false;
	}
	return true;
}

void GLTextureStorage::Destroy() {
	if (name != 0) {
		glDeleteTextures(1, &name);
		GLObjectCounter::Deleted(GLObjectKind::Texture);
		name = 0;
	}
	copies.clear();
	alphaCoverage.Clear();
	levels = 0;
	width = 0;
	height = 0;
}

GLenum GLTextureStorage::FaceTarget(UINT face) const {
	return target == GL_TEXTURE_CUBE_MAP ? GL_TEXTURE_CUBE_MAP_POSITIVE_X + face : target;
}

D3DSURFACE_DESC GLTextureStorage::LevelDesc(UINT level) const {
	D3DSURFACE_DESC desc{};
	desc.Format = format.format;
	desc.Type = D3DRTYPE_SURFACE;
	desc.Usage = usage;
	desc.Pool = pool;
	desc.MultiSampleType = D3DMULTISAMPLE_NONE;
	desc.Width = Width(level);
	desc.Height = Height(level);
	return desc;
}

HRESULT GLTextureStorage::Lock(UINT face, UINT level, D3DLOCKED_RECT* locked, const RECT* rect, DWORD flags) {
	// Render targets live on the GPU only, as in Direct3D; read them back
	// through ReadRenderTargetPixels instead.
	if (locked == nullptr || !ValidLevel(face, level) || (usage & D3DUSAGE_RENDERTARGET) != 0) {
		return D3DERR_INVALIDCALL;
	}
	LevelCopy& copy = Copy(face, level);
	if (copy.locked) {
		return D3DERR_INVALIDCALL;
	}
	const UINT levelWidth = Width(level);
	const UINT levelHeight = Height(level);
	LONG left = 0;
	LONG top = 0;
	if (rect != nullptr) {
		if (rect->left < 0 || rect->top < 0 || rect->right > LONG(levelWidth) || rect->bottom > LONG(levelHeight) ||
		    rect->left >= rect->right || rect->top >= rect->bottom) {
			return D3DERR_INVALIDCALL;
		}
		left = rect->left;
		top = rect->top;
		if (format.compressed && (left % 4 != 0 || top % 4 != 0)) {
			return D3DERR_INVALIDCALL;
		}
	}
	if (copy.bytes.empty()) {
		if ((flags & D3DLOCK_DISCARD) != 0) {
			copy.bytes.assign(format.LevelBytes(levelWidth, levelHeight), 0);
		} else {
			ReadBack(face, level, copy.bytes);
		}
	}
	const UINT pitch = format.RowPitch(levelWidth);
	const size_t offset = format.compressed ? size_t(top / 4) * pitch + size_t(left / 4) * format.bytesPerUnit
	                                        : size_t(top) * pitch + size_t(left) * format.bytesPerUnit;
	locked->Pitch = INT(pitch);
	locked->pBits = copy.bytes.data() + offset;
	copy.locked = true;
	copy.readOnly = (flags & D3DLOCK_READONLY) != 0;
	return S_OK;
}

HRESULT GLTextureStorage::Unlock(UINT face, UINT level) {
	if (!ValidLevel(face, level) || !Copy(face, level).locked) {
		return D3DERR_INVALIDCALL;
	}
	LevelCopy& copy = Copy(face, level);
	copy.locked = false;
	if (!copy.readOnly) {
		Upload(face, level, copy.bytes.data(), copy.bytes.size());
	}
	return S_OK;
}

bool GLTextureStorage::Upload(UINT face, UINT level, const uint8_t* bytes, size_t size) {
	if (!ValidLevel(face, level) || bytes == nullptr) {
		return false;
	}
	const UINT levelWidth = Width(level);
	const UINT levelHeight = Height(level);
	const size_t expected = format.LevelBytes(levelWidth, levelHeight);
	if (size < expected) {
		return false;
	}
	ClearGLErrors();
	LevelCopy& copy = Copy(face, level);
	if (!copy.bytes.empty() && copy.bytes.data() != bytes) {
		std::memcpy(copy.bytes.data(), bytes, expected);
	}
	UpdateAlphaCoverage(face, level, bytes);
	BindForUpdate();
	if (format.compressed) {
		glCompressedTexSubImage2D(FaceTarget(face), GLint(level), 0, 0, GLsizei(levelWidth), GLsizei(levelHeight),
		                          format.internalFormat, GLsizei(expected), bytes);
	} else {
		glTexSubImage2D(FaceTarget(face), GLint(level), 0, 0, GLsizei(levelWidth), GLsizei(levelHeight),
		                format.uploadFormat, format.uploadType, bytes);
	}
	glActiveTexture(GL_TEXTURE0);
	return NoGLErrors();
}

void GLTextureStorage::UpdateAlphaCoverage(UINT face, UINT level, const uint8_t* bytes) {
	if (face != 0 || level != 0 || target != GL_TEXTURE_2D) {
		return;
	}
	// Both 8-bit orders keep alpha in the fourth byte.
	const bool alphaInFourthByte = format.format == D3DFMT_A8R8G8B8 || format.format == D3DFMT_A8B8G8R8;
	if (alphaInFourthByte && (usage & D3DUSAGE_RENDERTARGET) == 0) {
		alphaCoverage.Build(bytes, Width(0), Height(0), format.RowPitch(Width(0)), 3);
	} else {
		alphaCoverage.Clear();
	}
}

bool GLTextureStorage::GenerateMipmaps() {
	if (name == 0 || format.compressed) {
		return false;
	}
	ClearGLErrors();
	BindForUpdate();
	glGenerateMipmap(target);
	glActiveTexture(GL_TEXTURE0);
	// CPU copies of the lower levels no longer match.
	for (UINT face = 0; face < Faces(); ++face) {
		for (UINT level = 1; level < levels; ++level) {
			Copy(face, level).bytes.clear();
		}
	}
	return NoGLErrors();
}

void GLTextureStorage::ReadBack(UINT face, UINT level, std::vector<uint8_t>& bytes) const {
	bytes.assign(format.LevelBytes(Width(level), Height(level)), 0);
	BindForUpdate();
	if (format.compressed) {
		glGetCompressedTexImage(FaceTarget(face), GLint(level), bytes.data());
	} else {
		glGetTexImage(FaceTarget(face), GLint(level), format.uploadFormat, format.uploadType, bytes.data());
	}
	glActiveTexture(GL_TEXTURE0);
}

void GLTextureStorage::BindForUpdate() const {
	glActiveTexture(UPDATE_UNIT);
	glBindTexture(target, name);
}
