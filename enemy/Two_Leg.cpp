#include "enemy/Two_Leg.h"

#include "player/Ammo.h"
#include "player/MechPose.h"
#include "player/PlayerMech.h"
#include "render/ModelTable.h"

#include <algorithm>
#include <cmath>
#include <cstdlib>

namespace {

const char* const EFFECT_FOLDER = "data/Effect_data/";
const char* const BOMB_FILE = "data/Effect_data/Bomb.efk";
const char* const HIT_BURST_FILE = "data/Effect_data/Hit_Bomb2.efk";
const char* const MUZZLE_FLASH_FILE = "data/Effect_data/Red_Flash.efk";
const char* const DAMAGE_SMOKE_FILE = "data/Effect_data/Damage_Smoke.efk";
const char* const SHOT_SOUND_FILE = "data/Sound/Title/raser_test.wav";
const char* const FOOT_SOUND_FILE = "data/Sound/Game/Foot_Sound.wav";
const char* const HIT_SOUND_FILE = "data/Sound/Game/Big_Bomb.wav";
const char* const DEATH_SOUND_FILE = "data/Sound/Game/Small_Bomb.wav";

// The meshes are modelled at ten times the walker's size.
constexpr float MODEL_SCALE = 0.1f;
constexpr float RADIANS_TO_DEGREES = 57.295776f;
constexpr float TURN_STEP = 0.017453f;  // one degree a frame
constexpr float TURN_THRESHOLD = 1.0f;
// Below this the walker counts as facing the player, so it does not twitch.
constexpr float AIM_DEAD_ZONE = 1.5f;
constexpr float LEG_BLEND_STEP = 0.03f;
constexpr float FOOTSTEP_BLEND = 0.5f;
constexpr float LEG_SWING_FORWARD = 1.04718f;  // 60 degrees
constexpr float LEG_SWING_BACK = -0.52359f;    // -30 degrees
const D3DXVECTOR3 HIP_LEFT(3.2f, -5.0f, 1.5f);
const D3DXVECTOR3 HIP_RIGHT(-3.2f, -5.0f, 1.5f);
const D3DXVECTOR3 KNEE_LEFT(1.0f, -3.4f, 1.2f);
const D3DXVECTOR3 KNEE_RIGHT(-1.0f, -3.4f, 1.2f);
const D3DXVECTOR3 MUZZLE_OFFSET(0.0f, 2.3f, -8.0f);
constexpr float DEBRIS_LAUNCH_SPEED = 2.0f;
constexpr float DEBRIS_GRAVITY = 0.1f;

// Debris slots: the parts in the order their velocities are drawn.
enum DebrisPart { DEBRIS_LEFT_UPPER, DEBRIS_LEFT_LOWER, DEBRIS_RIGHT_UPPER, DEBRIS_RIGHT_LOWER, DEBRIS_MUZZLE, DEBRIS_BODY };

D3DXMATRIX Translation(const D3DXVECTOR3& v) {
	D3DXMATRIX m;
	D3DXMatrixTranslation(&m, v.x, v.y, v.z);
	return m;
}

D3DXMATRIX SwungHip(float angle, const D3DXVECTOR3& hip) {
	D3DXMATRIX swing;
	D3DXMatrixRotationX(&swing, angle);
	return swing * Translation(hip);
}

D3DXMATRIX Scaled(float scale) {
	D3DXMATRIX m;
	D3DXMatrixScaling(&m, scale, scale, scale);
	return m;
}

void Shift(D3DXMATRIX& m, const D3DXVECTOR3& v) {
	m._41 += v.x;
	m._42 += v.y;
	m._43 += v.z;
}

// A sideways spread of -0.3 to 0.2 a frame.
float DebrisSpread() { return static_cast<float>(std::rand() % 6 - 3) / 10.0f; }

}  // namespace

Two_Leg::Two_Leg() {
	D3DXMATRIX* const all[] = {&leftUpper,  &leftLower,  &rightUpper, &rightLower,      &muzzle,
	                           &restLeft,   &restRight,  &leftLowerOffset, &rightLowerOffset, &stepALeft,
	                           &stepBLeft,  &stepBRight, &stepARight, &legLeft,         &legRight,
	                           &legLeftFrom, &legRightFrom};
	for (D3DXMATRIX* m : all) {
		D3DXMatrixIdentity(m);
	}
	Init();
}

