#pragma once
// Plays effects: owns every live instance, advances them one frame at a time
// and hands their particles to the renderers it was given.
//
// Handles count up from 0 and are never reused; -1 names no instance. Every
// call with a handle that names no live instance does nothing. Play returns
// -1 for a null effect and while the manager already holds its maximum of
// live instances (nothing playing is evicted). Coordinates are left-handed.

#include "particles/Effect.h"
#include "particles/EffectInstance.h"
#include "particles/Matrix43.h"
#include "particles/NodeRenderer.h"

#include <cstdint>
#include <memory>
#include <vector>

namespace particles {

using Handle = int32_t;
constexpr Handle INVALID_HANDLE = -1;

enum class CoordinateSystem { LH, RH };

class Manager {
public:
	// autoFlip is accepted for the calls' sake: there is no render thread to
	// flip to, so drawing always shows the state of the last Update.
	static Manager* Create(int instanceMax, bool autoFlip = true);
	void Destroy();

	// The manager owns the renderers and the loader it is given (the previous
	// one is deleted).
	void SetSpriteRenderer(NodeRenderer* renderer) { sprite.reset(renderer); }
	void SetRibbonRenderer(NodeRenderer* renderer) { ribbon.reset(renderer); }
	void SetRingRenderer(NodeRenderer* renderer) { ring.reset(renderer); }
	void SetModelRenderer(NodeRenderer* renderer) { model.reset(renderer); }
	void SetTextureLoader(TextureLoader* loader) { textureLoader.reset(loader); }
	TextureLoader* GetTextureLoader() const { return textureLoader.get(); }
	NodeRenderer* GetModelRenderer() const { return model.get(); }

	// Effects are authored left-handed; a right-handed system is refused
	// (false) and the manager stays left-handed.
	bool SetCoordinateSystem(CoordinateSystem system) { return system == CoordinateSystem::LH; }
	CoordinateSystem GetCoordinateSystem() const { return CoordinateSystem::LH; }

	Handle Play(Effect* effect, float x, float y, float z);
	Handle Play(Effect* effect, const D3DXVECTOR3& location) { return Play(effect, location.x, location.y, location.z); }
	bool Exists(Handle handle) const { return Find(handle) != nullptr; }
	void StopEffect(Handle handle);
	void StopAllEffects() { instances.clear(); }

	// Replaces the translation only; rotation and scale stay.
	void SetLocation(Handle handle, float x, float y, float z);
	void SetLocation(Handle handle, const D3DXVECTOR3& location) { SetLocation(handle, location.x, location.y, location.z); }
	// Replaces rotation and scale with a rotation of angle radians about axis;
	// the translation stays.
	void SetRotation(Handle handle, const D3DXVECTOR3& axis, float angle);
	void SetMatrix(Handle handle, const Matrix43& matrix);
	// Identity for a handle that names no live instance.
	Matrix43 GetMatrix(Handle handle) const;
	void SetAutoDrawing(Handle handle, bool autoDraw);

	// Advances every instance by deltaFrame frames of 1/60 s; fractions are
	// carried over to the next call, at most 60 frames are run per call.
	void Update(float deltaFrame = 1.0f);

	// Every instance whose auto-drawing is on, in the order they were played.
	void Draw();
	// One instance, whatever its auto-drawing.
	void DrawHandle(Handle handle);

	int GetInstanceCount() const { return static_cast<int>(instances.size()); }
	int GetMaxInstances() const { return instanceMax; }
	size_t GetTotalParticleCount() const;
	// The instance itself, for renderers' tests; null when it does not exist.
	const EffectInstance* GetInstance(Handle handle) const { return Find(handle); }

private:
	explicit Manager(int instanceMax);
	~Manager() = default;

	EffectInstance* Find(Handle handle);
	const EffectInstance* Find(Handle handle) const;
	void DrawInstance(const EffectInstance& instance);
	NodeRenderer* RendererFor(RendererKind kind) const;

	int instanceMax;
	Handle nextHandle = 0;
	float pendingFrames = 0.0f;
	std::vector<EffectInstance> instances;  // ascending handles, so found by bisection
	std::unique_ptr<NodeRenderer> sprite;
	std::unique_ptr<NodeRenderer> ribbon;
	std::unique_ptr<NodeRenderer> ring;
	std::unique_ptr<NodeRenderer> model;
	std::unique_ptr<TextureLoader> textureLoader;
};

}  // namespace particles
