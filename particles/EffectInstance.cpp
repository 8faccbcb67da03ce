#include "particles/EffectInstance.h"

#include <algorithm>
#include <cmath>

namespace particles {

namespace {

float Ease(Easing easing, float t) {
	switch (easing) {
	case Easing::EaseOut: return 1.0f - (1.0f - t) * (1.0f - t);
	case Easing::EaseIn: return t * t;
	case Easing::Linear: break;
	}
	return t;
}

D3DXVECTOR3 Between(ParticleRandom& random, const Vec3Range& range) {
	const float x = random.Between(range.min.x, range.max.x);
	const float y = random.Between(range.min.y, range.max.y);
	const float z = random.Between(range.min.z, range.max.z);
	return {x, y, z};
}

D3DXVECTOR3 RandomDirection(ParticleRandom& random) {
	const float z = random.Between(-1.0f, 1.0f);
	const float angle = random.Between(0.0f, 2.0f * D3DX_PI);
	const float r = std::sqrt(std::max(0.0f, 1.0f - z * z));
	return {r * std::cos(angle), r * std::sin(angle), z};
}

}  // namespace

void EvaluateParticle(const NodeDefinition& node, Particle& particle) {
	const float t = std::clamp(particle.age / particle.life, 0.0f, 1.0f);
	const float scale = node.scaleStart + (node.scaleEnd - node.scaleStart) * Ease(node.scaleEasing, t);
	particle.size = particle.baseSize * std::max(0.0f, scale);
	D3DXCOLOR color = particle.birthColor;
	if (node.hasColorEnd) {
		color.r += (node.colorEnd.r - color.r) * t;
		color.g += (node.colorEnd.g - color.g) * t;
		color.b += (node.colorEnd.b - color.b) * t;
		color.a += (node.colorEnd.a - color.a) * t;
	}
	if (node.fadeIn > 0) {
		color.a *= std::min(1.0f, (particle.age + 1.0f) / static_cast<float>(node.fadeIn));
	}
	if (node.fadeOut > 0) {
		color.a *= std::clamp((particle.life - particle.age) / static_cast<float>(node.fadeOut), 0.0f, 1.0f);
	}
	particle.color = color;
}

namespace {
int liveInstances = 0;
}

int EffectInstance::LiveCount() { return liveInstances; }

EffectInstance::EffectInstance(int32_t handle_, Effect* effect_, const D3DXVECTOR3& location)
	: handle(handle_), effect(effect_), random(static_cast<uint64_t>(static_cast<uint32_t>(handle_))) {
	++liveInstances;
	effect->AddRef();
	D3DXMatrixTranslation(&matrix, location.x, location.y, location.z);
	nodes.resize(effect->Definition()->nodes.size());
}

EffectInstance::~EffectInstance() {
	--liveInstances;
	if (effect != nullptr) {
		effect->Release();
	}
}

EffectInstance::EffectInstance(EffectInstance&& other) noexcept
	: handle(other.handle), effect(other.effect), matrix(other.matrix), random(other.random),
	  nodes(std::move(other.nodes)), frame(other.frame), autoDrawing(other.autoDrawing) {
	++liveInstances;
	other.effect = nullptr;
}

EffectInstance& EffectInstance::operator=(EffectInstance&& other) noexcept {
	if (this != &other) {
		if (effect != nullptr) {
			effect->Release();
		}
		handle = other.handle;
		effect = other.effect;
		matrix = other.matrix;
		random = other.random;
		nodes = std::move(other.nodes);
		frame = other.frame;
		autoDrawing = other.autoDrawing;
		other.effect = nullptr;
	}
	return *this;
}

void EffectInstance::Step() {
	const std::vector<NodeDefinition>& definitions = effect->Definition()->nodes;
	for (size_t i = 0; i < nodes.size(); ++i) {
		const NodeDefinition& node = definitions[i];
		std::vector<Particle>& particles = nodes[i].particles;
		for (Particle& particle : particles) {
			particle.age += 1.0f;
			particle.velocity += particle.acceleration;
			particle.velocity *= 1.0f - node.drag;
			particle.position += particle.velocity;
			particle.rotation += particle.spin;
		}
		// Birth order is kept: ribbons are strung through it.
		particles.erase(std::remove_if(particles.begin(), particles.end(),
		                               [](const Particle& p) { return p.age >= p.life; }),
		                particles.end());
		for (Particle& particle : particles) {
			EvaluateParticle(node, particle);
		}
		Emit(node, nodes[i]);
	}
	++frame;
}

void EffectInstance::Emit(const NodeDefinition& node, NodeState& state) {
	if (frame < node.delay || state.emitted >= node.count) {
		return;
	}
	int births = node.count - state.emitted;
	if (node.rate > 0.0f) {
		state.pending += node.rate;
		births = std::min(births, static_cast<int>(state.pending));
		state.pending -= static_cast<float>(births);
	}
	for (int i = 0; i < births; ++i) {
		state.particles.push_back(Spawn(node, state.emitted));
		++state.emitted;
	}
}

Particle EffectInstance::Spawn(const NodeDefinition& node, int index) {
	Particle particle;
	D3DXVECTOR3 position = Between(random, node.position);
	D3DXVECTOR3 velocity = Between(random, node.velocity);
	if (node.shape == EmitShape::Line) {
		const float t = node.count > 1 ? static_cast<float>(index) / static_cast<float>(node.count - 1) : 0.0f;
		position += node.lineFrom + (node.lineTo - node.lineFrom) * t;
	} else if (node.shape == EmitShape::Sphere) {
		const D3DXVECTOR3 direction = RandomDirection(random);
		position += direction * random.Between(node.sphereRadius.min, node.sphereRadius.max);
		if (node.outward) {
			velocity += direction * random.Between(node.outwardSpeed.min, node.outwardSpeed.max);
		}
	}
	particle.acceleration = Between(random, node.acceleration);
	particle.life = std::max(1.0f, std::floor(random.Between(node.life.min, node.life.max) + 0.5f));
	particle.baseSize = random.Between(node.size.min, node.size.max);
	particle.rotation = random.Between(node.rotation.min, node.rotation.max);
	particle.spin = random.Between(node.rotationSpeed.min, node.rotationSpeed.max);
	const float c = random.Next();
	particle.birthColor = D3DXCOLOR(node.colorStartMin.r + (node.colorStartMax.r - node.colorStartMin.r) * c,
	                                node.colorStartMin.g + (node.colorStartMax.g - node.colorStartMin.g) * c,
	                                node.colorStartMin.b + (node.colorStartMax.b - node.colorStartMin.b) * c,
	                                node.colorStartMin.a + (node.colorStartMax.a - node.colorStartMin.a) * c);
	if (node.followInstance) {
		particle.position = position;
		particle.velocity = velocity;
	} else {
		D3DXVec3TransformCoord(&particle.position, &position, &matrix);
		D3DXVec3TransformNormal(&particle.velocity, &velocity, &matrix);
		const D3DXVECTOR3 acceleration = particle.acceleration;
		D3DXVec3TransformNormal(&particle.acceleration, &acceleration, &matrix);
	}
	EvaluateParticle(node, particle);
	return particle;
}

bool EffectInstance::Finished() const {
	const std::vector<NodeDefinition>& definitions = effect->Definition()->nodes;
	for (size_t i = 0; i < nodes.size(); ++i) {
		if (nodes[i].emitted < definitions[i].count || !nodes[i].particles.empty()) {
			return false;
		}
	}
	return true;
}

size_t EffectInstance::ParticleCount() const {
	size_t count = 0;
	for (const NodeState& node : nodes) {
		count += node.particles.size();
	}
	return count;
}

}  // namespace particles
