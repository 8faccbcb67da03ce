#include "player/MapCollision.h"

#include "render/MapModel.h"
#include "scene/SceneManager.h"

#include <cmath>
#include <cstdint>
#include <cstring>

namespace {

D3DXVECTOR3 ReadPosition(const uint8_t* vertices, DWORD stride, DWORD index) {
	D3DXVECTOR3 position;
	std::memcpy(&position, vertices + size_t(index) * stride, sizeof(position));
	return position;
}

DWORD ReadIndex(const void* indices, bool wide, size_t at) {
	if (wide) {
		return static_cast<const uint32_t*>(indices)[at];
	}
	return static_cast<const uint16_t*>(indices)[at];
}

}  // namespace

RayCastResult CastRay(ID3DXMesh* mesh, const D3DXMATRIX& world, const D3DXVECTOR3& origin,
                      const D3DXVECTOR3& direction) {
	RayCastResult result;
	if (mesh == nullptr) {
		return result;
	}
	D3DXMATRIX inverse;
	if (D3DXMatrixInverse(&inverse, nullptr, &world) == nullptr) {
		return result;
	}
	D3DXVECTOR3 localOrigin;
	D3DXVECTOR3 localDirection;
	D3DXVec3TransformCoord(&localOrigin, &origin, &inverse);
	D3DXVec3TransformNormal(&localDirection, &direction, &inverse);

	BOOL hit = FALSE;
	if (FAILED(D3DXIntersect(mesh, &localOrigin, &localDirection, &hit, &result.face, nullptr, nullptr,
	                         &result.distance, nullptr, nullptr))) {
		return RayCastResult{};
	}
	result.hit = hit != FALSE;
	return result;
}

RayCastResult CastRayAtMap(const D3DXVECTOR3& origin, const D3DXVECTOR3& direction) {
	if (sceneManager == nullptr) {
		return RayCastResult{};
	}
	return CastRay(sceneManager->map.model.mesh, sceneManager->map.world, origin, direction);
}

const D3DXVECTOR3* MapNormalOf(DWORD face) {
	if (sceneManager == nullptr || face >= sceneManager->mapNormals.size()) {
		return nullptr;
	}
	return sceneManager->mapNormals[face];
}

bool WallPushOut(const D3DXVECTOR3& origin, const D3DXVECTOR3& direction, float keep, D3DXVECTOR3& push) {
	const RayCastResult wall = CastRayAtMap(origin, direction);
	const D3DXVECTOR3* normal = wall.hit ? MapNormalOf(wall.face) : nullptr;
	if (normal == nullptr) {
		return false;
	}
	const float g = -D3DXVec3Dot(normal, &direction);
	if (g == 0.0f) {
		return false;
	}
	const float h = std::fabs(keep / g);
	if (h <= wall.distance) {
		return false;
	}
	push = *normal * ((h - wall.distance) * g);
	return true;
}

bool AppendFaceNormals(ID3DXMesh* mesh, const D3DXMATRIX& world, std::vector<D3DXVECTOR3*>& normals) {
	if (mesh == nullptr) {
		return false;
	}
	const DWORD stride = mesh->GetNumBytesPerVertex();
	const DWORD vertexCount = mesh->GetNumVertices();
	const DWORD faceCount = mesh->GetNumFaces();
	const bool wideIndices = (mesh->GetOptions() & D3DXMESH_32BIT) != 0;
	if (stride < sizeof(D3DXVECTOR3)) {
		return false;
	}
	// Read-only locks: the table is built from the buffers, nothing is written back.
	void* indices = nullptr;
	if (FAILED(mesh->LockIndexBuffer(D3DLOCK_READONLY, &indices)) || indices == nullptr) {
		return false;
	}
	void* vertices = nullptr;
	if (FAILED(mesh->LockVertexBuffer(D3DLOCK_READONLY, &vertices)) || vertices == nullptr) {
		mesh->UnlockIndexBuffer();
		return false;
	}

	std::vector<D3DXVECTOR3*> built;
	built.reserve(faceCount);
	bool indicesValid = true;
	for (DWORD face = 0; face < faceCount && indicesValid; ++face) {
		DWORD corner[3];
		for (int i = 0; i < 3; ++i) {
			corner[i] = ReadIndex(indices, wideIndices, size_t(face) * 3 + size_t(i));
			indicesValid = indicesValid && corner[i] < vertexCount;
		}
		if (!indicesValid) {
			break;
		}
		const auto* bytes = static_cast<const uint8_t*>(vertices);
		const D3DXVECTOR3 p = ReadPosition(bytes, stride, corner[0]);
		const D3DXVECTOR3 q = ReadPosition(bytes, stride, corner[1]);
		const D3DXVECTOR3 r = ReadPosition(bytes, stride, corner[2]);
		const D3DXVECTOR3 e = q - p;
		const D3DXVECTOR3 f = r - p;
		D3DXVECTOR3 local;
		D3DXVec3Cross(&local, &e, &f);
		D3DXVECTOR3 carried;
		D3DXVec3TransformNormal(&carried, &local, &world);
		D3DXVECTOR3 normal;
		D3DXVec3Normalize(&normal, &carried);
		built.push_back(new D3DXVECTOR3(normal));
	}
	mesh->UnlockVertexBuffer();
	mesh->UnlockIndexBuffer();

	// A face pointing outside the vertices means the table could not be
	// indexed by every hit; keep none of it.
	if (!indicesValid) {
		ClearFaceNormals(built);
		return false;
	}
	normals.insert(normals.end(), built.begin(), built.end());
	return true;
}

void ClearFaceNormals(std::vector<D3DXVECTOR3*>& normals) {
	for (D3DXVECTOR3* normal : normals) {
		delete normal;
	}
	normals.clear();
}

void MapModel::BuildFaceNormals() {
	D3DXMatrixIdentity(&world);
	D3DXMATRIX placement;
	D3DXMatrixTranslation(&placement, 0.0f, 0.0f, 0.0f);
	D3DXMATRIX scale;
	D3DXMatrixScaling(&scale, MAP_WORLD_SCALE, MAP_WORLD_SCALE, MAP_WORLD_SCALE);
	world = scale * placement;
	if (sceneManager != nullptr) {
		// A rebuilt table replaces the old one: hit faces index it directly.
		ClearFaceNormals(sceneManager->mapNormals);
		AppendFaceNormals(model.mesh, world, sceneManager->mapNormals);
	}
}