Two_Leg::~Two_Leg() { ReleaseResources(); }

void Two_Leg::ResetTransform() {
	const D3DXMATRIX scale = Scaled(MODEL_SCALE);
	world = scale;
	leftUpper = scale;
	rightUpper = scale;
	leftLower = scale;
	rightLower = scale;
}

void Two_Leg::Init() {
	ResetTransform();
	BuildKeyPoses();
	legLeft = restLeft;
	legLeftFrom = restLeft;
	legRight = restRight;
	legRightFrom = restRight;
	legBlend = 0.0f;
	legMode = WALKER_LEGS_REST;
	walking = false;
	partMatrixA = leftLower;
	partMatrixB = rightLower;

	exists = true;
	alive = true;
	attacking = false;
	isMissile = false;
	restStarted = true;
	walkStarted = false;
	turning = false;
	stepSoundPlayed = false;
	hitPoints = WALKER_HIT_POINTS;
	deathTimer = 0;
	fireTimer = 0;
	headingDegrees = 0.0f;
	verticalSpeed = 0.0f;

	LoadResources();
}

void Two_Leg::BuildKeyPoses() {
	restLeft = Translation(HIP_LEFT);
	restRight = Translation(HIP_RIGHT);
	stepALeft = SwungHip(LEG_SWING_FORWARD, HIP_LEFT);
	stepARight = SwungHip(LEG_SWING_BACK, HIP_RIGHT);
	stepBLeft = SwungHip(LEG_SWING_BACK, HIP_LEFT);
	stepBRight = SwungHip(LEG_SWING_FORWARD, HIP_RIGHT);
	leftLowerOffset = Translation(KNEE_LEFT);
	rightLowerOffset = Translation(KNEE_RIGHT);
}

void Two_Leg::LoadResources() {
	bomb.Load(BOMB_FILE, EFFECT_FOLDER);
	hitBurst.Load(HIT_BURST_FILE, EFFECT_FOLDER);
	muzzleFlash.Load(MUZZLE_FLASH_FILE, EFFECT_FOLDER);
	damageSmoke.Load(DAMAGE_SMOKE_FILE, EFFECT_FOLDER);
	shotSound.Load(SHOT_SOUND_FILE);
	footSound.Load(FOOT_SOUND_FILE);
	hitSound.Load(HIT_SOUND_FILE);
	deathSound.Load(DEATH_SOUND_FILE);
}

void Two_Leg::ReleaseResources() {
	EnemyBase::ReleaseResources();
	bomb.Release();
	muzzleFlash.Release();
	hitBurst.Release();
	damageSmoke.Release();
	shotSound.Release();
	footSound.Release();
	deathSound.Release();
	hitSound.Release();
}

void Two_Leg::ApplyGravity() { ApplyGravityAbove(WALKER_GROUND_HEIGHT); }

void Two_Leg::OnHit(const D3DXVECTOR3& point) {
	hitBurst.SetPosition(point);
	hitBurst.Restart();
	hitSound.Play();
}

//
// Deciding: idle beyond sight range, approaching within it, attacking
// within fire range; turning towards the player whenever it is in sight.
//
void Two_Leg::Think(PlayerMech& player) {
	if (!alive) {
		return;
	}
	const D3DXVECTOR3 offset = player.Position() - Position();
	const float distance = D3DXVec3Length(&offset);
	if (distance < WALKER_SIGHT_RANGE) {
		const D3DXVECTOR3 ahead(-world._31, -world._32, -world._33);
		D3DXVECTOR3 facing, toPlayer, side;
		D3DXVec3Normalize(&facing, &ahead);
		D3DXVec3Normalize(&toPlayer, &offset);
		// Rounding may take the product of two unit vectors just past 1.
		const float cosine = std::clamp(D3DXVec3Dot(&facing, &toPlayer), -1.0f, 1.0f);
		aimAngle = std::acos(cosine) * RADIANS_TO_DEGREES;
		if (aimAngle > 0.0f && aimAngle < AIM_DEAD_ZONE) {
			aimAngle = 0.0f;
		}
		D3DXVec3Cross(&side, &facing, &toPlayer);
		D3DXVec3Normalize(&side, &side);
		if (side.y < 0.0f) {
			aimAngle = -aimAngle;
		}
		walking = true;
		turning = true;
		if (distance < WALKER_FIRE_RANGE) {
			attacking = true;
			walking = false;
			walkStarted = false;
		} else {
			attacking = false;
		}
	} else {
		walkStarted = false;
		turning = false;
		walking = false;
	}

	Turn();

	if (walking && !attacking) {
		velocity = D3DXVECTOR3(0.0f, 0.0f, -WALKER_WALK_SPEED);
		MoveWithWalls();
	} else {
		velocity = D3DXVECTOR3(0.0f, 0.0f, 0.0f);
	}
}

