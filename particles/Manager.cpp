#include "particles/Manager.h"

#include <algorithm>
#include <cmath>
#include <limits>

namespace particles {

Manager* Manager::Create(int instanceMax, bool autoFlip) {
	(void)autoFlip;
	return new Manager(instanceMax);
}

Manager::Manager(int instanceMax_) : instanceMax(std::max(0, instanceMax_)) {}

void Manager::Destroy() { delete this; }

Handle Manager::Play(Effect* effect, float x, float y, float z) {
	if (effect == nullptr || static_cast<int>(instances.size()) >= instanceMax ||
	    nextHandle == std::numeric_limits<Handle>::max()) {
		return INVALID_HANDLE;
	}
	const Handle handle = nextHandle++;
	instances.emplace_back(handle, effect, D3DXVECTOR3(x, y, z));
	return handle;
}

EffectInstance* Manager::Find(Handle handle) {
	return const_cast<EffectInstance*>(static_cast<const Manager*>(this)->Find(handle));
}

const EffectInstance* Manager::Find(Handle handle) const {
	if (handle < 0) {
		return nullptr;
	}
	const auto found = std::lower_bound(instances.begin(), instances.end(), handle,
	                                    [](const EffectInstance& instance, Handle h) { return instance.Handle() < h; });
	return found != instances.end() && found->Handle() == handle ? &*found : nullptr;
}

void Manager::StopEffect(Handle handle) {
	if (const EffectInstance* instance = Find(handle)) {
		instances.erase(instances.begin() + (instance - instances.data()));
	}
}

void Manager::SetLocation(Handle handle, float x, float y, float z) {
	if (EffectInstance* instance = Find(handle)) {
		D3DXMATRIX m = instance->Matrix();
		m._41 = x;
		m._42 = y;
		m._43 = z;
		instance->SetMatrix(m);
	}
}

void Manager::SetRotation(Handle handle, const D3DXVECTOR3& axis, float angle) {
	if (EffectInstance* instance = Find(handle)) {
		D3DXMATRIX m;
		if (D3DXVec3LengthSq(&axis) > 0.0f) {
			D3DXMatrixRotationAxis(&m, &axis, angle);
		} else {
			D3DXMatrixIdentity(&m);
		}
		m._41 = instance->Matrix()._41;
		m._42 = instance->Matrix()._42;
		m._43 = instance->Matrix()._43;
		instance->SetMatrix(m);
	}
}

void Manager::SetMatrix(Handle handle, const Matrix43& matrix) {
	if (EffectInstance* instance = Find(handle)) {
		instance->SetMatrix(matrix.ToMatrix());
	}
}

Matrix43 Manager::GetMatrix(Handle handle) const {
	const EffectInstance* instance = Find(handle);
	return instance != nullptr ? Matrix43::FromMatrix(instance->Matrix()) : Matrix43{};
}

void Manager::SetAutoDrawing(Handle handle, bool autoDraw) {
	if (EffectInstance* instance = Find(handle)) {
		instance->SetAutoDrawing(autoDraw);
	}
}

void Manager::Update(float deltaFrame) {
	if (!(deltaFrame > 0.0f)) {
		return;  // also refuses NaN
	}
	pendingFrames = std::min(pendingFrames + deltaFrame, 60.0f);
	while (pendingFrames >= 1.0f) {
		pendingFrames -= 1.0f;
		for (EffectInstance& instance : instances) {
			instance.Step();
		}
		instances.erase(std::remove_if(instances.begin(), instances.end(),
		                               [](const EffectInstance& instance) { return instance.Finished(); }),
		                instances.end());
	}
}

NodeRenderer* Manager::RendererFor(RendererKind kind) const {
	switch (kind) {
	case RendererKind::Sprite: return sprite.get();
	case RendererKind::Ribbon: return ribbon.get();
	case RendererKind::Ring: return ring.get();
	case RendererKind::Model: return model.get();
	}
	return nullptr;
}

void Manager::DrawInstance(const EffectInstance& instance) {
	const Effect& effect = instance.GetEffect();
	const std::vector<NodeDefinition>& nodes = effect.Definition()->nodes;
	for (size_t i = 0; i < instance.NodeCount(); ++i) {
		const std::vector<Particle>& particles = instance.NodeParticles(i);
		NodeRenderer* renderer = RendererFor(nodes[i].renderer);
		if (particles.empty() || renderer == nullptr) {
			continue;
		}
		NodeDrawData data;
		data.node = &nodes[i];
		data.texture = effect.NodeTexture(i).get();
		data.model = effect.NodeModel(i).get();
		data.particles = particles.data();
		data.count = particles.size();
		data.instanceMatrix = &instance.Matrix();
		renderer->Render(data);
	}
}

void Manager::Draw() {
	for (const EffectInstance& instance : instances) {
		if (instance.AutoDrawing()) {
			DrawInstance(instance);
		}
	}
}

void Manager::DrawHandle(Handle handle) {
	if (const EffectInstance* instance = Find(handle)) {
		DrawInstance(*instance);
	}
}

size_t Manager::GetTotalParticleCount() const {
	size_t count = 0;
	for (const EffectInstance& instance : instances) {
		count += instance.ParticleCount();
	}
	return count;
}

}  // namespace particles
