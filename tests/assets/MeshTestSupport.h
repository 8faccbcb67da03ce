#pragma once
// Helpers for the generated-mesh tests: reading a .x file through Assimp
// (an X reader independent of ours), the counts our writer put in the file's
// header sections, and a brute-force ray cast over loaded triangles.

#include "tools/assetgen/MeshMath.h"

#include <optional>
#include <string>
#include <vector>

struct MeshCounts {
	size_t vertices = 0;
	size_t faces = 0;
	size_t materials = 0;
};

struct Triangle {
	Vec3 a, b, c;
	Vec3 normal;       // the file's normal at corner a, transformed
	int material = 0;  // index of the material in the file
	Vec2 uv[3];        // texture coordinates at a, b, c
};

struct LoadedMesh {
	bool loaded = false;
	MeshCounts counts;  // as Assimp reports them
	std::vector<Triangle> triangles;
	std::vector<std::string> textureFiles;  // per material, empty for none
	std::vector<Vec3> diffuse, emissive;     // per material
	std::string folder;                      // the file's folder, for its textures
	Vec3 low{1e30f, 1e30f, 1e30f}, high{-1e30f, -1e30f, -1e30f};
};

std::string ReadTextFile(const std::string& path);

// The counts the .x text declares: the Mesh's vertex and face arrays and the
// MeshMaterialList's material count.
std::optional<MeshCounts> CountsFromXText(const std::string& text);

// Loads with left-handed conversion and vertex joining, every triangle
// placed by `placement` (row-vector, applied after the file's own frames).
LoadedMesh LoadMesh(const std::string& path, const Mat4& placement = Mat4::Identity());

struct RayHit {
	bool hit = false;
	float distance = 0;
	int triangle = -1;
};

// Nearest hit along origin + t * direction with t > 0; both faces count.
RayHit CastRay(const std::vector<Triangle>& triangles, const Vec3& origin, const Vec3& direction);

// Signed volume of the surface: positive when faces wind clockwise seen
// from outside (their edge cross products point outward).
float SignedVolume(const std::vector<Triangle>& triangles);