void Two_Leg::Turn() {
	if (!turning) {
		return;
	}
	D3DXMATRIX rotation;
	if (aimAngle > TURN_THRESHOLD) {
		D3DXMatrixRotationY(&rotation, TURN_STEP);
		world = rotation * world;
		headingDegrees += 1.0f;
		if (headingDegrees > 360.0f) {
			headingDegrees = 0.0f;
		}
	} else if (aimAngle < -TURN_THRESHOLD) {
		D3DXMatrixRotationY(&rotation, -TURN_STEP);
		world = rotation * world;
		headingDegrees -= 1.0f;
		if (headingDegrees < 0.0f) {
			headingDegrees = 360.0f;
		}
	}
}

//
// One frame. The dead walker still falls, lets its debris fly, keeps its
// shots in flight and counts down to its removal.
//
void Two_Leg::Update(PlayerMech& player) {
	if (!exists) {
		return;
	}
	Think(player);
	StartLegCycle();
	ApplyGravity();
	SeparateFromOthers();
	if (alive) {
		UpdatePose();
	} else {
		MoveDebris();
	}
	if (alive && attacking) {
		Fire();
	}
	UpdateProjectiles(player);
	if (hitPoints < WALKER_SMOKE_HIT_POINTS && alive) {
		Smoke();
	}
	if (hitPoints < 1) {
		Die();
	}
	bomb.Update();
	muzzleFlash.Update();
	hitBurst.Update();
	damageSmoke.Update();
	DeleteSpentProjectiles();
}

// Starting to walk restarts the cycle at step A from the pose shown now;
// stopping blends back to rest over one step.
void Two_Leg::StartLegCycle() {
	if (walking) {
		restStarted = false;
		if (!walkStarted) {
			walkStarted = true;
			legMode = WALKER_LEGS_STEP_A;
			legLeftFrom = legLeft;
			legRightFrom = legRight;
			legBlend = 0.0f;
		}
	} else if (!restStarted) {
		restStarted = true;
		legMode = WALKER_LEGS_REST;
		legLeftFrom = legLeft;
		legRightFrom = legRight;
		legBlend = 0.0f;
	}
}

// fireTimer keeps its count while the walker is not attacking.
void Two_Leg::Fire() {
	if (fireTimer < 1) {
		shotSound.Play();
		muzzleFlash.SetPosition(TranslationOf(muzzle));
		muzzleFlash.PlayOriented(headingDegrees, 0.0f);
		Ammo* const shot = new Ammo(AMMO_WALKER);
		shot->SetLaunchMatrix(muzzle);
		projectiles.push_back(shot);
	}
	fireTimer = (fireTimer + 1) % WALKER_FIRE_INTERVAL;
}

void Two_Leg::UpdateProjectiles(PlayerMech& player) {
	for (Ammo* shot : projectiles) {
		shot->UpdateEnemyShot();
		shot->HitPlayer(player);
	}
}

// A new smoke instance every frame: the trail thickens with the frames.
void Two_Leg::Smoke() {
	damageSmoke.SetPosition(Position());
	damageSmoke.Play();
}

void Two_Leg::Die() {
	deathTimer += 1;
	if (alive) {
		bomb.SetPosition(Position());
		bomb.Restart();
		// Overlapping voices make one big blast.
		for (int i = 0; i < WALKER_DEATH_SOUNDS; ++i) {
			deathSound.Play();
		}
		for (D3DXVECTOR3& debris : debrisVelocity) {
			const float x = DebrisSpread();
			const float z = DebrisSpread();
			debris = D3DXVECTOR3(x, DEBRIS_LAUNCH_SPEED, z);
		}
		alive = false;
	}
	if (deathTimer > WALKER_REMOVE_FRAMES) {
		exists = false;
	}
}

