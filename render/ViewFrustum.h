#pragma once
// The camera's view volume as planes in world space, for leaving out draws
// that cannot reach the picture. Only the four sides and the far plane are
// kept: the near plane differs between Direct3D's depth range and the one the
// device clips with, and a sphere behind the camera already lies outside the
// sides.

#include "platform/D3DX9.h"

#include <array>

class ViewFrustum {
public:
	// From row-vector view and projection matrices, as the device takes them.
	ViewFrustum(const D3DXMATRIX& view, const D3DXMATRIX& projection);

	// True when no point within radius of center can be inside the view.
	bool Excludes(const D3DXVECTOR3& center, float radius) const;
	// A sphere given in a model's own space, placed by a row-vector world
	// matrix: its centre moved, its radius grown by the most the matrix
	// stretches any direction (exactly for rotations with uniform scale).
	static void PlaceSphere(const D3DXMATRIX& world, D3DXVECTOR3& center, float& radius);
	// Distance in front of the camera along its view direction.
	float Depth(const D3DXVECTOR3& point) const;

private:
	// Inside where a x + b y + c z + d >= 0; (a, b, c) of unit length.
	struct Plane {
		float a = 0.0f, b = 0.0f, c = 0.0f, d = 1.0f;
		float Distance(const D3DXVECTOR3& p) const { return a * p.x + b * p.y + c * p.z + d; }
	};

	std::array<Plane, 5> planes;
	Plane depthRow;  // not normalised: view-space z of a point
};
