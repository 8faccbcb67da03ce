#pragma once
// One Mesh data object as the X file states it, before triangulation,
// normal splitting and the frame transform. Every index has been checked
// against its array by the parser.

#include "platform/gpu/D3D9.h"

#include <cstdint>
#include <string>
#include <vector>

struct MeshMaterial {
	D3DMATERIAL9 material{};
	std::string textureFilename;  // empty when the material names none
};

struct XFileMesh {
	std::vector<D3DVECTOR> positions;
	// Faces as polygons: corners of face f are faceCorners[faceStarts[f] .. faceStarts[f + 1]).
	std::vector<uint32_t> faceStarts{0};
	std::vector<uint32_t> faceCorners;

	// MeshNormals: its own normal array and, per face corner, a normal index.
	std::vector<D3DVECTOR> normals;
	std::vector<uint32_t> normalCorners;  // parallel to faceCorners; empty without normals

	std::vector<float> texcoords;  // u, v per position; empty without MeshTextureCoords

	std::vector<MeshMaterial> materials;
	std::vector<uint32_t> faceMaterials;  // per face; empty without a material list

	int frame = -1;  // index of the enclosing frame, -1 at the top level

	size_t FaceCount() const { return faceStarts.size() - 1; }
	bool HasNormals() const { return !normalCorners.empty(); }
	bool HasTexcoords() const { return !texcoords.empty(); }
};
