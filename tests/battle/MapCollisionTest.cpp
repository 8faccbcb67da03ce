// The map's face-normal table and the shared ray cast, on the generated
// stage map and on small hand-written meshes, compared with a brute-force
// search in world space.

#include "platform/mesh/BruteForceIntersector.h"
#include "platform/system/DataPath.h"
#include "player/MapCollision.h"
#include "render/MapModel.h"
#include "scene/SceneManager.h"

#include <gtest/gtest.h>

#include <cmath>
#include <cstring>
#include <filesystem>
#include <random>
#include <string>

namespace {

const char* const MAP_FILE = "data/map/Map_01.x";

// Face 0 lies in y = 0 and winds towards +y; face 1 is degenerate.
const char* const FLOOR_AND_SLIVER = R"(xof 0303txt 0032
Mesh Floor {
 4;
 0.0;0.0;0.0;,
 0.0;0.0;1.0;,
 1.0;0.0;0.0;,
 2.0;0.0;0.0;;
 2;
 3;0,1,2;,
 3;0,2,3;;
}
)";

struct MeshHandle {
	ID3DXMesh* mesh = nullptr;
	~MeshHandle() { SafeRelease(mesh); }
};

bool LoadFromText(const char* text, MeshHandle& out) {
	return SUCCEEDED(D3DXLoadMeshFromXInMemory(text, DWORD(std::strlen(text)), D3DXMESH_MANAGED, nullptr, nullptr,
	                                          nullptr, nullptr, nullptr, &out.mesh));
}

// The mesh's triangles in world space, read without the collision code.
struct WorldTriangles {
	std::vector<D3DXVECTOR3> positions;
	std::vector<uint32_t> indices;

	WorldTriangles(ID3DXMesh* mesh, const D3DXMATRIX& world) {
		void* vertices = nullptr;
		mesh->LockVertexBuffer(D3DLOCK_READONLY, &vertices);
		for (DWORD i = 0; i < mesh->GetNumVertices(); ++i) {
			D3DXVECTOR3 local;
			std::memcpy(&local, static_cast<const uint8_t*>(vertices) + i * mesh->GetNumBytesPerVertex(), 12);
			D3DXVECTOR3 placed;
			D3DXVec3TransformCoord(&placed, &local, &world);
			positions.push_back(placed);
		}
		mesh->UnlockVertexBuffer();
		void* data = nullptr;
		mesh->LockIndexBuffer(D3DLOCK_READONLY, &data);
		const bool wide = (mesh->GetOptions() & D3DXMESH_32BIT) != 0;
		for (DWORD i = 0; i < mesh->GetNumFaces() * 3; ++i) {
			indices.push_back(wide ? static_cast<const uint32_t*>(data)[i] : static_cast<const uint16_t*>(data)[i]);
		}
		mesh->UnlockIndexBuffer();
	}

	D3DXVECTOR3 Corner(DWORD face, int corner) const { return positions[indices[face * 3 + corner]]; }
};

class StageMapCollision : public ::testing::Test {
protected:
	void SetUp() override {
		if (!std::filesystem::exists(ResolveDataPath(MAP_FILE))) {
			GTEST_SKIP() << "the stage map has not been generated in this build";
		}
		manager = new SceneManager([](int32_t) { return nullptr; });
		sceneManager = manager;
		ASSERT_TRUE(manager->map.Load(MAP_FILE));
		manager->map.BuildFaceNormals();
	}
	void TearDown() override {
		if (manager != nullptr) {
			ClearFaceNormals(manager->mapNormals);
			delete manager;
		}
		sceneManager = nullptr;
	}

	ID3DXMesh* Mesh() const { return manager->map.model.mesh; }

	SceneManager* manager = nullptr;
};

