#include "render/Model.h"

#include "app/GraphicsDevice.h"

#include <algorithm>
#include <cmath>
#include <cstring>

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
	FindBounds();
	return true;
}

// The box's centre and the farthest vertex from it: not the smallest sphere,
// but a tight one for the game's part-shaped meshes, found in one pass more.
void Model::FindBounds() {
	bounds = BoundingSphere{};
	const DWORD count = mesh->GetNumVertices();
	const DWORD stride = mesh->GetNumBytesPerVertex();
	void* data = nullptr;
	if ((mesh->GetFVF() & D3DFVF_XYZ) == 0 || (mesh->GetFVF() & D3DFVF_XYZRHW) != 0 || count == 0 ||
	    stride < 3 * sizeof(float) || FAILED(mesh->LockVertexBuffer(D3DLOCK_READONLY, &data))) {
		return;
	}
	auto position = [data, stride](DWORD i) {
		D3DXVECTOR3 p;
		std::memcpy(&p, static_cast<const uint8_t*>(data) + size_t(i) * stride, sizeof(p));
		return p;
	};
	D3DXVECTOR3 low = position(0);
	D3DXVECTOR3 high = low;
	for (DWORD i = 1; i < count; ++i) {
		const D3DXVECTOR3 p = position(i);
		low = D3DXVECTOR3(std::min(low.x, p.x), std::min(low.y, p.y), std::min(low.z, p.z));
		high = D3DXVECTOR3(std::max(high.x, p.x), std::max(high.y, p.y), std::max(high.z, p.z));
	}
	const D3DXVECTOR3 center = (low + high) * 0.5f;
	float farthest = 0.0f;
	for (DWORD i = 0; i < count; ++i) {
		const D3DXVECTOR3 offset = position(i) - center;
		farthest = std::max(farthest, D3DXVec3Length(&offset));
	}
	mesh->UnlockVertexBuffer();
	if (std::isfinite(farthest) && std::isfinite(center.x) && std::isfinite(center.y) && std::isfinite(center.z)) {
		// A hair more, so rounding never cuts off a vertex on the surface.
		bounds.center = center;
		bounds.radius = farthest * 1.0001f + 1e-4f;
	}
}

void Model::Release() {
	for (Texture& texture : textures) {
		texture.Release();
	}
	materialCount = 0;
	opaque = true;
	bounds = BoundingSphere{};
	textures.clear();
	materials.clear();
	SafeRelease(adjacency);
	SafeRelease(mesh);
	fileName.clear();
}

IDirect3DTexture9* Model::TextureOf(uint32_t material) const {
	return material < textures.size() ? textures[material].texture : nullptr;
}
