#pragma once
// The stage's boss: a tank that never moves. Its upper body (the op) turns
// towards the player a degree a frame; while the player is within range it
// streams red shots from the gun arm, fires plasma from the plasma arm when
// charged and sends up missiles, more often as it weakens. It owns its
// missiles' trails, drop markers and blasts, and deals their blast damage.
// Its death takes every other enemy with it.

#include "audio/SoundEffect.h"
#include "effect/GameEffect.h"
#include "enemy/EnemyBase.h"
#include "player/PlasmaLauncher.h"

#include <cstdint>

// Where the op stands; the boss places itself.
const D3DXVECTOR3 BOSS_POSITION(2000.0f, -155.0f, 2150.0f);
// The player is engaged while nearer than this to the op.
constexpr float BOSS_RANGE = 305.0f;
constexpr int32_t BOSS_HIT_POINTS = 300;

class Boss_Tank : public EnemyBase {
public:
	Boss_Tank();
	~Boss_Tank() override;

	void ResetTransform() override;
	void Init() override;
	void Update(PlayerMech& player) override;
	void Draw(PlayerMech& player) override;
	void ReleaseResources() override;
	// The boss neither falls nor casts a shadow.
	void ApplyGravity() override;
	void OnHit(const D3DXVECTOR3& point) override;
	void DrawShadow() override;
	void DrawDepth() const override;
	void UpdatePose() override;
	void Think(PlayerMech& player) override;

	D3DXMATRIX op;
	PlasmaLauncher plasma;
	GameEffect missileBlast;
	GameEffect hitBurst;
	GameEffect bomb;
	GameEffect damageSmoke;
	GameEffect missileSmoke;
	GameEffect dropMarker;
	SoundEffect shotSound;
	SoundEffect hitSound;
	SoundEffect deathSound;
	int32_t fireTimer = 0;
	int32_t missileTimer = 0;
	float opYaw = 90.0f;
	float barrelSpin = 0.0f;
	int32_t smokeTimer = 0;

private:
	void LoadEffectsAndSounds();
	void UpdateEffects();
	void UpdateProjectiles(PlayerMech& player);
	void UpdatePlasma(PlayerMech& player);
	void BlastMissiles(PlayerMech& player);
	void TrackMissiles();
	void FireWeapons();
	void LaunchMissiles(const PlayerMech& player);
	void Smoke();
	void CountToSmoke(int32_t wait);
	void PuffSmoke();
	void Die();
	// The turning upper body, then the gun arm and the plasma arm.
	void DrawParts(PartDraw draw) const;
	void DrawProjectilesAgainstMap();
};
