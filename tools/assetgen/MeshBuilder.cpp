#include "tools/assetgen/MeshBuilder.h"

#include <cmath>
#include <map>
#include <tuple>

namespace {

constexpr float kPi = 3.14159265f;

// Any unit vector not parallel to axis, for building frames around it.
Vec3 Perpendicular(const Vec3& axis) {
	const Vec3 helper = std::fabs(axis.y) < 0.9f ? Vec3{0, 1, 0} : Vec3{1, 0, 0};
	return Normalize(Cross(helper, axis));
}

}  // namespace

int MeshBuilder::AddMaterial(const XMaterial& material) {
	materials.push_back(material);
	groups.emplace_back();
	return static_cast<int>(materials.size()) - 1;
}

void MeshBuilder::PushTransform(const Mat4& local) { transforms.push_back(local * transforms.back()); }

void MeshBuilder::PopTransform() {
	if (transforms.size() > 1) {
		transforms.pop_back();
	}
}

void MeshBuilder::Emit(XVertex a, XVertex b, XVertex c) {
	if (currentMaterial < 0 || currentMaterial >= static_cast<int>(groups.size())) {
		return;
	}
	const Mat4& m = transforms.back();
	for (XVertex* v : {&a, &b, &c}) {
		v->position = m.TransformPoint(v->position);
		v->normal = m.TransformNormal(v->normal);
	}
	const Vec3 face = Cross(b.position - a.position, c.position - a.position);
	if (Length(face) < 1e-9f) {
		return;
	}
	// Clockwise from outside means the cross product of the edges points out.
	if (Dot(face, a.normal + b.normal + c.normal) < 0) {
		std::swap(b, c);
	}
	std::vector<XVertex>& corners = groups[currentMaterial].corners;
	corners.push_back(a);
	corners.push_back(b);
	corners.push_back(c);
}

Vec2 MeshBuilder::PlanarUv(const Vec3& p, const Vec3& normal) const {
	const float ax = std::fabs(normal.x), ay = std::fabs(normal.y), az = std::fabs(normal.z);
	const float s = 1.0f / uvScale;
	if (ay >= ax && ay >= az) {
		return {p.x * s, p.z * s};
	}
	if (ax >= az) {
		return {p.z * s, -p.y * s};
	}
	return {p.x * s, -p.y * s};
}

void MeshBuilder::Polygon(const std::vector<Vec3>& points, const Vec3& outward) {
	if (points.size() < 3) {
		return;
	}
	const Vec3 n = Normalize(outward);
	auto vertex = [&](const Vec3& p) { return XVertex{p, n, PlanarUv(p, n)}; };
	for (size_t i = 1; i + 1 < points.size(); ++i) {
		Emit(vertex(points[0]), vertex(points[i]), vertex(points[i + 1]));
	}
}

void MeshBuilder::Quad(const Vec3& a, const Vec3& b, const Vec3& c, const Vec3& d, const Vec3& outward) {
	Polygon({a, b, c, d}, outward);
}

void MeshBuilder::QuadUv(const Vec3 (&p)[4], const Vec2 (&uv)[4], const Vec3& outward) {
	const Vec3 n = Normalize(outward);
	Emit({p[0], n, uv[0]}, {p[1], n, uv[1]}, {p[2], n, uv[2]});
	Emit({p[0], n, uv[0]}, {p[2], n, uv[2]}, {p[3], n, uv[3]});
}

