#include "tools/assetgen/Shapes.h"

#include <algorithm>
#include <cmath>
#include <limits>

namespace {

constexpr float PI = 3.14159265358979f;

Bounds Square(float cx, float cy, float radius) {
	return { cx - radius, cy - radius, cx + radius, cy + radius };
}

Bounds Merge(const Bounds& a, const Bounds& b) {
	return { std::min(a.x0, b.x0), std::min(a.y0, b.y0), std::max(a.x1, b.x1), std::max(a.y1, b.y1) };
}

}  // namespace

Shape CircleShape(float cx, float cy, float radius) {
	return { Square(cx, cy, radius), [=](float x, float y) { return std::hypot(x - cx, y - cy) - radius; } };
}

Shape RingShape(float cx, float cy, float innerRadius, float outerRadius) {
	const float middle = (innerRadius + outerRadius) * 0.5f;
	const float half = (outerRadius - innerRadius) * 0.5f;
	return { Square(cx, cy, outerRadius),
		[=](float x, float y) { return std::fabs(std::hypot(x - cx, y - cy) - middle) - half; } };
}

Shape ArcShape(float cx, float cy, float innerRadius, float outerRadius, float startAngle, float endAngle) {
	const float middle = (innerRadius + outerRadius) * 0.5f;
	const float half = (outerRadius - innerRadius) * 0.5f;
	const float centreAngle = (startAngle + endAngle) * 0.5f;
	const float halfSpan = std::min((endAngle - startAngle) * 0.5f, PI);
	const float sinHalf = std::sin(halfSpan);
	const float cosHalf = std::cos(halfSpan);
	const float cosC = std::cos(centreAngle);
	const float sinC = std::sin(centreAngle);
	return { Square(cx, cy, outerRadius), [=](float x, float y) {
		const float dx = x - cx;
		const float dy = y - cy;
		const float ringDistance = std::fabs(std::hypot(dx, dy) - middle) - half;
		// Rotate so the arc's middle lies along +u, then measure against the
		// wedge bounded by the two edge rays.
		const float u = dx * cosC + dy * sinC;
		const float v = std::fabs(-dx * sinC + dy * cosC);
		const float along = std::max(0.0f, v * sinHalf + u * cosHalf);
		const float edgeX = cosHalf * along;
		const float edgeY = sinHalf * along;
		const float toEdge = std::hypot(u - edgeX, v - edgeY);
		const float side = (sinHalf * u - cosHalf * v) >= 0.0f ? -1.0f : 1.0f;
		return std::max(ringDistance, toEdge * side);
	} };
}

Shape BoxShape(float x0, float y0, float x1, float y1, float cornerRadius) {
	const float cx = (x0 + x1) * 0.5f;
	const float cy = (y0 + y1) * 0.5f;
	const float hx = (x1 - x0) * 0.5f;
	const float hy = (y1 - y0) * 0.5f;
	const float r = std::min({ cornerRadius, hx, hy });
	return { { x0, y0, x1, y1 }, [=](float x, float y) {
		const float qx = std::fabs(x - cx) - hx + r;
		const float qy = std::fabs(y - cy) - hy + r;
		const float outside = std::hypot(std::max(qx, 0.0f), std::max(qy, 0.0f));
		return outside + std::min(std::max(qx, qy), 0.0f) - r;
	} };
}

Shape LineShape(Point a, Point b, float width) {
	const float half = width * 0.5f;
	const Bounds bounds { std::min(a.x, b.x) - half, std::min(a.y, b.y) - half, std::max(a.x, b.x) + half,
		std::max(a.y, b.y) + half };
	return { bounds, [=](float x, float y) {
		const float ex = b.x - a.x;
		const float ey = b.y - a.y;
		const float wx = x - a.x;
		const float wy = y - a.y;
		const float lengthSquared = std::max(ex * ex + ey * ey, 1e-12f);
		const float t = std::clamp((wx * ex + wy * ey) / lengthSquared, 0.0f, 1.0f);
		return std::hypot(wx - ex * t, wy - ey * t) - half;
	} };
}

Shape PolygonShape(std::vector<Point> points) {
	Bounds bounds { std::numeric_limits<float>::max(), std::numeric_limits<float>::max(),
		std::numeric_limits<float>::lowest(), std::numeric_limits<float>::lowest() };
	for (const Point& p : points) {
		bounds = Merge(bounds, { p.x, p.y, p.x, p.y });
	}
	return { bounds, [points = std::move(points)](float x, float y) {
		// Distance to the nearest edge, signed by the even-odd crossing rule.
		float best = std::numeric_limits<float>::max();
		bool inside = false;
		const size_t count = points.size();
		for (size_t i = 0, j = count - 1; i < count; j = i++) {
			const Point& vi = points[i];
			const Point& vj = points[j];
			const float ex = vj.x - vi.x;
			const float ey = vj.y - vi.y;
			const float wx = x - vi.x;
			const float wy = y - vi.y;
			const float t = std::clamp((wx * ex + wy * ey) / std::max(ex * ex + ey * ey, 1e-12f), 0.0f, 1.0f);
			best = std::min(best, std::hypot(wx - ex * t, wy - ey * t));
			if ((vi.y > y) != (vj.y > y) && x < vi.x + ex * (y - vi.y) / ey) {
				inside = !inside;
			}
		}
		return inside ? -best : best;
	} };
}

Shape Subtract(Shape a, Shape b) {
	return { a.bounds, [da = std::move(a.distance), db = std::move(b.distance)](float x, float y) {
		return std::max(da(x, y), -db(x, y));
	} };
}

Shape Union(Shape a, Shape b) {
	return { Merge(a.bounds, b.bounds), [da = std::move(a.distance), db = std::move(b.distance)](float x, float y) {
		return std::min(da(x, y), db(x, y));
	} };
}

Shape Grow(Shape shape, float amount) {
	const Bounds b = shape.bounds;
	return { { b.x0 - amount, b.y0 - amount, b.x1 + amount, b.y1 + amount },
		[d = std::move(shape.distance), amount](float x, float y) { return d(x, y) - amount; } };
}
