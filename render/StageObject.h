#pragma once
// A moving platform: the lift. It stands still until the player first
// stands on it, then travels down and up in 691-frame legs.

#include "render/Model.h"

#include <cstdint>
#include <string>

class StageObject {
public:
	StageObject();
	StageObject(const StageObject&) = delete;
	StageObject& operator=(const StageObject&) = delete;

	// A new object with the initial values, its model loaded from path.
	static StageObject* Create(const std::string& path);

	void Update();
	// Toon-shaded with the world matrix, without outline.
	void Draw() const;
	// Its depth alone, before the scene is shaded.
	void DrawDepth() const;
	D3DXVECTOR3 GetVelocity() const { return velocity; }
	void Release();

	D3DXMATRIX world;
	Model model;
	D3DXVECTOR3 velocity;
	int32_t frameCounter;
	bool active;  // set by the player when it first stands on the object
	int32_t mode;  // 0 down, 1 up, 2 and 3 sideways
};
