// D3DXIntersect (the Embree BVH) against the brute-force reference, and the
// ray contract: t along the unnormalised direction, both faces counting.

#include "ProceduralMesh.h"
#include "XFileSamples.h"

#include "platform/mesh/BruteForceIntersector.h"
#include "platform/system/DataPath.h"

#include <gtest/gtest.h>

#include <cmath>
#include <filesystem>

using xsamples::Bytes;
using xsamples::LoadedMesh;

namespace {

constexpr DWORD MAP_FVF = D3DFVF_XYZ | D3DFVF_NORMAL | D3DFVF_TEX1;

// Two triangles facing -z at z = 10 (a 10 x 10 square), and one behind them at z = 20.
const char* WALLS = R"(xof 0303txt 0032
Mesh { 7; 0;0;10;, 10;0;10;, 10;10;10;, 0;10;10;, -50;-50;20;, 50;-50;20;, 0;50;20;;
 2; 4;0,3,2,1;, 3;4,6,5;;
})";

struct Comparison {
	size_t rays = 0;
	size_t hits = 0;
	size_t ties = 0;  // different faces hit at the same t: a shared edge or vertex
};

// Same hit flags, same faces (or a genuine tie) and t within 1e-4 relative.
Comparison CompareWithBruteForce(D3DXMeshObject* mesh, const std::vector<procedural::Ray>& rays) {
	const BruteForceIntersector reference(mesh->Positions(), mesh->TriangleIndices());
	Comparison result;
	for (const procedural::Ray& ray : rays) {
		BOOL hit = FALSE;
		DWORD face = 0;
		float u = 0, v = 0, t = 0;
		EXPECT_EQ(D3DXIntersect(mesh, &ray.origin, &ray.direction, &hit, &face, &u, &v, &t, nullptr, nullptr), S_OK);
		const RayHit expected = reference.Intersect(ray.origin, ray.direction);
		++result.rays;
		EXPECT_EQ(bool(hit), expected.hit) << "ray " << result.rays;
		if (!hit || !expected.hit) {
			continue;
		}
		++result.hits;
		EXPECT_NEAR(t, expected.t, 1e-4f * std::max(1.0f, std::abs(expected.t))) << "ray " << result.rays;
		if (face != expected.face) {
			// Acceptable only if the reference also hits Embree's face at that t.
			bool tie = false;
			for (const RayHit& other : reference.AllHits(ray.origin, ray.direction)) {
				tie = tie || (other.face == face && std::abs(other.t - expected.t) <= 1e-4f * std::max(1.0f, expected.t));
			}
			EXPECT_TRUE(tie) << "ray " << result.rays << " hit face " << face << ", reference " << expected.face;
			++result.ties;
		} else {
			EXPECT_NEAR(u, expected.u, 1e-3f);
			EXPECT_NEAR(v, expected.v, 1e-3f);
		}
	}
	return result;
}

RayHit Cast(ID3DXMesh* mesh, D3DXVECTOR3 origin, D3DXVECTOR3 direction) {
	BOOL hit = FALSE;
	RayHit result;
	EXPECT_EQ(D3DXIntersect(mesh, &origin, &direction, &hit, &result.face, &result.u, &result.v, &result.t, nullptr,
	                        nullptr),
	          S_OK);
	result.hit = hit != FALSE;
	return result;
}

}  // namespace

TEST(Intersect, EmbreeAgreesWithBruteForceOnAProceduralStage) {
	const procedural::Geometry stage = procedural::BuildStage(7);
	D3DXMeshObject* mesh = procedural::CreateMesh(stage);
	ASSERT_NE(mesh, nullptr);
	ASSERT_TRUE(mesh->IsAccelerated());
	EXPECT_GE(mesh->GetNumFaces(), 19000u);
	const Comparison result = CompareWithBruteForce(mesh, procedural::RandomRays(10000, stage.lower, stage.upper, 99));
	EXPECT_EQ(result.rays, 10000u);
	// The rays are aimed so that most of them find something.
	EXPECT_GT(result.hits, 7000u);
	EXPECT_LT(result.ties, 10u);
	mesh->Release();
}

