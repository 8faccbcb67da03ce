#pragma once
// D3DX meshes: X-file loading, cloning to a vertex format, subset drawing,
// buffer access and ray intersection.

#include "platform/gpu/D3DX9Tex.h"

constexpr DWORD D3DXMESH_32BIT = 0x001;
constexpr DWORD D3DXMESH_SYSTEMMEM = 0x110;
constexpr DWORD D3DXMESH_MANAGED = 0x220;
constexpr DWORD D3DXMESH_NPATCHES = 0x4000;

struct D3DXMATERIAL {
	D3DMATERIAL9 MatD3D;
	LPSTR pTextureFilename;  // relative to the X file's folder, or null
};

struct ID3DXMesh : public IUnknown {
	virtual HRESULT DrawSubset(DWORD attributeId) = 0;
	virtual DWORD GetNumFaces() = 0;
	virtual DWORD GetNumVertices() = 0;
	virtual DWORD GetFVF() = 0;
	virtual DWORD GetNumBytesPerVertex() = 0;
	virtual DWORD GetOptions() = 0;
	virtual HRESULT CloneMeshFVF(DWORD options, DWORD fvf, IDirect3DDevice9* device, ID3DXMesh** cloned) = 0;
	virtual HRESULT LockVertexBuffer(DWORD flags, void** data) = 0;
	virtual HRESULT UnlockVertexBuffer() = 0;
	virtual HRESULT LockIndexBuffer(DWORD flags, void** data) = 0;
	virtual HRESULT UnlockIndexBuffer() = 0;
	virtual HRESULT GetVertexBuffer(IDirect3DVertexBuffer9** buffer) = 0;
	virtual HRESULT GetIndexBuffer(IDirect3DIndexBuffer9** buffer) = 0;
};

// One entry of D3DXIntersect's all-hits buffer.
struct D3DXINTERSECTINFO {
	DWORD FaceIndex;
	float U;
	float V;
	float Dist;
};

HRESULT D3DXLoadMeshFromXA(LPCSTR fileName, DWORD options, IDirect3DDevice9* device, ID3DXBuffer** adjacency,
                           ID3DXBuffer** materials, ID3DXBuffer** effectInstances, DWORD* materialCount,
                           ID3DXMesh** mesh);
HRESULT D3DXLoadMeshFromXInMemory(const void* memory, DWORD sizeOfMemory, DWORD options, IDirect3DDevice9* device,
                                  ID3DXBuffer** adjacency, ID3DXBuffer** materials, ID3DXBuffer** effectInstances,
                                  DWORD* materialCount, ID3DXMesh** mesh);

// Nearest hit of the ray pos + t * dir (dir not normalised; t measured along
// it), both faces of a triangle counting.
HRESULT D3DXIntersect(ID3DXMesh* mesh, const D3DXVECTOR3* rayPos, const D3DXVECTOR3* rayDir, BOOL* hit,
                      DWORD* faceIndex, float* u, float* v, float* distance, ID3DXBuffer** allHits,
                      DWORD* hitCount);
