#include "render/Model.h"

#include "app/GraphicsDevice.h"

std::string FolderOf(const std::string& path) {
	const size_t separator = path.find_last_of("/\\");
	return separator == std::string::npos ? std::string() : path.substr(0, separator + 1);
}

bool Model::Load(const std::string& path) {
	// Loading over a loaded model would leak its mesh and textures.
	Release();
	const std::string folder = FolderOf(path);
	fileName = path.substr(folder.size());

	ID3DXBuffer* materialBuffer = nullptr;
	DWORD loadedCount = 0;
	ID3DXMesh* loadedMesh = nullptr;
	ID3DXBuffer* loadedAdjacency = nullptr;
	if (FAILED(D3DXLoadMeshFromXA(path.c_str(), D3DXMESH_MANAGED, GraphicsDevice::Get().device, &loadedAdjacency,
	                              &materialBuffer, nullptr, &loadedCount, &loadedMesh))) {
		return false;
	}
	mesh = loadedMesh;
	adjacency = loadedAdjacency;

	// A loader that reports more materials than its buffer holds is not
	// followed past the buffer.
	const DWORD bufferCount =
	    materialBuffer != nullptr ? materialBuffer->GetBufferSize() / DWORD(sizeof(D3DXMATERIAL)) : 0;
	materialCount = loadedCount < bufferCount ? loadedCount : bufferCount;
	textures = std::vector<Texture>(materialCount);
	materials.assign(materialCount, D3DMATERIAL9{});

	const D3DXMATERIAL* loaded =
	    materialBuffer != nullptr ? static_cast<const D3DXMATERIAL*>(materialBuffer->GetBufferPointer()) : nullptr;
	for (uint32_t i = 0; i < materialCount; ++i) {
		materials[i] = loaded[i].MatD3D;
		materials[i].Ambient = materials[i].Diffuse;
		// The name is appended as written, so sub-folders resolve below the
		// X file's folder; without a name the bare folder fails to load and
		// the entry stays empty.
		const char* textureName = loaded[i].pTextureFilename;
		textures[i].LoadFromFile(folder + (textureName != nullptr ? textureName : ""), false);
	}
	SafeRelease(materialBuffer);
	opaque = true;
	for (uint32_t i = 0; i < materialCount; ++i) {
		opaque = opaque && materials[i].Diffuse.a >= 1.0f && (textures[i].IsEmpty() || textures[i].IsOpaque());
	}
	return true;
}

void Model::Release() {
	for (Texture& texture : textures) {
		texture.Release();
	}
	materialCount = 0;
	opaque = true;
	textures.clear();
	materials.clear();
	SafeRelease(adjacency);
	SafeRelease(mesh);
	fileName.clear();
}

IDirect3DTexture9* Model::TextureOf(uint32_t material) const {
	return material < textures.size() ? textures[material].texture : nullptr;
}
