#pragma once
// One effect file as the game plays it: its own particle manager and
// renderer, the loaded effect and the instance it started last. Angles are
// degrees here and radians inside the runtime.

#include "particles/Effect.h"
#include "particles/Manager.h"
#include "particles/Renderer.h"
#include "platform/math/D3DXMath.h"

#include <string>

class GameEffect {
public:
	GameEffect() = default;
	GameEffect(const GameEffect&) = delete;
	GameEffect& operator=(const GameEffect&) = delete;
	GameEffect(GameEffect&& other) noexcept;
	GameEffect& operator=(GameEffect&& other) noexcept;
	~GameEffect();

	// Creates renderer and manager and loads the effect file; a missing or
	// unreadable file leaves a null effect that plays and draws nothing.
	void Load(const wchar_t* path, const wchar_t* materialFolder);
	void Load(const char16_t* path, const char16_t* materialFolder);
	void Load(const std::string& path, const std::string& materialFolder);

	void Play();
	void PlayRotatedY(float degrees);
	void PlayOriented(float yawDegrees, float pitchDegrees);
	// Stops the current instance if it still plays and starts one that only
	// DrawCurrent shows.
	void Restart();
	void Stop();
	void SetRotation(const D3DXVECTOR3& axis, float degrees);
	void SetPosition(const D3DXVECTOR3& newPosition) { position = newPosition; }
	void Move();
	void Update();
	void Draw();
	void DrawCurrent();
	// Releases the effect, the manager and the renderer; harmless when
	// loading failed and when called again.
	void Release();

	bool IsLoaded() const { return effect != nullptr; }
	particles::Handle CurrentHandle() const { return handle; }
	particles::Manager* GetManager() const { return manager; }
	particles::Renderer* GetRenderer() const { return renderer; }
	const D3DXVECTOR3& Position() const { return position; }

private:
	particles::Renderer* renderer = nullptr;
	particles::Manager* manager = nullptr;
	particles::Effect* effect = nullptr;
	particles::Handle handle = particles::INVALID_HANDLE;
	D3DXVECTOR3 eye;
	D3DXVECTOR3 lookAt;
	D3DXVECTOR3 position;
};
