#pragma once
// Builds hard-surface meshes out of simple solids: bevelled boxes, beams,
// cylinders and cones, extruded profiles, flat polygons. Every face is given
// with its outward normal and the builder winds it clockwise as seen from
// outside (the game culls counter-clockwise faces), through any transform,
// mirrors included. Faces are kept per material; Build welds identical
// vertices and drops unused materials.

#include "tools/assetgen/XFileWriter.h"

#include <vector>

class MeshBuilder {
public:
	int AddMaterial(const XMaterial& material);
	void SetMaterial(int material) { currentMaterial = material; }

	// Following shapes are placed by local * (the transforms pushed so far).
	void PushTransform(const Mat4& local);
	void PopTransform();

	// World units per texture repeat for the planar and cylindrical mappings.
	void SetUvScale(float unitsPerRepeat) { uvScale = unitsPerRepeat; }

	// A convex planar polygon, points in order around it (either way round).
	void Polygon(const std::vector<Vec3>& points, const Vec3& outward);
	void Quad(const Vec3& a, const Vec3& b, const Vec3& c, const Vec3& d, const Vec3& outward);
	// A quad with explicit texture coordinates at its corners.
	void QuadUv(const Vec3 (&p)[4], const Vec2 (&uv)[4], const Vec3& outward);
	// Axis-aligned box around centre with half extents and chamfered edges.
	void Box(const Vec3& centre, const Vec3& half, float bevel = 0);
	// A box whose long axis runs from a to b; up picks its roll.
	void Beam(const Vec3& a, const Vec3& b, float halfWidth, float halfHeight, const Vec3& up, float bevel = 0);
	// A cylinder or cone from a (radius ra) to b (radius rb), smooth sides.
	void Cylinder(const Vec3& a, const Vec3& b, float ra, float rb, int segments, bool capA = true, bool capB = true);
	// A convex profile in the (y, z) plane extruded along x from x0 to x1.
	void ExtrudeX(const std::vector<Vec2>& profileYZ, float x0, float x1);
	// A faceted ball.
	void Ball(const Vec3& centre, float radius, int segments);

	XMesh Build() const;
	size_t TriangleCount() const;

private:
	void Emit(XVertex a, XVertex b, XVertex c);
	Vec2 PlanarUv(const Vec3& p, const Vec3& normal) const;

	struct Group {
		std::vector<XVertex> corners;  // three per triangle, already placed
	};
	std::vector<XMaterial> materials;
	std::vector<Group> groups;
	std::vector<Mat4> transforms{Mat4::Identity()};
	int currentMaterial = 0;
	float uvScale = 4;
};
