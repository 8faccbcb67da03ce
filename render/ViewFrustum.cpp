#include "render/ViewFrustum.h"

#include <algorithm>
#include <cmath>

ViewFrustum::ViewFrustum(const D3DXMATRIX& view, const D3DXMATRIX& projection) {
	// A row vector times the matrix gives clip coordinates, so each clip
	// plane is the fourth column plus or minus another.
	const D3DXMATRIX clip = view * projection;
	auto plane = [&clip](int column, float sign) {
		Plane p;
		p.a = clip(0, 3) + sign * clip(0, column);
		p.b = clip(1, 3) + sign * clip(1, column);
		p.c = clip(2, 3) + sign * clip(2, column);
		p.d = clip(3, 3) + sign * clip(3, column);
		const float length = std::sqrt(p.a * p.a + p.b * p.b + p.c * p.c);
		if (!(length > 0.0f) || !std::isfinite(length)) {
			return Plane{};  // a degenerate view excludes nothing
		}
		p.a /= length;
		p.b /= length;
		p.c /= length;
		p.d /= length;
		return p;
	};
	planes = {plane(0, 1.0f), plane(0, -1.0f), plane(1, 1.0f), plane(1, -1.0f), plane(2, -1.0f)};
	depthRow = Plane{view(0, 2), view(1, 2), view(2, 2), view(3, 2)};
}

bool ViewFrustum::Excludes(const D3DXVECTOR3& center, float radius) const {
	for (const Plane& plane : planes) {
		if (plane.Distance(center) < -radius) {
			return true;
		}
	}
	return false;
}

void ViewFrustum::PlaceSphere(const D3DXMATRIX& m, D3DXVECTOR3& center, float& radius) {
	const D3DXVECTOR3 p = center;
	center = D3DXVECTOR3(p.x * m(0, 0) + p.y * m(1, 0) + p.z * m(2, 0) + m(3, 0),
	                     p.x * m(0, 1) + p.y * m(1, 1) + p.z * m(2, 1) + m(3, 1),
	                     p.x * m(0, 2) + p.y * m(1, 2) + p.z * m(2, 2) + m(3, 2));
	// The largest eigenvalue of the rows' Gram matrix, the square of the
	// largest stretch, is at most that matrix's largest absolute row sum.
	float largest = 0.0f;
	for (int i = 0; i < 3; ++i) {
		float rowSum = 0.0f;
		for (int j = 0; j < 3; ++j) {
			rowSum += std::fabs(m(i, 0) * m(j, 0) + m(i, 1) * m(j, 1) + m(i, 2) * m(j, 2));
		}
		largest = std::max(largest, rowSum);
	}
	radius *= std::sqrt(largest);
}

float ViewFrustum::Depth(const D3DXVECTOR3& point) const { return depthRow.Distance(point); }
