#pragma once
// What a manager hands its renderers when it draws: one node of one instance
// with its live particles. The sprite, ribbon, ring and model renderers
// implement it; tests may implement it to watch what is drawn.

#include "particles/EffectDefinition.h"
#include "particles/Particle.h"
#include "particles/Resources.h"

#include <cstddef>
#include <string>

namespace particles {

struct NodeDrawData {
	const NodeDefinition* node = nullptr;
	const TextureResource* texture = nullptr;  // null: untextured
	const ModelResource* model = nullptr;      // model nodes only
	const Particle* particles = nullptr;       // in birth order
	size_t count = 0;
	const D3DXMATRIX* instanceMatrix = nullptr;
};

class NodeRenderer {
public:
	virtual ~NodeRenderer() = default;
	virtual void Render(const NodeDrawData& data) = 0;
	// Model renderers load the meshes model nodes name; others have none.
	virtual ModelPtr LoadModel(const std::string& path) {
		(void)path;
		return nullptr;
	}
};

}  // namespace particles
