#pragma once
// A stationary laser emplacement. It turns on the spot towards a robot
// within 1005 units, locks on within two degrees, charges for 140 frames,
// then fires a beam for 360 frames that drains the robot every frame it
// stays inside the narrowing beam. Cycles start at least 500 frames apart.

#include "audio/SoundEffect.h"
#include "effect/GameEffect.h"
#include "enemy/EnemyBase.h"
#include "enemy/TurretGun.h"

#include <cstdint>

class Turret : public EnemyBase {
public:
	Turret();
	~Turret() override;

	void ResetTransform() override;
	void Init() override;
	void Update(PlayerMech& player) override;
	void Draw(PlayerMech& player) override;
	void ReleaseResources() override;
	void ApplyGravity() override;
	void OnHit(const D3DXVECTOR3& point) override;
	void DrawShadow() override;
	void DrawDepth() const override;
	void UpdatePose() override;
	void Think(PlayerMech& player) override;

	bool beamStarted = false;
	bool beamSoundPlayed = false;
	bool deathHandled = false;
	float turnStep = 0.0f;
	int32_t beamTimer = 0;
	int32_t wreckTimer = 0;
	float beamRadius = 1.0f;
	GameEffect bomb;
	GameEffect hitBurst;
	GameEffect damageSmoke;
	TurretGun gun;
	SoundEffect chargeSound;
	SoundEffect beamSound;
	SoundEffect hitSound;
	SoundEffect deathSound;

private:
	void AimAt(const D3DXVECTOR3& playerPosition);
	void Turn(float degrees);
	void Die();
	void Smoke();
	void RunCycle(PlayerMech& player);
	void BeamAt(PlayerMech& player);
};
