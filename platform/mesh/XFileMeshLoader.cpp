#include "platform/mesh/XFileMeshLoader.h"

#include "platform/mesh/D3DXMeshObject.h"
#include "platform/mesh/MeshData.h"

#include <cstring>

namespace {

std::vector<uint8_t> EncodeVertices(const MeshData& data, const VertexFormat& format) {
	std::vector<uint8_t> bytes(data.VertexCount() * format.Stride(), 0);
	for (size_t vertex = 0; vertex < data.VertexCount(); ++vertex) {
		uint8_t* out = bytes.data() + vertex * format.Stride();
		std::memcpy(out, &data.positions[vertex], 12);
		if (format.HasNormal()) {
			std::memcpy(out + format.NormalOffset(), &data.normals[vertex], 12);
		}
		if (format.TexcoordSets() > 0) {
			std::memcpy(out + format.TexcoordOffset(0), &data.texcoords[vertex], 8);
		}
	}
	return bytes;
}

}  // namespace

void LoadedXFile::Release() {
	SafeRelease(mesh);
	SafeRelease(adjacency);
	SafeRelease(materials);
	materialCount = 0;
}

XFileMeshLoader::XFileMeshLoader(const XFileLimits& limits_) : limits(limits_) {}

HRESULT XFileMeshLoader::Load(std::span<const uint8_t> bytes, DWORD options, IDirect3DDevice9* device,
                              LoadedXFile& loaded, std::string& why) const {
	loaded = LoadedXFile();
	XFileContents contents;
	if (!XFileParser(limits).Parse(bytes, contents, why)) {
		return D3DXERR_INVALIDDATA;
	}
	MeshData data;
	data.Build(contents);
	if (data.FaceCount() == 0) {
		why = "the file's meshes have no faces";
		return D3DXERR_INVALIDDATA;
	}
	const DWORD fvf = D3DFVF_XYZ | (data.hasNormals ? D3DFVF_NORMAL : 0) | (data.hasTexcoords ? D3DFVF_TEX1 : 0);
	D3DXMeshObject* mesh = nullptr;
	const HRESULT created = D3DXMeshObject::Create(options, fvf, EncodeVertices(data, VertexFormat(fvf)), data.indices,
	                                               data.attributes, device, &mesh);
	if (FAILED(created)) {
		why = (options & D3DXMESH_32BIT) == 0 && data.VertexCount() > 0xFFFF
		          ? "too many vertices for 16-bit indices"
		          : "the mesh could not be created";
		return created;
	}
	loaded.mesh = mesh;
	loaded.adjacency = CreateAdjacencyBuffer(data);
	loaded.materials = CreateMaterialBuffer(data);
	loaded.materialCount = DWORD(data.materials.size());
	if (loaded.adjacency == nullptr || loaded.materials == nullptr) {
		loaded.Release();
		why = "out of memory";
		return E_OUTOFMEMORY;
	}
	return S_OK;
}

ID3DXBuffer* XFileMeshLoader::CreateAdjacencyBuffer(const MeshData& data) {
	const std::vector<DWORD> adjacency = data.Adjacency();
	ID3DXBuffer* buffer = nullptr;
	if (FAILED(D3DXCreateBuffer(DWORD(adjacency.size() * sizeof(DWORD)), &buffer))) {
		return nullptr;
	}
	std::memcpy(buffer->GetBufferPointer(), adjacency.data(), adjacency.size() * sizeof(DWORD));
	return buffer;
}

// The D3DXMATERIAL array comes first; each texture name follows it in the
// same block, so one Release frees everything.
ID3DXBuffer* XFileMeshLoader::CreateMaterialBuffer(const MeshData& data) {
	const size_t count = data.materials.size();
	size_t size = count * sizeof(D3DXMATERIAL);
	for (const MeshMaterial& material : data.materials) {
		if (!material.textureFilename.empty()) {
			size += material.textureFilename.size() + 1;
		}
	}
	ID3DXBuffer* buffer = nullptr;
	if (FAILED(D3DXCreateBuffer(DWORD(size), &buffer))) {
		return nullptr;
	}
	if (size == 0) {
		return buffer;
	}
	auto* base = static_cast<uint8_t*>(buffer->GetBufferPointer());
	auto* entries = reinterpret_cast<D3DXMATERIAL*>(base);
	char* names = reinterpret_cast<char*>(base + count * sizeof(D3DXMATERIAL));
	for (size_t i = 0; i < count; ++i) {
		const MeshMaterial& material = data.materials[i];
		entries[i].MatD3D = material.material;
		entries[i].pTextureFilename = nullptr;
		if (!material.textureFilename.empty()) {
			std::memcpy(names, material.textureFilename.c_str(), material.textureFilename.size() + 1);
			entries[i].pTextureFilename = names;
			names += material.textureFilename.size() + 1;
		}
	}
	return buffer;
}