void MeshBuilder::Box(const Vec3& centre, const Vec3& half, float bevel) {
	const float b = std::fmax(0.0f, std::fmin(bevel, 0.45f * std::fmin(half.x, std::fmin(half.y, half.z))));
	const float h[3] = {half.x, half.y, half.z};
	// Corner point of the face on axis `axis`, at signs s: full extent on that
	// axis, pulled in by the bevel on the other two.
	auto point = [&](int axis, const int s[3]) {
		float c[3];
		for (int i = 0; i < 3; ++i) {
			c[i] = s[i] * (i == axis ? h[i] : h[i] - b);
		}
		return centre + Vec3{c[0], c[1], c[2]};
	};
	auto axisVector = [](int axis, float sign) {
		Vec3 v;
		(axis == 0 ? v.x : axis == 1 ? v.y : v.z) = sign;
		return v;
	};
	for (int axis = 0; axis < 3; ++axis) {
		const int u = (axis + 1) % 3, v = (axis + 2) % 3;
		for (int sign = -1; sign <= 1; sign += 2) {
			std::vector<Vec3> face;
			const int order[4][2] = {{-1, -1}, {1, -1}, {1, 1}, {-1, 1}};
			for (const auto& o : order) {
				int s[3];
				s[axis] = sign;
				s[u] = o[0];
				s[v] = o[1];
				face.push_back(point(axis, s));
			}
			Polygon(face, axisVector(axis, static_cast<float>(sign)));
		}
	}
	if (b <= 0) {
		return;
	}
	// Chamfers along the twelve edges and the eight corner facets.
	for (int axis = 0; axis < 3; ++axis) {
		const int u = (axis + 1) % 3, v = (axis + 2) % 3;
		for (int su = -1; su <= 1; su += 2) {
			for (int sv = -1; sv <= 1; sv += 2) {
				int lo[3], hi[3];
				lo[axis] = -1;
				hi[axis] = 1;
				lo[u] = hi[u] = su;
				lo[v] = hi[v] = sv;
				Polygon({point(u, lo), point(u, hi), point(v, hi), point(v, lo)},
				        axisVector(u, static_cast<float>(su)) + axisVector(v, static_cast<float>(sv)));
			}
		}
	}
	for (int sx = -1; sx <= 1; sx += 2) {
		for (int sy = -1; sy <= 1; sy += 2) {
			for (int sz = -1; sz <= 1; sz += 2) {
				const int s[3] = {sx, sy, sz};
				Polygon({point(0, s), point(1, s), point(2, s)}, Vec3{float(sx), float(sy), float(sz)});
			}
		}
	}
}

void MeshBuilder::Beam(const Vec3& a, const Vec3& b, float halfWidth, float halfHeight, const Vec3& up, float bevel) {
	const Vec3 along = b - a;
	const float length = Length(along);
	if (length <= 0) {
		return;
	}
	const Vec3 z = along * (1.0f / length);
	Vec3 x = Cross(up, z);
	x = Length(x) < 1e-6f ? Perpendicular(z) : Normalize(x);
	const Vec3 y = Cross(z, x);
	PushTransform(Mat4::Basis(x, y, z, (a + b) * 0.5f));
	Box({0, 0, 0}, {halfWidth, halfHeight, length * 0.5f}, bevel);
	PopTransform();
}

void MeshBuilder::Cylinder(const Vec3& a, const Vec3& b, float ra, float rb, int segments, bool capA, bool capB) {
	const Vec3 along = b - a;
	const float length = Length(along);
	if (length <= 0 || segments < 3) {
		return;
	}
	const Vec3 axis = along * (1.0f / length);
	const Vec3 u = Perpendicular(axis);
	const Vec3 v = Cross(axis, u);
	// The side normal leans with the cone's slope.
	const float slope = (ra - rb) / length;
	std::vector<Vec3> ringA, ringB, normals;
	for (int i = 0; i < segments; ++i) {
		const float angle = 2 * kPi * i / segments;
		const Vec3 radial = u * std::cos(angle) + v * std::sin(angle);
		ringA.push_back(a + radial * ra);
		ringB.push_back(b + radial * rb);
		normals.push_back(Normalize(radial + axis * slope));
	}
	const float circumference = 2 * kPi * std::fmax(ra, rb);
	for (int i = 0; i < segments; ++i) {
		const int j = (i + 1) % segments;
		const float u0 = circumference * i / segments / uvScale, u1 = circumference * (i + 1) / segments / uvScale;
		const float vb = length / uvScale;
		const XVertex a0{ringA[i], normals[i], {u0, 0}}, a1{ringA[j], normals[j], {u1, 0}};
		const XVertex b0{ringB[i], normals[i], {u0, vb}}, b1{ringB[j], normals[j], {u1, vb}};
		if (ra > 0) {
			Emit(a0, a1, b1);
		}
		if (rb > 0) {
			Emit(a0, b1, b0);
		}
	}
	if (capA && ra > 0) {
		Polygon(ringA, -axis);
	}
	if (capB && rb > 0) {
		Polygon(ringB, axis);
	}
}

