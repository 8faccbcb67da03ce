#include "enemy/Missile.h"

#include "player/MapCollision.h"
#include "render/ModelTable.h"

namespace {

constexpr int32_t MISSILE_HIT_POINTS = 10;
constexpr int32_t MISSILE_BODY_RADIUS = 8;
// A half turn about x, stored slightly short of pi.
constexpr float HALF_TURN = 3.14154f;
// Climbing runs along the local -y axis, which points up while upside down.
constexpr float CLIMB_SPEED = 0.8f;
constexpr int32_t CLIMB_FRAMES = 200;
constexpr int32_t HANG_FRAMES = 10;
constexpr float DROP_SPEED = 0.3f;
// The missile bursts once the ground is this near below it.
constexpr float BLAST_HEIGHT = 10.0f;
constexpr int32_t REMOVAL_FRAMES = 100;

const D3DXVECTOR3 DOWN(0.0f, -1.0f, 0.0f);

}  // namespace

Missile::Missile() {
	D3DXMatrixIdentity(&world);
	Init();
}

Missile::~Missile() { ReleaseResources(); }

void Missile::ResetTransform() { D3DXMatrixIdentity(&world); }

// Unlike construction, the current world is turned over as it stands.
void Missile::Init() {
	hitPoints = MISSILE_HIT_POINTS;
	exists = true;
	alive = true;
	exploded = false;
	isMissile = true;
	D3DXMATRIX turn;
	D3DXMatrixRotationX(&turn, HALF_TURN);
	world = turn * world;
	deathTimer = 0;
	phaseTimer = 0;
	phase = MISSILE_RISING;
	bodyRadius = MISSILE_BODY_RADIUS;
}

// The flight timers run on after death: a shot-down missile may still jump
// to its drop point, but never falls.
void Missile::Update(PlayerMech&) {
	if (!exists) {
		return;
	}
	Fly();
	if (!alive) {
		++deathTimer;
		if (deathTimer > REMOVAL_FRAMES) {
			exists = false;
		}
		return;
	}
	ApplyGravity();
	if (hitPoints <= 0) {
		hitPoints = 0;
		alive = false;
	}
}

void Missile::Fly() {
	if (phase == MISSILE_RISING) {
		Rise();
	} else if (phase == MISSILE_HANGING) {
		Hang();
	}
}

void Missile::Rise() {
	++phaseTimer;
	D3DXMATRIX step;
	D3DXMatrixTranslation(&step, 0.0f, -CLIMB_SPEED, 0.0f);
	world = step * world;
	if (phaseTimer >= CLIMB_FRAMES) {
		phase = MISSILE_HANGING;
		phaseTimer = 0;
		D3DXMATRIX turn;
		D3DXMatrixRotationX(&turn, HALF_TURN);
		world = turn * world;
	}
}

void Missile::Hang() {
	++phaseTimer;
	if (phaseTimer >= HANG_FRAMES) {
		phase = MISSILE_DROPPING;
		SetPosition(target);
	}
}

// The ground is measured before the fall, and the missile is not lifted back.
void Missile::ApplyGravity() {
	if (!alive || phase < MISSILE_DROPPING) {
		return;
	}
	const RayCastResult ground = CastRayAtMap(Position(), DOWN);
	world._42 -= DROP_SPEED;
	verticalSpeed = -DROP_SPEED;
	if (ground.hit && ground.distance <= BLAST_HEIGHT) {
		verticalSpeed = 0.0f;
		alive = false;
		exploded = true;
	}
}

void Missile::Draw(PlayerMech&) {
	if (exists && alive) {
		DrawPart(world, MODEL_BOSS_MISSILE);
	}
}

void Missile::DrawDepth() const {
	if (exists && alive) {
		DrawPartDepth(world, MODEL_BOSS_MISSILE);
	}
}

void Missile::DrawShadow() {
	if (alive) {
		DrawPartShadow(world, MODEL_BOSS_MISSILE);
	}
}

void Missile::ReleaseResources() {}

void Missile::OnHit(const D3DXVECTOR3&) {}

void Missile::UpdatePose() {}

void Missile::Think(PlayerMech&) {}
