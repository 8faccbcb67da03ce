#pragma once
// The nearest hit of a ray origin + t * direction against a triangle mesh.

#include "platform/system/WinTypes.h"

struct RayHit {
	bool hit = false;
	DWORD face = 0;  // in the mesh's face order
	float u = 0.0f;  // barycentric weights of the second and third corner
	float v = 0.0f;
	float t = 0.0f;  // measured along the direction as given, not normalised
};