// The legs pass through the ground; the body still lands through gravity.
void Two_Leg::MoveDebris() {
	for (D3DXVECTOR3& debris : debrisVelocity) {
		debris.y -= DEBRIS_GRAVITY;
	}
	Shift(world, debrisVelocity[DEBRIS_BODY]);
	Shift(leftUpper, debrisVelocity[DEBRIS_LEFT_UPPER]);
	Shift(leftLower, debrisVelocity[DEBRIS_LEFT_LOWER]);
	Shift(rightUpper, debrisVelocity[DEBRIS_RIGHT_UPPER]);
	Shift(rightLower, debrisVelocity[DEBRIS_RIGHT_LOWER]);
	Shift(muzzle, debrisVelocity[DEBRIS_MUZZLE]);
}

//
// Posing: the muzzle, the hip blend of the leg cycle, then the leg parts.
//
void Two_Leg::UpdatePose() {
	muzzle = Translation(MUZZLE_OFFSET) * world;

	if (walking) {
		const D3DXMATRIX* keyLeft = nullptr;
		const D3DXMATRIX* keyRight = nullptr;
		switch (legMode) {
		case WALKER_LEGS_REST: keyLeft = &restLeft; keyRight = &restRight; break;
		case WALKER_LEGS_STEP_A: keyLeft = &stepALeft; keyRight = &stepARight; break;
		case WALKER_LEGS_STEP_B: keyLeft = &stepBLeft; keyRight = &stepBRight; break;
		default: break;
		}
		if (keyLeft != nullptr) {
			Interpolate(legLeftFrom, *keyLeft, legLeft);
			Interpolate(legRightFrom, *keyRight, legRight);
		}
		legBlend += LEG_BLEND_STEP;
		if (legBlend >= FOOTSTEP_BLEND && !stepSoundPlayed) {
			footSound.Play();
			stepSoundPlayed = true;
		}
	}
	if (restStarted) {
		Interpolate(legLeftFrom, restLeft, legLeft);
		Interpolate(legRightFrom, restRight, legRight);
		legBlend += LEG_BLEND_STEP;
	}

	PlaceLegs();
}

void Two_Leg::Interpolate(const D3DXMATRIX& from, const D3DXMATRIX& key, D3DXMATRIX& out) {
	out = BlendPose(from, key, legBlend);
	if (legBlend < 1.0f) {
		return;
	}
	switch (legMode) {
	case WALKER_LEGS_REST: break;
	case WALKER_LEGS_STEP_A: legMode = WALKER_LEGS_STEP_B; break;
	case WALKER_LEGS_STEP_B: legMode = WALKER_LEGS_STEP_A; break;
	default: return;
	}
	legLeftFrom = legLeft;
	legRightFrom = legRight;
	legBlend = 0.0f;
	stepSoundPlayed = false;
}

void Two_Leg::PlaceLegs() {
	leftUpper = legLeft * world;
	leftLower = leftLowerOffset * leftUpper;
	partMatrixA = leftLower;
	rightUpper = legRight * world;
	rightLower = rightLowerOffset * rightUpper;
	partMatrixB = rightLower;
}

//
// Drawing. The wreck stays visible for a while; its shots and effects
// outlive it.
//
void Two_Leg::Draw(PlayerMech&) {
	if (deathTimer < WALKER_WRECK_FRAMES) {
		DrawParts(DrawPart);
	}
	for (Ammo* shot : projectiles) {
		shot->TestMap();
		shot->Draw();
	}
	DrawEffects();
}

void Two_Leg::DrawDepth() const {
	if (deathTimer < WALKER_WRECK_FRAMES) {
		DrawParts(DrawPartDepth);
	}
}

void Two_Leg::DrawParts(PartDraw draw) const {
	draw(world, MODEL_WALKER_BODY);
	draw(leftUpper, MODEL_WALKER_LEFT_UPPER);
	draw(rightUpper, MODEL_WALKER_RIGHT_UPPER);
	draw(leftLower, MODEL_WALKER_LEFT_LOWER);
	draw(rightLower, MODEL_WALKER_RIGHT_LOWER);
}

void Two_Leg::DrawEffects() {
	bomb.DrawCurrent();
	muzzleFlash.DrawCurrent();
	hitBurst.DrawCurrent();
	damageSmoke.Draw();
}

void Two_Leg::DrawShadow() {
	DrawParts(DrawPartShadow);
}
