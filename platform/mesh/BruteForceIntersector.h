#pragma once
// The reference ray-triangle search: every triangle tested in turn
// (Moller-Trumbore in double precision), both faces counting, the nearest
// hit with t >= 0 kept and ties going to the lower face index.

#include "platform/math/D3DXMath.h"
#include "platform/mesh/RayHit.h"

#include <cstdint>
#include <span>
#include <vector>

class BruteForceIntersector {
public:
	// Triangles whose indices leave the vertex array are never hit.
	BruteForceIntersector(std::span<const D3DXVECTOR3> positions, std::span<const uint32_t> indices);

	RayHit Intersect(const D3DXVECTOR3& origin, const D3DXVECTOR3& direction) const;

	// Every hit with t >= 0, in face order.
	std::vector<RayHit> AllHits(const D3DXVECTOR3& origin, const D3DXVECTOR3& direction) const;

private:
	bool IntersectTriangle(size_t face, const double origin[3], const double direction[3], RayHit& hit,
	                       double& exactT) const;

	std::vector<D3DXVECTOR3> positions;
	std::vector<uint32_t> indices;
};