TEST(Intersect, EmbreeAgreesWithBruteForceOnTheStageMap) {
	const std::string path = ResolveDataPath("data/map/Map_01.x");
	if (!std::filesystem::exists(path)) {
		GTEST_SKIP() << "data/map/Map_01.x has not been generated in this build";
	}
	ID3DXMesh* loaded = nullptr;
	ASSERT_EQ(D3DXLoadMeshFromXA("data/map/Map_01.x", D3DXMESH_MANAGED, nullptr, nullptr, nullptr, nullptr, nullptr,
	                             &loaded),
	          S_OK);
	ID3DXMesh* converted = nullptr;
	ASSERT_EQ(loaded->CloneMeshFVF(D3DXMESH_MANAGED | D3DXMESH_NPATCHES, MAP_FVF, nullptr, &converted), S_OK);
	loaded->Release();
	auto* mesh = dynamic_cast<D3DXMeshObject*>(converted);
	ASSERT_TRUE(mesh->IsAccelerated());
	D3DXVECTOR3 lower(1e30f, 1e30f, 1e30f), upper(-1e30f, -1e30f, -1e30f);
	for (const D3DXVECTOR3& p : mesh->Positions()) {
		lower = D3DXVECTOR3(std::min(lower.x, p.x), std::min(lower.y, p.y), std::min(lower.z, p.z));
		upper = D3DXVECTOR3(std::max(upper.x, p.x), std::max(upper.y, p.y), std::max(upper.z, p.z));
	}
	const Comparison result = CompareWithBruteForce(mesh, procedural::RandomRays(10000, lower, upper, 5));
	EXPECT_GT(result.hits, 1000u);
	EXPECT_LT(result.ties, 10u);
	converted->Release();
}

TEST(Intersect, DistanceIsMeasuredAlongTheDirectionAsGiven) {
	const LoadedMesh loaded(Bytes(WALLS));
	ASSERT_EQ(loaded.result, S_OK);
	const RayHit unit = Cast(loaded.mesh, D3DXVECTOR3(2, 3, 0), D3DXVECTOR3(0, 0, 1));
	ASSERT_TRUE(unit.hit);
	EXPECT_FLOAT_EQ(unit.t, 10.0f);
	// A direction twice as long halves t; a quarter as long quadruples it.
	EXPECT_FLOAT_EQ(Cast(loaded.mesh, D3DXVECTOR3(2, 3, 0), D3DXVECTOR3(0, 0, 2)).t, 5.0f);
	EXPECT_FLOAT_EQ(Cast(loaded.mesh, D3DXVECTOR3(2, 3, 0), D3DXVECTOR3(0, 0, 0.25f)).t, 40.0f);
	// The barycentric weights locate the point on its triangle.
	const std::vector<uint32_t> indices = loaded.Indices();
	const D3DXVECTOR3 p0 = loaded.Position(indices[unit.face * 3]);
	const D3DXVECTOR3 p1 = loaded.Position(indices[unit.face * 3 + 1]);
	const D3DXVECTOR3 p2 = loaded.Position(indices[unit.face * 3 + 2]);
	EXPECT_NEAR(p0.x + unit.u * (p1.x - p0.x) + unit.v * (p2.x - p0.x), 2.0f, 1e-4f);
	EXPECT_NEAR(p0.y + unit.u * (p1.y - p0.y) + unit.v * (p2.y - p0.y), 3.0f, 1e-4f);
}

