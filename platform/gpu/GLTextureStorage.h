#pragma once
// One OpenGL texture object with its levels (and faces, for a cube), plus the
// CPU copies that Lock hands out. Shared by the 2D and cube textures.

#include "platform/gpu/GLAlphaCoverage.h"
#include "platform/gpu/GLFormat.h"

#include <cstdint>
#include <vector>

class GLTextureStorage {
public:
	GLTextureStorage() = default;
	GLTextureStorage(const GLTextureStorage&) = delete;
	GLTextureStorage& operator=(const GLTextureStorage&) = delete;
	~GLTextureStorage();

	// Allocates every level (contents undefined). levels 0 means a full chain.
	bool Create(GLenum target, D3DFORMAT format, UINT width, UINT height, UINT levels, DWORD usage, D3DPOOL pool);
	void Destroy();

	GLuint Name() const { return name; }
	GLenum Target() const { return target; }
	const GLFormat& Format() const { return format; }
	UINT Width(UINT level) const { return MipExtent(width, level); }
	UINT Height(UINT level) const { return MipExtent(height, level); }
	UINT Levels() const { return levels; }
	UINT Faces() const { return target == GL_TEXTURE_CUBE_MAP ? 6 : 1; }
	DWORD Usage() const { return usage; }
	D3DPOOL Pool() const { return pool; }
	GLenum FaceTarget(UINT face) const;
	D3DSURFACE_DESC LevelDesc(UINT level) const;

	HRESULT Lock(UINT face, UINT level, D3DLOCKED_RECT* locked, const RECT* rect, DWORD flags);
	HRESULT Unlock(UINT face, UINT level);

	// Replaces a whole level; bytes must hold Format().LevelBytes of it.
	bool Upload(UINT face, UINT level, const uint8_t* bytes, size_t size);
	// Rebuilds levels 1.. from level 0 (uncompressed formats only).
	bool GenerateMipmaps();

	// Of level 0 as last uploaded; unknown for render targets, cube maps,
	// opaque and compressed formats.
	const GLAlphaCoverage& AlphaCoverage() const { return alphaCoverage; }

private:
	struct LevelCopy {
		std::vector<uint8_t> bytes;
		bool locked = false;
		bool readOnly = false;  // nothing to upload on Unlock
	};

	bool ValidLevel(UINT face, UINT level) const { return name != 0 && face < Faces() && level < levels; }
	LevelCopy& Copy(UINT face, UINT level) { return copies[face * levels + level]; }
	void ReadBack(UINT face, UINT level, std::vector<uint8_t>& bytes) const;
	void BindForUpdate() const;
	void UpdateAlphaCoverage(UINT face, UINT level, const uint8_t* bytes);

	GLuint name = 0;
	GLenum target = GL_TEXTURE_2D;
	GLFormat format;
	UINT width = 0;
	UINT height = 0;
	UINT levels = 0;
	DWORD usage = 0;
	D3DPOOL pool = D3DPOOL_MANAGED;
	std::vector<LevelCopy> copies;
	GLAlphaCoverage alphaCoverage;
};