TEST_F(StageMapCollision, TheMapIsScaledByFiveWithOneUnitNormalPerTriangleInItsWinding) {
	const D3DXMATRIX& world = manager->map.world;
	EXPECT_FLOAT_EQ(world._11, 5.0f);
	EXPECT_FLOAT_EQ(world._22, 5.0f);
	EXPECT_FLOAT_EQ(world._33, 5.0f);
	EXPECT_FLOAT_EQ(world._44, 1.0f);
	EXPECT_FLOAT_EQ(world._41 + world._42 + world._43 + world._12 + world._21, 0.0f);

	ASSERT_GT(Mesh()->GetNumFaces(), 1000u);
	ASSERT_EQ(manager->mapNormals.size(), size_t(Mesh()->GetNumFaces()));
	const WorldTriangles triangles(Mesh(), world);
	for (DWORD face = 0; face < Mesh()->GetNumFaces(); ++face) {
		const D3DXVECTOR3& normal = *manager->mapNormals[face];
		ASSERT_NEAR(D3DXVec3Length(&normal), 1.0f, 1e-5f) << "face " << face;
		const D3DXVECTOR3 p = triangles.Corner(face, 0);
		const D3DXVECTOR3 e = triangles.Corner(face, 1) - p;
		const D3DXVECTOR3 f = triangles.Corner(face, 2) - p;
		D3DXVECTOR3 winding;
		D3DXVec3Cross(&winding, &e, &f);
		// Perpendicular to both edges and on the side the winding gives.
		ASSERT_NEAR(D3DXVec3Dot(&normal, &e) / D3DXVec3Length(&e), 0.0f, 1e-4f) << "face " << face;
		ASSERT_NEAR(D3DXVec3Dot(&normal, &f) / D3DXVec3Length(&f), 0.0f, 1e-4f) << "face " << face;
		ASSERT_GT(D3DXVec3Dot(&normal, &winding), 0.0f) << "face " << face;
	}
}

TEST_F(StageMapCollision, BuildingTheTableAgainReplacesIt) {
	const size_t faces = manager->mapNormals.size();
	manager->map.BuildFaceNormals();
	EXPECT_EQ(manager->mapNormals.size(), faces);
}

TEST_F(StageMapCollision, ADownwardRayFromAboveTheOriginMeasuresWorldUnits) {
	const D3DXVECTOR3 origin(0.0f, 100.0f, 0.0f);
	const D3DXVECTOR3 down(0.0f, -1.0f, 0.0f);
	const RayCastResult cast = CastRay(Mesh(), manager->map.world, origin, down);
	const WorldTriangles triangles(Mesh(), manager->map.world);
	const RayHit expected = BruteForceIntersector(triangles.positions, triangles.indices).Intersect(origin, down);
	ASSERT_TRUE(expected.hit);
	ASSERT_TRUE(cast.hit);
	EXPECT_EQ(cast.face, expected.face);
	EXPECT_NEAR(cast.distance, expected.t, 1e-3f);
	// The floor under the start faces up, and the hit point lies on its plane.
	const D3DXVECTOR3& normal = *manager->mapNormals[cast.face];
	EXPECT_GT(normal.y, 0.99f);
	const D3DXVECTOR3 point = origin + cast.distance * down;
	const D3DXVECTOR3 toCorner = triangles.Corner(cast.face, 0) - point;
	EXPECT_NEAR(D3DXVec3Dot(&toCorner, &normal), 0.0f, 1e-3f);
}

TEST_F(StageMapCollision, RandomRaysAgreeWithABruteForceSearchInWorldSpace) {
	const WorldTriangles triangles(Mesh(), manager->map.world);
	const BruteForceIntersector reference(triangles.positions, triangles.indices);
	D3DXVECTOR3 lower(1e30f, 1e30f, 1e30f), upper(-1e30f, -1e30f, -1e30f);
	for (const D3DXVECTOR3& p : triangles.positions) {
		lower = D3DXVECTOR3(std::min(lower.x, p.x), std::min(lower.y, p.y), std::min(lower.z, p.z));
		upper = D3DXVECTOR3(std::max(upper.x, p.x), std::max(upper.y, p.y), std::max(upper.z, p.z));
	}
	std::mt19937 random(11);
	std::uniform_real_distribution<float> unit(0.0f, 1.0f);
	int hits = 0;
	for (int ray = 0; ray < 300; ++ray) {
		const D3DXVECTOR3 origin(lower.x + unit(random) * (upper.x - lower.x),
		                         lower.y + unit(random) * (upper.y - lower.y),
		                         lower.z + unit(random) * (upper.z - lower.z));
		D3DXVECTOR3 direction(unit(random) - 0.5f, unit(random) - 0.5f, unit(random) - 0.5f);
		D3DXVec3Normalize(&direction, &direction);
		const RayHit expected = reference.Intersect(origin, direction);
		const RayCastResult cast = CastRay(Mesh(), manager->map.world, origin, direction);
		ASSERT_EQ(cast.hit, expected.hit) << "ray " << ray;
		if (!expected.hit) {
			continue;
		}
		++hits;
		EXPECT_EQ(cast.face, expected.face) << "ray " << ray;
		EXPECT_NEAR(cast.distance, expected.t, std::max(1e-3f, expected.t * 1e-4f)) << "ray " << ray;
	}
	EXPECT_GT(hits, 100);
}

