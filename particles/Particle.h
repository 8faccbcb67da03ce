#pragma once
// One live particle and what the renderers read of it.

#include "platform/math/D3DXMath.h"

namespace particles {

struct Particle {
	// World space, or the instance's own space when its node follows the instance.
	D3DXVECTOR3 position;
	D3DXVECTOR3 velocity;
	D3DXVECTOR3 acceleration;
	float age = 0.0f;   // frames lived
	float life = 1.0f;  // frames it lives
	float baseSize = 1.0f;
	float rotation = 0.0f;  // degrees
	float spin = 0.0f;      // degrees per frame
	D3DXCOLOR birthColor{1, 1, 1, 1};

	// Evaluated each frame from the curves of the node.
	float size = 1.0f;
	D3DXCOLOR color{1, 1, 1, 1};
};

}  // namespace particles
