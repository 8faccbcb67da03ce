#pragma once
// A loaded mesh in CPU memory, ready to become an ID3DXMesh: the meshes of an
// X file merged into one, polygons split into triangle fans, vertices split
// where one position meets several normals, faces sorted by material so that
// each subset is one contiguous range.

#include "platform/mesh/XFileParser.h"

#include <cstdint>
#include <vector>

class MeshData {
public:
	// Merges every mesh of the file, each placed by its frame's world transform.
	void Build(const XFileContents& contents);

	size_t VertexCount() const { return positions.size(); }
	size_t FaceCount() const { return attributes.size(); }

	// Three DWORDs per face: the face across each edge (corners 0-1, 1-2,
	// 2-0), or 0xFFFFFFFF. Edges are matched by the file's positions, so
	// vertices split for their normals still join their neighbours.
	std::vector<DWORD> Adjacency() const;

	std::vector<D3DXVECTOR3> positions;
	std::vector<D3DXVECTOR3> normals;     // one per vertex when hasNormals
	std::vector<D3DXVECTOR2> texcoords;   // one per vertex when hasTexcoords
	std::vector<uint32_t> pointReps;      // the file position each vertex came from
	std::vector<uint32_t> indices;        // three per face
	std::vector<DWORD> attributes;        // material of each face, ascending
	std::vector<MeshMaterial> materials;
	bool hasNormals = false;
	bool hasTexcoords = false;

private:
	void AppendMesh(const XFileMesh& mesh, const D3DMATRIX& world, DWORD firstMaterial, DWORD fallbackMaterial);
	void SortFacesByAttribute();
};