TEST(MapCollision, ARotatedMeshGetsRotatedNormalsAndTheDegenerateTriangleZero) {
	MeshHandle floor;
	ASSERT_TRUE(LoadFromText(FLOOR_AND_SLIVER, floor));
	D3DXMATRIX tilt;
	D3DXMatrixRotationX(&tilt, D3DX_PI / 2.0f);
	std::vector<D3DXVECTOR3*> normals;
	ASSERT_TRUE(AppendFaceNormals(floor.mesh, tilt, normals));
	ASSERT_EQ(normals.size(), 2u);
	// +y carried a quarter turn about x becomes +z.
	EXPECT_NEAR(normals[0]->x, 0.0f, 1e-6f);
	EXPECT_NEAR(normals[0]->y, 0.0f, 1e-6f);
	EXPECT_NEAR(normals[0]->z, 1.0f, 1e-6f);
	EXPECT_EQ(*normals[1], D3DXVECTOR3(0.0f, 0.0f, 0.0f));
	ClearFaceNormals(normals);
	EXPECT_TRUE(normals.empty());
}

TEST(MapCollision, WithoutAMeshThereIsNoTableAndNoHit) {
	std::vector<D3DXVECTOR3*> normals;
	D3DXMATRIX identity;
	D3DXMatrixIdentity(&identity);
	EXPECT_FALSE(AppendFaceNormals(nullptr, identity, normals));
	EXPECT_TRUE(normals.empty());
	EXPECT_FALSE(CastRay(nullptr, identity, D3DXVECTOR3(0, 1, 0), D3DXVECTOR3(0, -1, 0)).hit);
}

TEST(MapCollision, ADistanceAlongAUnitDirectionIsTheSameOnAScaledAndMovedMesh) {
	MeshHandle floor;
	ASSERT_TRUE(LoadFromText(FLOOR_AND_SLIVER, floor));
	D3DXMATRIX scale, move, world;
	D3DXMatrixScaling(&scale, 40.0f, 40.0f, 40.0f);
	D3DXMatrixTranslation(&move, 815.0f, 105.0f, 2158.0f);
	world = scale * move;
	// 12 above the moved floor, inside its first triangle (x and z from 815
	// and 2158 up to 40 units across).
	const RayCastResult down =
		CastRay(floor.mesh, world, D3DXVECTOR3(820.0f, 117.0f, 2160.0f), D3DXVECTOR3(0.0f, -1.0f, 0.0f));
	ASSERT_TRUE(down.hit);
	EXPECT_EQ(down.face, 0u);
	EXPECT_NEAR(down.distance, 12.0f, 1e-4f);
	// Both faces count: from below, upward.
	const RayCastResult up =
		CastRay(floor.mesh, world, D3DXVECTOR3(820.0f, 100.0f, 2160.0f), D3DXVECTOR3(0.0f, 1.0f, 0.0f));
	ASSERT_TRUE(up.hit);
	EXPECT_NEAR(up.distance, 5.0f, 1e-4f);
	// Outside the triangle, and pointing away: nothing.
	EXPECT_FALSE(CastRay(floor.mesh, world, D3DXVECTOR3(700.0f, 117.0f, 2160.0f), D3DXVECTOR3(0, -1, 0)).hit);
	EXPECT_FALSE(CastRay(floor.mesh, world, D3DXVECTOR3(820.0f, 117.0f, 2160.0f), D3DXVECTOR3(0, 1, 0)).hit);
}

TEST(MapCollision, AFlattenedWorldMatrixHitsNothing) {
	MeshHandle floor;
	ASSERT_TRUE(LoadFromText(FLOOR_AND_SLIVER, floor));
	D3DXMATRIX flat;
	D3DXMatrixScaling(&flat, 1.0f, 0.0f, 1.0f);
	EXPECT_FALSE(CastRay(floor.mesh, flat, D3DXVECTOR3(0.2f, 1.0f, 0.2f), D3DXVECTOR3(0, -1, 0)).hit);
}

}  // namespace
