#include "enemy/Turret.h"

#include "player/PlayerMech.h"
#include "render/ModelTable.h"

#include <algorithm>
#include <cmath>

namespace {

const char* const EFFECT_FOLDER = "data/Effect_data/";
const char* const BOMB_FILE = "data/Effect_data/Bomb.efk";
const char* const HIT_BURST_FILE = "data/Effect_data/Hit_Bomb_Big.efk";
const char* const DAMAGE_SMOKE_FILE = "data/Effect_data/Damage_Smoke.efk";
const char* const CHARGE_SOUND_FILE = "data/Sound/Game/Raser_Charge.wav";
const char* const BEAM_SOUND_FILE = "data/Sound/Game/Raser_beam.wav";
const char* const HIT_SOUND_FILE = "data/Sound/Game/Big_Bomb.wav";
const char* const DEATH_SOUND_FILE = "data/Sound/Game/Small_Bomb.wav";

constexpr int32_t START_HIT_POINTS = 60;
constexpr int32_t RADIUS = 8;
constexpr int32_t SMOKE_BELOW = 30;
constexpr int32_t DEATH_SOUNDS = 5;
constexpr int32_t WRECK_FRAMES = 180;
constexpr float GROUND_HEIGHT = 5.0f;
constexpr float RANGE = 1005.0f;
// A robot more than this far below the turret's origin is not aimed at.
constexpr float BLIND_DEPTH = 10.0f;
// The lock holds while the aim left after a turn is inside this.
constexpr float LOCK_TOLERANCE = 2.0f;
constexpr int32_t CHARGE_FRAMES = 140;
constexpr int32_t CYCLE_FRAMES = 500;
constexpr float BEAM_START_RADIUS = 1.0f;
constexpr float BEAM_SHRINK = 0.007f;
constexpr float BEAM_DAMAGE = 1.5f;
constexpr float GUN_HEIGHT = 15.0f;
constexpr float DEGREE = 0.017453f;
constexpr float TO_DEGREES = 57.295776f;

D3DXVECTOR3 Normalised(const D3DXVECTOR3& v) {
	D3DXVECTOR3 out;
	return *D3DXVec3Normalize(&out, &v);
}

}  // namespace

Turret::Turret() { Init(); }

Turret::~Turret() { ReleaseResources(); }

void Turret::ResetTransform() { D3DXMatrixIdentity(&world); }

void Turret::Init() {
	ResetTransform();
	bomb.Load(BOMB_FILE, EFFECT_FOLDER);
	hitBurst.Load(HIT_BURST_FILE, EFFECT_FOLDER);
	damageSmoke.Load(DAMAGE_SMOKE_FILE, EFFECT_FOLDER);
	gun.Load();
	chargeSound.Load(CHARGE_SOUND_FILE);
	beamSound.Load(BEAM_SOUND_FILE);
	hitSound.Load(HIT_SOUND_FILE);
	deathSound.Load(DEATH_SOUND_FILE);
	exists = true;
	alive = true;
	beamStarted = false;
	attacking = false;
	deathHandled = false;
	beamSoundPlayed = false;
	gun.beamActive = true;
	beamRadius = BEAM_START_RADIUS;
	verticalSpeed = 0.0f;
	beamTimer = 0;
	wreckTimer = 0;
	turnStep = 0.0f;
	yaw = 0.0f;
	aimAngle = 0.0f;
	hitPoints = START_HIT_POINTS;
	bodyRadius = RADIUS;
	partRadiusA = RADIUS;
	partRadiusB = RADIUS;
}

void Turret::Update(PlayerMech& player) {
	if (!exists) {
		return;
	}
	UpdatePose();
	if (world._42 - player.Position().y < BLIND_DEPTH) {
		Think(player);
	}
	if (wreckTimer > WRECK_FRAMES) {
		exists = false;
		gun.beamActive = false;
	}
	if (hitPoints <= 0) {
		++wreckTimer;
		if (!deathHandled) {
			Die();
		}
	}
	if (hitPoints < SMOKE_BELOW) {
		Smoke();
	}
	gun.Update();
	bomb.Update();
	hitBurst.Update();
	damageSmoke.Update();
	if (!alive) {
		return;
	}
	ApplyGravity();
	RunCycle(player);
}

void Turret::Die() {
	alive = false;
	bomb.SetPosition(Position());
	bomb.Restart();
	for (int32_t i = 0; i < DEATH_SOUNDS; ++i) {
		deathSound.Play();
	}
	deathHandled = true;
}

// Two puffs a frame: one at the muzzle, one at the gun.
void Turret::Smoke() {
	damageSmoke.SetPosition(TranslationOf(partMatrixA));
	damageSmoke.Play();
	damageSmoke.SetPosition(TranslationOf(partMatrixB));
	damageSmoke.Play();
}

