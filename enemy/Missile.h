#pragma once
// The boss tank's indirect fire: it climbs straight up from the boss, turns
// over, hangs, then reappears above the drop point chosen at launch and
// falls on it. It carries no effects or sounds of its own; the boss plays
// its trail, drop marker, blast and destruction and deals the blast damage.
// It lives in the enemy list, so the player can shoot it down.

#include "enemy/EnemyBase.h"

#include <cstdint>

enum MissilePhase : int32_t {
	MISSILE_RISING = 0,
	MISSILE_HANGING = 1,
	MISSILE_DROPPING = 2,
};

class Missile : public EnemyBase {
public:
	Missile();
	~Missile() override;

	void ResetTransform() override;
	// Upside down (local -y up) and rising; the boss sets target and position.
	void Init() override;
	void Update(PlayerMech& player) override;
	void Draw(PlayerMech& player) override;
	void ReleaseResources() override;
	// The drop: a constant fall that stops within reach of the ground.
	void ApplyGravity() override;
	void OnHit(const D3DXVECTOR3& point) override;
	void DrawShadow() override;
	void DrawDepth() const override;
	void UpdatePose() override;
	void Think(PlayerMech& player) override;

	int32_t phaseTimer = 0;

private:
	void Fly();
	void Rise();
	void Hang();
};
