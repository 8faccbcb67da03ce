#include "platform/mesh/BruteForceIntersector.h"

namespace {

void Subtract(const D3DVECTOR& a, const D3DVECTOR& b, double out[3]) {
	out[0] = double(a.x) - double(b.x);
	out[1] = double(a.y) - double(b.y);
	out[2] = double(a.z) - double(b.z);
}

void Cross(const double a[3], const double b[3], double out[3]) {
	out[0] = a[1] * b[2] - a[2] * b[1];
	out[1] = a[2] * b[0] - a[0] * b[2];
	out[2] = a[0] * b[1] - a[1] * b[0];
}

double Dot(const double a[3], const double b[3]) { return a[0] * b[0] + a[1] * b[1] + a[2] * b[2]; }

}  // namespace

BruteForceIntersector::BruteForceIntersector(std::span<const D3DXVECTOR3> positions_, std::span<const uint32_t> indices_)
	: positions(positions_.begin(), positions_.end()), indices(indices_.begin(), indices_.end() - indices_.size() % 3) {}

bool BruteForceIntersector::IntersectTriangle(size_t face, const double origin[3], const double direction[3],
                                              RayHit& hit, double& exactT) const {
	const uint32_t i0 = indices[3 * face], i1 = indices[3 * face + 1], i2 = indices[3 * face + 2];
	if (i0 >= positions.size() || i1 >= positions.size() || i2 >= positions.size()) {
		return false;
	}
	const D3DXVECTOR3& p0 = positions[i0];
	double e1[3], e2[3], s[3], p[3], q[3];
	Subtract(positions[i1], p0, e1);
	Subtract(positions[i2], p0, e2);
	Cross(direction, e2, p);
	const double determinant = Dot(e1, p);
	if (determinant == 0.0) {
		return false;  // parallel to the plane, or a degenerate triangle
	}
	const double inverse = 1.0 / determinant;
	s[0] = origin[0] - p0.x;
	s[1] = origin[1] - p0.y;
	s[2] = origin[2] - p0.z;
	const double u = Dot(s, p) * inverse;
	if (u < 0.0 || u > 1.0) {
		return false;
	}
	Cross(s, e1, q);
	const double v = Dot(direction, q) * inverse;
	if (v < 0.0 || u + v > 1.0) {
		return false;
	}
	const double t = Dot(e2, q) * inverse;
	if (t < 0.0) {
		return false;
	}
	hit = RayHit{true, DWORD(face), float(u), float(v), float(t)};
	exactT = t;
	return true;
}

RayHit BruteForceIntersector::Intersect(const D3DXVECTOR3& origin, const D3DXVECTOR3& direction) const {
	const double o[3] = {origin.x, origin.y, origin.z};
	const double d[3] = {direction.x, direction.y, direction.z};
	RayHit nearest;
	double nearestT = 0.0;
	const size_t faces = indices.size() / 3;
	for (size_t face = 0; face < faces; ++face) {
		RayHit candidate;
		double t = 0.0;
		if (IntersectTriangle(face, o, d, candidate, t) && (!nearest.hit || t < nearestT)) {
			nearest = candidate;
			nearestT = t;
		}
	}
	return nearest;
}

std::vector<RayHit> BruteForceIntersector::AllHits(const D3DXVECTOR3& origin, const D3DXVECTOR3& direction) const {
	const double o[3] = {origin.x, origin.y, origin.z};
	const double d[3] = {direction.x, direction.y, direction.z};
	std::vector<RayHit> hits;
	const size_t faces = indices.size() / 3;
	for (size_t face = 0; face < faces; ++face) {
		RayHit candidate;
		double t = 0.0;
		if (IntersectTriangle(face, o, d, candidate, t)) {
			hits.push_back(candidate);
		}
	}
	return hits;
}