// Charge for 140 frames with the aim held, then the beam until frame 500.
void Turret::RunCycle(PlayerMech& player) {
	if (attacking && !beamStarted && gun.cooldown >= TURRET_COOLDOWN_FRAMES) {
		gun.Fire(yaw);
		chargeSound.Play();
		beamRadius = BEAM_START_RADIUS;
		beamStarted = true;
		beamSoundPlayed = false;
	}
	if (attacking) {
		if (beamTimer >= CHARGE_FRAMES) {
			BeamAt(player);
			beamRadius -= BEAM_SHRINK;
			++beamTimer;
			if (!beamSoundPlayed) {
				beamSound.Play();
				beamSoundPlayed = true;
			}
		} else {
			++beamTimer;
		}
	} else {
		beamStarted = false;
	}
	if (beamTimer >= CYCLE_FRAMES) {
		beamStarted = false;
		attacking = false;
		beamTimer = 0;
	}
}

// The beam runs along the gun's -z axis; m is the robot's distance from
// its line, and it hurts only while the shrinking radius is wider.
void Turret::BeamAt(PlayerMech& player) {
	const D3DXVECTOR3 axis(gun.gunMatrix._31, gun.gunMatrix._32, gun.gunMatrix._33);
	const D3DXVECTOR3 v = TranslationOf(gun.gunMatrix) - player.Position();
	const D3DXVECTOR3 direction = Normalised(v);
	const float k = std::clamp(D3DXVec3Dot(&direction, &axis), -1.0f, 1.0f);
	const float s = std::cos(std::acos(k));
	const D3DXVECTOR3 off = v - v * s;
	if (beamRadius > D3DXVec3Length(&off)) {
		player.hitPoints -= BEAM_DAMAGE;
		player.sparkRed.SetPosition(player.Position());
		player.sparkRed.Play();
		player.hitSound.Play();
	}
}

void Turret::Think(PlayerMech& player) {
	const D3DXVECTOR3 toPlayer = player.Position() - Position();
	const float distance = D3DXVec3Length(&toPlayer);
	const bool inRange = distance < RANGE;
	if (inRange) {
		AimAt(player.Position());
		turnStep = 0.0f;
	} else {
		attacking = false;
		beamStarted = false;
		beamTimer = 0;
	}
	if (beamStarted) {
		return;
	}
	// Out of range the angle is not recomputed: the last one is followed.
	if (aimAngle > turnStep) {
		turnStep += 1.0f;
		Turn(1.0f);
	}
	if (turnStep > aimAngle) {
		turnStep -= 1.0f;
		Turn(-1.0f);
	}
	if (!inRange) {
		turnStep = 0.0f;
	} else if (aimAngle - turnStep > -LOCK_TOLERANCE && aimAngle - turnStep < LOCK_TOLERANCE) {
		attacking = true;
	}
}

// The signed whole-degree angle from the facing to the robot, in the
// horizontal plane.
void Turret::AimAt(const D3DXVECTOR3& playerPosition) {
	D3DXVECTOR3 facing = Normalised(-D3DXVECTOR3(world._31, world._32, world._33));
	D3DXVECTOR3 toPlayer = Normalised(playerPosition - Position());
	facing.y = 0.0f;
	toPlayer.y = 0.0f;
	const float k = std::clamp(facing.x * toPlayer.x + facing.z * toPlayer.z, -1.0f, 1.0f);
	aimAngle = std::acos(k) * TO_DEGREES;
	const D3DXVECTOR3 side(0.0f, facing.z * toPlayer.x - facing.x * toPlayer.z, 0.0f);
	if (Normalised(side).y < 0.0f) {
		aimAngle = -aimAngle;
	}
	aimAngle = std::trunc(aimAngle);
}

void Turret::Turn(float degrees) {
	yaw += degrees;
	D3DXMATRIX rotation;
	D3DXMatrixRotationY(&rotation, degrees * DEGREE);
	world = rotation * world;
}

void Turret::UpdatePose() {
	D3DXMATRIX raise;
	D3DXMatrixTranslation(&raise, 0.0f, GUN_HEIGHT, 0.0f);
	gun.gunMatrix = raise * world;
	gun.UpdateMuzzle();
	partMatrixB = gun.gunMatrix;
	partMatrixA = gun.muzzle;
}

void Turret::ApplyGravity() { ApplyGravityAbove(GROUND_HEIGHT); }

void Turret::OnHit(const D3DXVECTOR3& point) {
	hitBurst.SetPosition(point);
	hitBurst.Play();
	hitSound.Play();
}

void Turret::Draw(PlayerMech&) {
	bomb.DrawCurrent();
	hitBurst.Draw();
	if (!alive) {
		return;
	}
	damageSmoke.Draw();
	gun.DrawBeam();
	DrawPart(world, MODEL_TURRET);
	gun.DrawGun();
}

void Turret::DrawDepth() const {
	if (alive) {
		DrawPartDepth(world, MODEL_TURRET);
		DrawPartDepth(gun.gunMatrix, MODEL_TURRET_GUN);
	}
}

void Turret::DrawShadow() {
	DrawPartShadow(world, MODEL_TURRET);
	DrawPartShadow(gun.gunMatrix, MODEL_TURRET_GUN);
}

void Turret::ReleaseResources() {
	gun.Release();
	bomb.Release();
	hitBurst.Release();
	damageSmoke.Release();
	chargeSound.Release();
	beamSound.Release();
	deathSound.Release();
	hitSound.Release();
}
