#pragma once
// Signed distance shapes in pixel space for Canvas and Mask. Angles are in
// radians, measured clockwise from +x because image rows grow downwards.

#include "tools/assetgen/Canvas.h"

#include <utility>
#include <vector>

struct Point {
	float x = 0.0f;
	float y = 0.0f;
};

Shape CircleShape(float cx, float cy, float radius);
Shape RingShape(float cx, float cy, float innerRadius, float outerRadius);
// The part of a ring between two angles (startAngle < endAngle).
Shape ArcShape(float cx, float cy, float innerRadius, float outerRadius, float startAngle, float endAngle);
Shape BoxShape(float x0, float y0, float x1, float y1, float cornerRadius = 0.0f);
// A stroke from a to b with round caps.
Shape LineShape(Point a, Point b, float width);
// Any simple polygon, convex or not, in either winding.
Shape PolygonShape(std::vector<Point> points);
// Shape b cut out of shape a.
Shape Subtract(Shape a, Shape b);
Shape Union(Shape a, Shape b);
// Moves a shape's edge outwards (positive) or inwards.
Shape Grow(Shape shape, float amount);
