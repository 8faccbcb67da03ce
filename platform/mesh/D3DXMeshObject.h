#pragma once
// ID3DXMesh over CPU copies of the vertex and index data, mirrored into GPU
// buffers created through the device's own CreateVertexBuffer and
// CreateIndexBuffer. Without a device the mesh lives in CPU memory only:
// locking, cloning and intersection work, DrawSubset refuses.
//
// Faces are sorted by attribute, so subset i is one contiguous range and
// one DrawIndexedPrimitive call; that sorted order is the face order seen
// by the index buffer and by ray intersection.

#include "platform/mesh/D3DX9Mesh.h"
#include "platform/mesh/RayHit.h"
#include "platform/mesh/RayMeshIntersector.h"
#include "platform/mesh/VertexFormat.h"
#include "platform/system/RefCounted.h"

#include <cstdint>
#include <span>
#include <vector>

class D3DXMeshObject : public RefCounted<ID3DXMesh> {
public:
	// vertices holds vertexCount vertices in fvf's layout; indices three per
	// face; attributes one per face, in ascending order. Fails when a 16-bit
	// index cannot address every vertex (without D3DXMESH_32BIT), when an
	// index is out of range or when the device refuses a buffer.
	static HRESULT Create(DWORD options, DWORD fvf, std::vector<uint8_t> vertices, std::span<const uint32_t> indices,
	                      std::vector<DWORD> attributes, IDirect3DDevice9* device, D3DXMeshObject** mesh);

	HRESULT DrawSubset(DWORD attributeId) override;
	DWORD GetNumFaces() override { return DWORD(attributes.size()); }
	DWORD GetNumVertices() override { return DWORD(vertexCount); }
	DWORD GetFVF() override { return format.Fvf(); }
	DWORD GetNumBytesPerVertex() override { return format.Stride(); }
	DWORD GetOptions() override { return options; }
	HRESULT CloneMeshFVF(DWORD options, DWORD fvf, IDirect3DDevice9* device, ID3DXMesh** cloned) override;
	HRESULT LockVertexBuffer(DWORD flags, void** data) override;
	HRESULT UnlockVertexBuffer() override;
	HRESULT LockIndexBuffer(DWORD flags, void** data) override;
	HRESULT UnlockIndexBuffer() override;
	HRESULT GetVertexBuffer(IDirect3DVertexBuffer9** buffer) override;
	HRESULT GetIndexBuffer(IDirect3DIndexBuffer9** buffer) override;

	// Nearest hit through the BVH, rebuilt first if the data was edited.
	RayHit Intersect(const D3DXVECTOR3& origin, const D3DXVECTOR3& direction);
	std::vector<RayHit> AllHits(const D3DXVECTOR3& origin, const D3DXVECTOR3& direction) const;

	std::vector<D3DXVECTOR3> Positions() const;
	std::vector<uint32_t> TriangleIndices() const;
	std::span<const DWORD> Attributes() const { return attributes; }
	bool Uses32BitIndices() const { return indexBytes == 4; }
	bool HasGpuBuffers() const { return vertexBuffer != nullptr; }
	bool IsAccelerated() const { return intersector.IsBuilt(); }

private:
	struct Subset {
		DWORD attributeId;
		UINT firstFace;
		UINT faceCount;
		UINT minVertex;
		UINT maxVertex;
	};

	D3DXMeshObject(DWORD options, DWORD fvf, IDirect3DDevice9* device);
	~D3DXMeshObject() override;

	HRESULT CreateGpuBuffers();
	HRESULT UploadIfStale();
	void BuildSubsets();
	void RebuildIntersectorIfStale();

	DWORD options;
	VertexFormat format;
	IDirect3DDevice9* device;
	size_t vertexCount = 0;
	size_t indexBytes = 2;
	std::vector<uint8_t> vertexData;
	std::vector<uint8_t> indexData;
	std::vector<DWORD> attributes;
	std::vector<Subset> subsets;

	IDirect3DVertexBuffer9* vertexBuffer = nullptr;
	IDirect3DIndexBuffer9* indexBuffer = nullptr;
	int vertexLocks = 0;
	int indexLocks = 0;
	bool vertexWritten = false;
	bool indexWritten = false;
	bool gpuStale = false;
	bool intersectorStale = false;
	RayMeshIntersector intersector;
};
