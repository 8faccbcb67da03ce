// The D3DX mesh entry points over XFileMeshLoader and D3DXMeshObject.

#include "platform/mesh/D3DX9Mesh.h"

#include "platform/mesh/D3DXMeshObject.h"
#include "platform/mesh/XFileMeshLoader.h"
#include "platform/system/DataPath.h"

#include <cstring>

namespace {

constexpr size_t MAX_X_FILE_BYTES = 64u * 1024u * 1024u;

// Hands the loaded pieces to whichever outputs the caller asked for.
HRESULT Deliver(LoadedXFile& loaded, ID3DXBuffer** adjacency, ID3DXBuffer** materials, ID3DXBuffer** effectInstances,
                DWORD* materialCount, ID3DXMesh** mesh) {
	if (adjacency != nullptr) {
		*adjacency = loaded.adjacency;
		loaded.adjacency = nullptr;
	}
	if (materials != nullptr) {
		*materials = loaded.materials;
		loaded.materials = nullptr;
	}
	if (effectInstances != nullptr) {
		*effectInstances = nullptr;  // X files here carry no effect instances
	}
	if (materialCount != nullptr) {
		*materialCount = loaded.materialCount;
	}
	*mesh = loaded.mesh;
	loaded.mesh = nullptr;
	loaded.Release();
	return S_OK;
}

HRESULT LoadFromBytes(std::span<const uint8_t> bytes, DWORD options, IDirect3DDevice9* device, ID3DXBuffer** adjacency,
                      ID3DXBuffer** materials, ID3DXBuffer** effectInstances, DWORD* materialCount,
                      ID3DXMesh** mesh) {
	LoadedXFile loaded;
	std::string why;
	const HRESULT result = XFileMeshLoader().Load(bytes, options, device, loaded, why);
	if (FAILED(result)) {
		return result;
	}
	return Deliver(loaded, adjacency, materials, effectInstances, materialCount, mesh);
}

}  // namespace

HRESULT D3DXLoadMeshFromXA(LPCSTR fileName, DWORD options, IDirect3DDevice9* device, ID3DXBuffer** adjacency,
                           ID3DXBuffer** materials, ID3DXBuffer** effectInstances, DWORD* materialCount,
                           ID3DXMesh** mesh) {
	if (fileName == nullptr || mesh == nullptr) {
		return D3DERR_INVALIDCALL;
	}
	*mesh = nullptr;
	std::vector<uint8_t> bytes;
	std::string why;
	if (!ReadDataFile(fileName, bytes, MAX_X_FILE_BYTES, why)) {
		return E_FAIL;
	}
	return LoadFromBytes(bytes, options, device, adjacency, materials, effectInstances, materialCount, mesh);
}

HRESULT D3DXLoadMeshFromXInMemory(const void* memory, DWORD sizeOfMemory, DWORD options, IDirect3DDevice9* device,
                                  ID3DXBuffer** adjacency, ID3DXBuffer** materials, ID3DXBuffer** effectInstances,
                                  DWORD* materialCount, ID3DXMesh** mesh) {
	if ((memory == nullptr && sizeOfMemory != 0) || mesh == nullptr) {
		return D3DERR_INVALIDCALL;
	}
	*mesh = nullptr;
	const std::span<const uint8_t> bytes(static_cast<const uint8_t*>(memory), sizeOfMemory);
	return LoadFromBytes(bytes, options, device, adjacency, materials, effectInstances, materialCount, mesh);
}

HRESULT D3DXIntersect(ID3DXMesh* mesh, const D3DXVECTOR3* rayPos, const D3DXVECTOR3* rayDir, BOOL* hit,
                      DWORD* faceIndex, float* u, float* v, float* distance, ID3DXBuffer** allHits,
                      DWORD* hitCount) {
	auto* object = dynamic_cast<D3DXMeshObject*>(mesh);
	if (object == nullptr || rayPos == nullptr || rayDir == nullptr || hit == nullptr) {
		return D3DERR_INVALIDCALL;
	}
	const RayHit nearest = object->Intersect(*rayPos, *rayDir);
	*hit = nearest.hit ? TRUE : FALSE;
	if (faceIndex != nullptr) {
		*faceIndex = nearest.face;
	}
	if (u != nullptr) {
		*u = nearest.u;
	}
	if (v != nullptr) {
		*v = nearest.v;
	}
	if (distance != nullptr) {
		*distance = nearest.t;
	}
	if (allHits != nullptr || hitCount != nullptr) {
		const std::vector<RayHit> hits = object->AllHits(*rayPos, *rayDir);
		if (hitCount != nullptr) {
			*hitCount = DWORD(hits.size());
		}
		if (allHits != nullptr) {
			*allHits = nullptr;
			if (!hits.empty()) {
				ID3DXBuffer* buffer = nullptr;
				if (SUCCEEDED(D3DXCreateBuffer(DWORD(hits.size() * sizeof(D3DXINTERSECTINFO)), &buffer))) {
					auto* entries = static_cast<D3DXINTERSECTINFO*>(buffer->GetBufferPointer());
					for (size_t i = 0; i < hits.size(); ++i) {
						entries[i] = D3DXINTERSECTINFO{hits[i].face, hits[i].u, hits[i].v, hits[i].t};
					}
					*allHits = buffer;
				}
			}
		}
	}
	return S_OK;
}
