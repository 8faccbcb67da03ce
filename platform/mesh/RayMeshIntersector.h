#pragma once
// Nearest ray hit on a triangle mesh through an Embree BVH, built once per
// geometry. Same contract as BruteForceIntersector: both faces count, t is
// measured along the direction as given, faces are numbered in the order
// they were handed in.

#include "platform/math/D3DXMath.h"
#include "platform/mesh/RayHit.h"

#include <cstdint>
#include <span>
#include <vector>

typedef struct RTCSceneTy* RTCScene;

class RayMeshIntersector {
public:
	RayMeshIntersector() = default;
	~RayMeshIntersector();
	RayMeshIntersector(const RayMeshIntersector&) = delete;
	RayMeshIntersector& operator=(const RayMeshIntersector&) = delete;

	// Replaces the geometry; false when Embree is unavailable or there is
	// nothing to build. Triangles with an index outside positions are dropped.
	bool Build(std::span<const D3DXVECTOR3> positions, std::span<const uint32_t> indices);
	bool IsBuilt() const { return scene != nullptr; }

	// Whether this exact geometry is what the BVH holds, so that an edit
	// that changed nothing needs no rebuild.
	bool Holds(std::span<const D3DXVECTOR3> positions, std::span<const uint32_t> indices) const;

	RayHit Intersect(const D3DXVECTOR3& origin, const D3DXVECTOR3& direction) const;

private:
	void Clear();

	RTCScene scene = nullptr;
	std::vector<D3DXVECTOR3> builtPositions;
	std::vector<uint32_t> builtIndices;
};
