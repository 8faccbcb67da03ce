#pragma once
// Turns the bytes of an X file into what D3DXLoadMeshFromX hands out: the
// mesh, its adjacency and its D3DXMATERIAL array (texture names stored
// inside the same buffer), with a reason on failure.

#include "platform/mesh/D3DX9Mesh.h"
#include "platform/mesh/XFileParser.h"

#include <cstdint>
#include <span>
#include <string>

class MeshData;

struct LoadedXFile {
	ID3DXMesh* mesh = nullptr;
	ID3DXBuffer* adjacency = nullptr;
	ID3DXBuffer* materials = nullptr;
	DWORD materialCount = 0;

	void Release();
};

class XFileMeshLoader {
public:
	explicit XFileMeshLoader(const XFileLimits& limits = XFileLimits());

	// device may be null: the mesh then stays in CPU memory and cannot be drawn.
	HRESULT Load(std::span<const uint8_t> bytes, DWORD options, IDirect3DDevice9* device, LoadedXFile& loaded,
	             std::string& why) const;

private:
	static ID3DXBuffer* CreateMaterialBuffer(const MeshData& data);
	static ID3DXBuffer* CreateAdjacencyBuffer(const MeshData& data);

	XFileLimits limits;
};
