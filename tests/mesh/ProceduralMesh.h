#pragma once
// A rough stand-in for a stage: a bumpy ground grid, boxes standing on it
// and loose triangles in the air, about 20,000 triangles in all. Shared by
// the intersection tests and the intersection benchmark.

#include "platform/mesh/D3DXMeshObject.h"

#include <cmath>
#include <cstring>
#include <random>
#include <vector>

namespace procedural {

struct Geometry {
	std::vector<D3DXVECTOR3> positions;
	std::vector<uint32_t> indices;
	D3DXVECTOR3 lower{0.0f, -5.0f, 0.0f};
	D3DXVECTOR3 upper{100.0f, 30.0f, 100.0f};
};

inline Geometry BuildStage(unsigned seed) {
	Geometry g;
	std::mt19937 random(seed);
	std::uniform_real_distribution<float> unit(0.0f, 1.0f);
	constexpr int cells = 90;
	constexpr float size = 100.0f / cells;
	for (int z = 0; z <= cells; ++z) {
		for (int x = 0; x <= cells; ++x) {
			const float height = 3.0f * std::sin(x * 0.21f) * std::cos(z * 0.17f);
			g.positions.push_back(D3DXVECTOR3(x * size, height, z * size));
		}
	}
	for (int z = 0; z < cells; ++z) {
		for (int x = 0; x < cells; ++x) {
			const uint32_t a = uint32_t(z * (cells + 1) + x), b = a + 1, c = a + cells + 1, d = c + 1;
			g.indices.insert(g.indices.end(), {a, c, b, b, c, d});
		}
	}
	static const int boxFaces[12][3] = {{0, 1, 2}, {0, 2, 3}, {4, 6, 5}, {4, 7, 6}, {0, 4, 5}, {0, 5, 1},
	                                    {1, 5, 6}, {1, 6, 2}, {2, 6, 7}, {2, 7, 3}, {3, 7, 4}, {3, 4, 0}};
	for (int box = 0; box < 200; ++box) {
		const float x = unit(random) * 95.0f, z = unit(random) * 95.0f, w = 0.5f + unit(random) * 4.0f;
		const float h = 1.0f + unit(random) * 20.0f, y = -2.0f;
		const uint32_t base = uint32_t(g.positions.size());
		for (int corner = 0; corner < 8; ++corner) {
			const float cx = (corner == 1 || corner == 2 || corner == 5 || corner == 6) ? x + w : x;
			const float cz = (corner == 2 || corner == 3 || corner == 6 || corner == 7) ? z + w : z;
			g.positions.push_back(D3DXVECTOR3(cx, corner < 4 ? y : y + h, cz));
		}
		for (const auto& face : boxFaces) {
			g.indices.insert(g.indices.end(), {base + face[0], base + face[1], base + face[2]});
		}
	}
	for (int loose = 0; loose < 1400; ++loose) {
		const D3DXVECTOR3 centre(unit(random) * 100.0f, 2.0f + unit(random) * 25.0f, unit(random) * 100.0f);
		const uint32_t base = uint32_t(g.positions.size());
		for (int corner = 0; corner < 3; ++corner) {
			g.positions.push_back(D3DXVECTOR3(centre.x + (unit(random) - 0.5f) * 6.0f, centre.y + (unit(random) - 0.5f) * 6.0f,
			                                  centre.z + (unit(random) - 0.5f) * 6.0f));
		}
		g.indices.insert(g.indices.end(), {base, base + 1, base + 2});
	}
	return g;
}

// The geometry as a CPU-only mesh with positions only.
inline D3DXMeshObject* CreateMesh(const Geometry& g) {
	std::vector<uint8_t> bytes(g.positions.size() * sizeof(D3DXVECTOR3));
	std::memcpy(bytes.data(), g.positions.data(), bytes.size());
	D3DXMeshObject* mesh = nullptr;
	D3DXMeshObject::Create(0, D3DFVF_XYZ, std::move(bytes), g.indices, std::vector<DWORD>(g.indices.size() / 3, 0),
	                       nullptr, &mesh);
	return mesh;
}

struct Ray {
	D3DXVECTOR3 origin;
	D3DXVECTOR3 direction;
};

// Rays from around the box towards points inside it, with directions of
// assorted lengths; one in ten points anywhere.
inline std::vector<Ray> RandomRays(size_t count, const D3DXVECTOR3& lower, const D3DXVECTOR3& upper, unsigned seed) {
	std::mt19937 random(seed);
	std::uniform_real_distribution<float> unit(0.0f, 1.0f);
	const D3DXVECTOR3 extent(upper.x - lower.x, upper.y - lower.y, upper.z - lower.z);
	auto pointIn = [&](float margin) {
		return D3DXVECTOR3(lower.x - margin * extent.x + unit(random) * extent.x * (1 + 2 * margin),
		                   lower.y - margin * extent.y + unit(random) * extent.y * (1 + 2 * margin),
		                   lower.z - margin * extent.z + unit(random) * extent.z * (1 + 2 * margin));
	};
	std::vector<Ray> rays;
	for (size_t i = 0; i < count; ++i) {
		Ray ray;
		ray.origin = pointIn(0.2f);
		D3DXVECTOR3 toward;
		if (i % 10 == 9) {
			toward = D3DXVECTOR3(unit(random) - 0.5f, unit(random) - 0.5f, unit(random) - 0.5f);
		} else {
			const D3DXVECTOR3 target = pointIn(0.0f);
			toward = D3DXVECTOR3(target.x - ray.origin.x, target.y - ray.origin.y, target.z - ray.origin.z);
		}
		const float scale = 0.05f + unit(random) * 2.0f;
		ray.direction = D3DXVECTOR3(toward.x * scale, toward.y * scale, toward.z * scale);
		rays.push_back(ray);
	}
	return rays;
}

}  // namespace procedural
