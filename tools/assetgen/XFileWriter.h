#pragma once
// Writes a mesh as a text DirectX file ("xof 0303txt 0032"): one Mesh with
// MeshNormals, MeshTextureCoords and a MeshMaterialList of inline Materials.
// Triangles only; faces are listed grouped by material.

#include "tools/assetgen/MeshMath.h"

#include <array>
#include <cstdint>
#include <string>
#include <vector>

struct XMaterial {
	std::array<float, 4> diffuse{1, 1, 1, 1};
	float power = 20;
	std::array<float, 3> specular{0.3f, 0.3f, 0.3f};
	std::array<float, 3> emissive{0, 0, 0};
	std::string textureFile;  // relative to the mesh's folder; empty for none
};

struct XVertex {
	Vec3 position;
	Vec3 normal;
	Vec2 uv;
};

struct XTriangle {
	uint32_t index[3];
	uint32_t material;
};

struct XMesh {
	std::vector<XVertex> vertices;
	std::vector<XTriangle> triangles;  // sorted by material
	std::vector<XMaterial> materials;
};

// Renders the mesh as .x text. Numbers are printed with fixed precision so
// the same mesh always gives the same bytes.
std::string WriteXFile(const XMesh& mesh);
