#pragma once
// Collision with the scenery. Nothing has a collision volume against the
// stage: whatever must not pass through it casts short rays at the map's
// (or a platform's) triangles and reacts to the distance of the first hit.
// The map's face-normal table turns a hit face into the wall's direction.

#include "platform/math/D3DXMath.h"
#include "platform/mesh/D3DX9Mesh.h"

#include <vector>

// The uniform scale the map is drawn at: its mesh is modelled at one fifth
// of world size.
constexpr float MAP_WORLD_SCALE = 5.0f;

struct RayCastResult {
	bool hit = false;
	DWORD face = 0;        // in the mesh's face order; indexes mapNormals for the map
	float distance = 0.0f;  // world units along the world direction
};

// Casts the world-space ray origin + t * direction at a mesh placed by
// world. The direction is carried into the mesh's frame as a normal and not
// renormalised, so for a unit direction the distance is in world units
// whatever the mesh's scale. No mesh, or a world matrix without inverse,
// hits nothing.
RayCastResult CastRay(ID3DXMesh* mesh, const D3DXMATRIX& world, const D3DXVECTOR3& origin,
                      const D3DXVECTOR3& direction);

// The unit world-space normal of every triangle, in face order, appended to
// normals; the winding (q - p) x (r - p) gives the side. A degenerate
// triangle gets the zero vector. False, with nothing appended, when the mesh
// is missing or its buffers cannot be read at the map's 32-byte layout.
bool AppendFaceNormals(ID3DXMesh* mesh, const D3DXMATRIX& world, std::vector<D3DXVECTOR3*>& normals);

// The same ray at the battle's stage map; no map, no hit.
RayCastResult CastRayAtMap(const D3DXVECTOR3& origin, const D3DXVECTOR3& direction);
// The map's unit normal of a face a map ray hit, or null when the table has
// no entry for it.
const D3DXVECTOR3* MapNormalOf(DWORD face);

// The push that keeps a wall of the map keep units from a ray starting at
// origin along the unit direction, measured from the wall's plane; the push
// runs along the wall's normal, so whatever walks into a wall at an angle
// slides along it. False when no wall is that near, or the wall lies
// parallel to the direction.
bool WallPushOut(const D3DXVECTOR3& origin, const D3DXVECTOR3& direction, float keep, D3DXVECTOR3& push);

// Frees every normal of the table and empties it.
void ClearFaceNormals(std::vector<D3DXVECTOR3*>& normals);
