#pragma once
// The common enemy: a two-legged walker that stands still while the player
// is far, turns towards the player and walks up within 305 units, and
// stands and fires red shots within 130. Its legs swing through a two-key
// cycle; shot down, it explodes, its body and legs fly apart and it is
// removed 120 frames later.
//
// partMatrixA follows the left lower leg and partMatrixB the right one, so
// the legs carry the two part hit spheres.

#include "audio/SoundEffect.h"
#include "effect/GameEffect.h"
#include "enemy/EnemyBase.h"
#include "platform/math/D3DXMath.h"

// The walker settles this far above the floor.
constexpr float WALKER_GROUND_HEIGHT = 15.0f;
constexpr float WALKER_SIGHT_RANGE = 305.0f;
constexpr float WALKER_FIRE_RANGE = 130.0f;
constexpr float WALKER_WALK_SPEED = 0.3f;
constexpr int32_t WALKER_HIT_POINTS = 50;
// A shot leaves on the first attacking frame, then every this many frames.
constexpr int32_t WALKER_FIRE_INTERVAL = 8;
// Below this many hit points the walker smokes.
constexpr int32_t WALKER_SMOKE_HIT_POINTS = 30;
// The wreck is drawn for this many frames and removed after this many.
constexpr int32_t WALKER_WRECK_FRAMES = 50;
constexpr int32_t WALKER_REMOVE_FRAMES = 120;
constexpr int WALKER_DEATH_SOUNDS = 5;
// Legs, muzzle and body fly apart on death, in this order.
constexpr int WALKER_DEBRIS_COUNT = 6;

enum WalkerLegMode : int32_t {
	WALKER_LEGS_REST = 0,
	WALKER_LEGS_STEP_A = 1,
	WALKER_LEGS_STEP_B = 2,
};

class Two_Leg : public EnemyBase {
public:
	Two_Leg();
	~Two_Leg() override;

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

	D3DXMATRIX leftUpper;
	D3DXMATRIX leftLower;
	D3DXMATRIX rightUpper;
	D3DXMATRIX rightLower;
	D3DXMATRIX muzzle;
	D3DXMATRIX restLeft, restRight;
	D3DXMATRIX leftLowerOffset;
	D3DXMATRIX rightLowerOffset;
	D3DXMATRIX stepALeft;
	D3DXMATRIX stepBLeft, stepBRight;
	D3DXMATRIX stepARight;
	GameEffect bomb;
	GameEffect hitBurst;
	GameEffect muzzleFlash;
	GameEffect damageSmoke;
	SoundEffect shotSound;
	SoundEffect footSound;
	SoundEffect hitSound;
	SoundEffect deathSound;
	int32_t fireTimer = 0;
	float legBlend = 0.0f;
	bool restStarted = true;
	bool walkStarted = false;
	bool turning = false;
	bool stepSoundPlayed = false;
	float headingDegrees = 0.0f;
	D3DXVECTOR3 debrisVelocity[WALKER_DEBRIS_COUNT];
	D3DXMATRIX legLeft, legRight;
	D3DXMATRIX legLeftFrom, legRightFrom;

private:
	void BuildKeyPoses();
	void LoadResources();
	void Turn();
	void StartLegCycle();
	void Fire();
	void Smoke();
	void Die();
	void MoveDebris();
	void UpdateProjectiles(PlayerMech& player);
	// Blends one hip from the step's start towards key; at the end of a step
	// the cycle advances, so the other hip then holds for a frame.
	void Interpolate(const D3DXMATRIX& from, const D3DXMATRIX& key, D3DXMATRIX& out);
	void PlaceLegs();
	void DrawEffects();
	// Body, then upper and lower legs, left before right.
	void DrawParts(PartDraw draw) const;
};
