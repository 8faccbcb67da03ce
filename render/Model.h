#pragma once
// One mesh read from an X file, with one material and one texture per
// subset: subset i is drawn with materials[i] and textures[i].

#include "app/Texture.h"
#include "platform/mesh/D3DX9Mesh.h"

#include <cstdint>
#include <string>
#include <vector>

class Model {
public:
	Model() = default;
	Model(const Model&) = delete;
	Model& operator=(const Model&) = delete;
	~Model() { Release(); }

	// Loads the mesh and its materials; a material's texture is looked up in
	// the X file's own folder. A texture that does not load leaves its entry
	// empty. False (and the model empty) when the mesh does not load.
	bool Load(const std::string& path);
	// Back to the empty state; harmless when already empty.
	void Release();

	bool IsEmpty() const { return mesh == nullptr; }
	// Every material fully opaque, its texture too: such a model hides what
	// lies behind it, which drawing its depth first relies on.
	bool IsOpaque() const { return opaque; }
	// The texture of material i, or null when it has none.
	IDirect3DTexture9* TextureOf(uint32_t material) const;

	// A sphere around every vertex, in the model's own space, found at load;
	// a negative radius when the vertices could not be read.
	struct BoundingSphere {
		D3DXVECTOR3 center{0.0f, 0.0f, 0.0f};
		float radius = -1.0f;
	};
	const BoundingSphere& Bounds() const { return bounds; }

	ID3DXMesh* mesh = nullptr;
	std::vector<Texture> textures;        // materialCount entries
	std::vector<D3DMATERIAL9> materials;  // Ambient is a copy of Diffuse
	uint32_t materialCount = 0;
	ID3DXBuffer* adjacency = nullptr;
	std::string fileName;  // name and extension without the folder

private:
	void FindBounds();

	bool opaque = true;  // found at load
	BoundingSphere bounds;
};

// "data/robot/body.x" -> "data/robot/": everything up to the last separator.
std::string FolderOf(const std::string& path);
