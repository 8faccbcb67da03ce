// D3DXIntersect (Embree BVH) against the brute-force reference on the same
// rays, on the stage map as the game converts it, or on a 20,000-triangle
// procedural stage when the map has not been generated.

#include "platform/mesh/BruteForceIntersector.h"
#include "platform/mesh/D3DXMeshObject.h"
#include "platform/system/DataPath.h"
#include "tests/mesh/ProceduralMesh.h"

#include <benchmark/benchmark.h>

#include <algorithm>
#include <cstdio>
#include <filesystem>
#include <memory>

namespace {

struct Scene {
	D3DXMeshObject* mesh = nullptr;
	std::unique_ptr<BruteForceIntersector> reference;
	std::vector<procedural::Ray> rays;
	const char* source = "";
};

D3DXMeshObject* LoadMap() {
	if (!std::filesystem::exists(ResolveDataPath("data/map/Map_01.x"))) {
		return nullptr;
	}
	ID3DXMesh* loaded = nullptr;
	if (FAILED(D3DXLoadMeshFromXA("data/map/Map_01.x", D3DXMESH_MANAGED, nullptr, nullptr, nullptr, nullptr, nullptr,
	                              &loaded))) {
		return nullptr;
	}
	ID3DXMesh* converted = nullptr;
	loaded->CloneMeshFVF(D3DXMESH_MANAGED | D3DXMESH_NPATCHES, D3DFVF_XYZ | D3DFVF_NORMAL | D3DFVF_TEX1, nullptr,
	                     &converted);
	loaded->Release();
	return dynamic_cast<D3DXMeshObject*>(converted);
}

Scene BuildScene(D3DXMeshObject* mesh, const char* source) {
	Scene s;
	s.mesh = mesh;
	s.source = source;
	const std::vector<D3DXVECTOR3> positions = s.mesh->Positions();
	D3DXVECTOR3 lower(1e30f, 1e30f, 1e30f), upper(-1e30f, -1e30f, -1e30f);
	for (const D3DXVECTOR3& p : positions) {
		lower = D3DXVECTOR3(std::min(lower.x, p.x), std::min(lower.y, p.y), std::min(lower.z, p.z));
		upper = D3DXVECTOR3(std::max(upper.x, p.x), std::max(upper.y, p.y), std::max(upper.z, p.z));
	}
	s.reference = std::make_unique<BruteForceIntersector>(positions, s.mesh->TriangleIndices());
	s.rays = procedural::RandomRays(4096, lower, upper, 42);
	std::printf("%s: %u triangles, %zu rays\n", s.source, s.mesh->GetNumFaces(), s.rays.size());
	return s;
}

// Argument 0: the stage map when it exists (else the procedural stage);
// argument 1: always the procedural stage.
Scene& GetScene(int64_t which) {
	static Scene map = [] {
		D3DXMeshObject* mesh = LoadMap();
		return mesh != nullptr ? BuildScene(mesh, "data/map/Map_01.x")
		                       : BuildScene(procedural::CreateMesh(procedural::BuildStage(7)), "procedural stage");
	}();
	static Scene stage = BuildScene(procedural::CreateMesh(procedural::BuildStage(7)), "procedural stage");
	return which == 0 ? map : stage;
}

void BM_D3DXIntersect(benchmark::State& state) {
	Scene& scene = GetScene(state.range(0));
	state.SetLabel(scene.source);
	size_t next = 0, hits = 0;
	for (auto _ : state) {
		const procedural::Ray& ray = scene.rays[next++ % scene.rays.size()];
		BOOL hit = FALSE;
		DWORD face = 0;
		float distance = 0.0f;
		D3DXIntersect(scene.mesh, &ray.origin, &ray.direction, &hit, &face, nullptr, nullptr, &distance, nullptr, nullptr);
		hits += hit ? 1 : 0;
		benchmark::DoNotOptimize(distance);
	}
	state.SetItemsProcessed(int64_t(state.iterations()));
	state.counters["hit_fraction"] = double(hits) / double(std::max<size_t>(1, next));
}

void BM_BruteForce(benchmark::State& state) {
	Scene& scene = GetScene(state.range(0));
	state.SetLabel(scene.source);
	size_t next = 0, hits = 0;
	for (auto _ : state) {
		const procedural::Ray& ray = scene.rays[next++ % scene.rays.size()];
		const RayHit hit = scene.reference->Intersect(ray.origin, ray.direction);
		hits += hit.hit ? 1 : 0;
		benchmark::DoNotOptimize(hit);
	}
	state.SetItemsProcessed(int64_t(state.iterations()));
	state.counters["hit_fraction"] = double(hits) / double(std::max<size_t>(1, next));
}

}  // namespace

BENCHMARK(BM_D3DXIntersect)->Arg(0)->Arg(1);
BENCHMARK(BM_BruteForce)->Arg(0)->Arg(1);
BENCHMARK_MAIN();