void MeshBuilder::ExtrudeX(const std::vector<Vec2>& profileYZ, float x0, float x1) {
	const size_t n = profileYZ.size();
	if (n < 3) {
		return;
	}
	Vec2 centroid;
	for (const Vec2& p : profileYZ) {
		centroid.x += p.x / n;
		centroid.y += p.y / n;
	}
	std::vector<Vec3> capLow, capHigh;
	for (const Vec2& p : profileYZ) {
		capLow.push_back({x0, p.x, p.y});
		capHigh.push_back({x1, p.x, p.y});
	}
	Polygon(capLow, {x0 < x1 ? -1.0f : 1.0f, 0, 0});
	Polygon(capHigh, {x0 < x1 ? 1.0f : -1.0f, 0, 0});
	for (size_t i = 0; i < n; ++i) {
		const Vec2 p = profileYZ[i], q = profileYZ[(i + 1) % n];
		const Vec2 mid{(p.x + q.x) * 0.5f - centroid.x, (p.y + q.y) * 0.5f - centroid.y};
		const Vec2 edge{q.x - p.x, q.y - p.y};
		Vec3 outward{0, edge.y, -edge.x};
		if (outward.y * mid.x + outward.z * mid.y < 0) {
			outward = -outward;
		}
		Quad({x0, p.x, p.y}, {x1, p.x, p.y}, {x1, q.x, q.y}, {x0, q.x, q.y}, outward);
	}
}

void MeshBuilder::Ball(const Vec3& centre, float radius, int segments) {
	const int rings = std::max(3, segments / 2);
	auto point = [&](int ring, int seg) {
		const float polar = kPi * ring / rings, azimuth = 2 * kPi * seg / segments;
		return Vec3{std::sin(polar) * std::cos(azimuth), std::cos(polar), std::sin(polar) * std::sin(azimuth)};
	};
	for (int r = 0; r < rings; ++r) {
		for (int s = 0; s < segments; ++s) {
			const Vec3 p[4] = {point(r, s), point(r, s + 1), point(r + 1, s + 1), point(r + 1, s)};
			XVertex v[4];
			for (int i = 0; i < 4; ++i) {
				v[i] = {centre + p[i] * radius, p[i], {float(s) / segments, float(r) / rings}};
			}
			if (r > 0) {
				Emit(v[0], v[1], v[2]);
			}
			if (r + 1 < rings) {
				Emit(v[0], v[2], v[3]);
			}
		}
	}
}

size_t MeshBuilder::TriangleCount() const {
	size_t count = 0;
	for (const Group& g : groups) {
		count += g.corners.size() / 3;
	}
	return count;
}

XMesh MeshBuilder::Build() const {
	XMesh mesh;
	// Quantised to the precision the writer prints, so vertices that print
	// the same are one vertex.
	auto quantise = [](float f) { return static_cast<long long>(std::llround(f * 100000.0)); };
	for (size_t g = 0; g < groups.size(); ++g) {
		if (groups[g].corners.empty()) {
			continue;
		}
		const uint32_t material = static_cast<uint32_t>(mesh.materials.size());
		mesh.materials.push_back(materials[g]);
		std::map<std::tuple<long long, long long, long long, long long, long long, long long, long long, long long>,
		         uint32_t>
		    welded;
		const std::vector<XVertex>& corners = groups[g].corners;
		for (size_t i = 0; i < corners.size(); i += 3) {
			XTriangle triangle{{0, 0, 0}, material};
			for (int k = 0; k < 3; ++k) {
				const XVertex& v = corners[i + k];
				const auto key = std::make_tuple(quantise(v.position.x), quantise(v.position.y), quantise(v.position.z),
				                                 quantise(v.normal.x), quantise(v.normal.y), quantise(v.normal.z),
				                                 quantise(v.uv.x), quantise(v.uv.y));
				auto found = welded.find(key);
				if (found == welded.end()) {
					found = welded.emplace(key, static_cast<uint32_t>(mesh.vertices.size())).first;
					mesh.vertices.push_back(v);
				}
				triangle.index[k] = found->second;
			}
			mesh.triangles.push_back(triangle);
		}
	}
	return mesh;
}