TEST(Intersect, BothFacesCountAndTheNearestWins) {
	const LoadedMesh loaded(Bytes(WALLS));
	ASSERT_EQ(loaded.result, S_OK);
	// From between the walls towards -z: the first wall's back face, 5 away.
	const RayHit back = Cast(loaded.mesh, D3DXVECTOR3(8, 1, 15), D3DXVECTOR3(0, 0, -1));
	ASSERT_TRUE(back.hit);
	EXPECT_FLOAT_EQ(back.t, 5.0f);
	EXPECT_LT(back.face, 2u);
	// Beside the small wall only the far triangle (face 2) is in the way.
	const RayHit far = Cast(loaded.mesh, D3DXVECTOR3(-5, 0, 0), D3DXVECTOR3(0, 0, 1));
	ASSERT_TRUE(far.hit);
	EXPECT_EQ(far.face, 2u);
	EXPECT_FLOAT_EQ(far.t, 20.0f);
	// Pointing away, or not moving at all, finds nothing.
	EXPECT_FALSE(Cast(loaded.mesh, D3DXVECTOR3(2, 3, 0), D3DXVECTOR3(0, 0, -1)).hit);
	EXPECT_FALSE(Cast(loaded.mesh, D3DXVECTOR3(2, 3, 0), D3DXVECTOR3(0, 0, 0)).hit);
	// The all-hits buffer lists both walls along the ray.
	BOOL hit = FALSE;
	ID3DXBuffer* all = nullptr;
	DWORD count = 0;
	const D3DXVECTOR3 origin(2, 3, 0), direction(0, 0, 1);
	ASSERT_EQ(D3DXIntersect(loaded.mesh, &origin, &direction, &hit, nullptr, nullptr, nullptr, nullptr, &all, &count), S_OK);
	ASSERT_EQ(count, 2u);
	ASSERT_NE(all, nullptr);
	const auto* entries = static_cast<const D3DXINTERSECTINFO*>(all->GetBufferPointer());
	EXPECT_FLOAT_EQ(entries[1].Dist, 20.0f);
	all->Release();
}

TEST(Intersect, EditsThroughTheVertexBufferMoveTheHits) {
	const LoadedMesh loaded(Bytes(WALLS));
	ASSERT_EQ(loaded.result, S_OK);
	ID3DXMesh* mesh = nullptr;
	ASSERT_EQ(loaded.mesh->CloneMeshFVF(D3DXMESH_MANAGED, MAP_FVF, nullptr, &mesh), S_OK);
	EXPECT_FLOAT_EQ(Cast(mesh, D3DXVECTOR3(-5, 0, 0), D3DXVECTOR3(0, 0, 1)).t, 20.0f);
	void* data = nullptr;
	ASSERT_EQ(mesh->LockVertexBuffer(0, &data), S_OK);
	// Pull the far triangle forward to z = 12.
	for (uint32_t vertex = 4; vertex < 7; ++vertex) {
		reinterpret_cast<float*>(static_cast<uint8_t*>(data) + vertex * 32)[2] = 12.0f;
	}
	ASSERT_EQ(mesh->UnlockVertexBuffer(), S_OK);
	EXPECT_FLOAT_EQ(Cast(mesh, D3DXVECTOR3(-5, 0, 0), D3DXVECTOR3(0, 0, 1)).t, 12.0f);
	// A read-only lock changes nothing.
	ASSERT_EQ(mesh->LockVertexBuffer(D3DLOCK_READONLY, &data), S_OK);
	ASSERT_EQ(mesh->UnlockVertexBuffer(), S_OK);
	EXPECT_FLOAT_EQ(Cast(mesh, D3DXVECTOR3(-5, 0, 0), D3DXVECTOR3(0, 0, 1)).t, 12.0f);
	mesh->Release();
}

TEST(Intersect, RayThroughAScaledWorldGivesWorldDistance) {
	// The ray cast of the map: inverse world (a scale of 5) applied to the
	// origin as a point and to the unit direction as a normal, unrenormalised.
	const LoadedMesh loaded(Bytes(WALLS));
	ASSERT_EQ(loaded.result, S_OK);
	const float inverseScale = 1.0f / 5.0f;
	const D3DXVECTOR3 worldOrigin(10, 15, 0), worldDirection(0, 0, 1);
	const D3DXVECTOR3 origin(worldOrigin.x * inverseScale, worldOrigin.y * inverseScale, worldOrigin.z * inverseScale);
	const D3DXVECTOR3 direction(0, 0, worldDirection.z * inverseScale);
	const RayHit hit = Cast(loaded.mesh, origin, direction);
	ASSERT_TRUE(hit.hit);
	// The wall lies at z = 10 in the mesh, so at 50 in the world.
	EXPECT_NEAR(hit.t, 50.0f, 1e-4f);
}

TEST(Intersect, RefusesWhatIsNotOurMesh) {
	const D3DXVECTOR3 origin(0, 0, 0), direction(0, 0, 1);
	BOOL hit = TRUE;
	EXPECT_EQ(D3DXIntersect(nullptr, &origin, &direction, &hit, nullptr, nullptr, nullptr, nullptr, nullptr, nullptr),
	          D3DERR_INVALIDCALL);
}
