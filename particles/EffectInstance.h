#pragma once
// One playing copy of an effect: its transform, its random stream and the
// particles of each node. An instance ends once every node has emitted all
// its particles and the last of them has died.

#include "particles/Effect.h"
#include "particles/Matrix43.h"
#include "particles/Particle.h"
#include "particles/ParticleRandom.h"

#include <cstdint>
#include <vector>

namespace particles {

class EffectInstance {
public:
	EffectInstance(int32_t handle, Effect* effect, const D3DXVECTOR3& location);
	~EffectInstance();
	EffectInstance(EffectInstance&& other) noexcept;
	EffectInstance& operator=(EffectInstance&& other) noexcept;
	EffectInstance(const EffectInstance&) = delete;
	EffectInstance& operator=(const EffectInstance&) = delete;

	// Instances alive in the process (moved-from shells included until they
	// die), for leak checks over long runs.
	static int LiveCount();

	// One frame: ages and moves the particles, drops the dead, emits the new.
	void Step();
	bool Finished() const;

	int32_t Handle() const { return handle; }
	const Effect& GetEffect() const { return *effect; }
	const D3DXMATRIX& Matrix() const { return matrix; }
	void SetMatrix(const D3DXMATRIX& m) { matrix = m; }
	bool AutoDrawing() const { return autoDrawing; }
	void SetAutoDrawing(bool on) { autoDrawing = on; }
	int Frame() const { return frame; }

	size_t NodeCount() const { return nodes.size(); }
	const std::vector<Particle>& NodeParticles(size_t node) const { return nodes[node].particles; }
	size_t ParticleCount() const;

private:
	struct NodeState {
		std::vector<Particle> particles;
		int emitted = 0;
		float pending = 0.0f;  // fractional emissions carried to the next frame
	};

	void Emit(const NodeDefinition& node, NodeState& state);
	Particle Spawn(const NodeDefinition& node, int index);

	int32_t handle;
	Effect* effect;
	D3DXMATRIX matrix;
	ParticleRandom random;
	std::vector<NodeState> nodes;
	int frame = 0;
	bool autoDrawing = true;
};

// Size and colour of a particle at its age, from its node's curves.
void EvaluateParticle(const NodeDefinition& node, Particle& particle);

}  // namespace particles
