#pragma once
// The turret's laser gun: its matrix 15 units up the turret, the muzzle 50
// units along the gun's -z axis, the beam effect and the cooldown that
// keeps cycles 500 frames apart.

#include "effect/GameEffect.h"
#include "platform/math/D3DXMath.h"

#include <cstdint>

// A cycle may start once the gun has cooled down this long.
constexpr int32_t TURRET_COOLDOWN_FRAMES = 500;

class TurretGun {
public:
	TurretGun();
	TurretGun(const TurretGun&) = delete;
	TurretGun& operator=(const TurretGun&) = delete;

	void Load();
	// Starts the charge-and-beam effect from the muzzle along the heading.
	void Fire(float yawDegrees);
	void Update();
	void UpdateMuzzle();
	void DrawGun() const;
	void DrawBeam();
	void Release();

	D3DXMATRIX gunMatrix;
	D3DXMATRIX muzzle;
	bool beamActive = false;
	int32_t cooldown = TURRET_COOLDOWN_FRAMES;
	GameEffect beam;
};
