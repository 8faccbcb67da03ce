#include "enemy/Boss_Tank.h"

#include "enemy/Missile.h"
#include "player/Ammo.h"
#include "player/PlayerMech.h"
#include "render/ModelTable.h"
#include "scene/SceneManager.h"

#include <algorithm>
#include <cmath>

namespace {

const char* const EFFECT_FOLDER = "data/Effect_data/";
const char* const MISSILE_BLAST_FILE = "data/Effect_data/Missile_Bomb.efk";
const char* const HIT_BURST_FILE = "data/Effect_data/Hit_Bomb2.efk";
const char* const BOMB_FILE = "data/Effect_data/Bomb.efk";
const char* const DAMAGE_SMOKE_FILE = "data/Effect_data/Damage_Smoke.efk";
const char* const MISSILE_SMOKE_FILE = "data/Effect_data/Missile_Smoke.efk";
const char* const DROP_MARKER_FILE = "data/Effect_data/Red_Line.efk";
const char* const SHOT_SOUND_FILE = "data/Sound/Title/raser_test.wav";
const char* const HIT_SOUND_FILE = "data/Sound/Game/Big_Bomb.wav";
const char* const DEATH_SOUND_FILE = "data/Sound/Game/Small_Bomb.wav";

constexpr float DEGREE = 0.017453f;
constexpr float RADIAN_TO_DEGREES = 57.295776f;
// The arms splay 10 degrees and hang upside down, a half turn stored short of pi.
constexpr float ARM_SPLAY = 0.17453f;
constexpr float HALF_TURN = 3.14154f;
constexpr float BODY_HEIGHT = 15.0f;
const D3DXVECTOR3 PLASMA_ARM_OFFSET(-35.0f, -10.0f, 0.0f);
const D3DXVECTOR3 GUN_ARM_OFFSET(35.0f, -10.0f, 0.0f);

constexpr float BARREL_SPIN_STEP = 5.0f;
// One shot every this many frames in range.
constexpr int32_t FIRE_INTERVAL = 4;
// Missiles leave sooner as hit points fall, but never sooner than this.
constexpr int32_t FASTEST_MISSILE_INTERVAL = 150;
// The drop point keeps the player's x and z at launch.
constexpr float MISSILE_DROP_HEIGHT = -60.0f;
// A rising missile's trail starts this far below it.
constexpr float MISSILE_TRAIL_DROP = 10.0f;

// The plasma blast is tested against a sphere this big around the player.
constexpr int32_t PLAYER_TARGET_RADIUS = 5;
constexpr float PLASMA_DAMAGE = 20.0f;
// A missile blast takes this much less a unit of distance from the player.
constexpr float MISSILE_BLAST_DAMAGE = 100.0f;

constexpr float SMOKE_HEIGHT = 25.0f;
constexpr int32_t SMOKE_EVERY_FRAME_HIT_POINTS = 100;
constexpr int32_t SMOKE_OFTEN_HIT_POINTS = 150;
constexpr int32_t SMOKE_SOMETIMES_HIT_POINTS = 200;
constexpr int32_t SMOKE_OFTEN_WAIT = 3;
constexpr int32_t SMOKE_SOMETIMES_WAIT = 5;

constexpr int32_t REMOVAL_FRAMES = 120;
// The wreck stays on screen this long after death.
constexpr int32_t WRECK_FRAMES = 50;

// The signed angle in whole degrees from facing to toTarget, seen from above;
// positive when the target lies to the op's positive turn.
float WholeDegreesBetween(D3DXVECTOR3 facing, D3DXVECTOR3 toTarget) {
	D3DXVec3Normalize(&facing, &facing);
	D3DXVec3Normalize(&toTarget, &toTarget);
	facing.y = 0.0f;
	toTarget.y = 0.0f;
	const float cosine = std::clamp(facing.x * toTarget.x + 0.0f + facing.z * toTarget.z, -1.0f, 1.0f);
	float angle = std::acos(cosine) * RADIAN_TO_DEGREES;
	D3DXVECTOR3 normal(0.0f, facing.z * toTarget.x - facing.x * toTarget.z, 0.0f);
	D3DXVec3Normalize(&normal, &normal);
	if (normal.y < 0.0f) {
		angle = -angle;
	}
	return std::trunc(angle);
}

}  // namespace

Boss_Tank::Boss_Tank() {
	D3DXMatrixIdentity(&op);
	Init();
}

Boss_Tank::~Boss_Tank() { ReleaseResources(); }

void Boss_Tank::ResetTransform() {
	D3DXMatrixIdentity(&op);
	D3DXMatrixIdentity(&partMatrixB);
	D3DXMatrixIdentity(&partMatrixA);
	op._41 += BOSS_POSITION.x;
	op._42 += BOSS_POSITION.y;
	op._43 += BOSS_POSITION.z;
	D3DXMATRIX turn;
	D3DXMatrixRotationY(&turn, opYaw * DEGREE);
	op = turn * op;
}

void Boss_Tank::Init() {
	exists = true;
	alive = true;
	exploded = false;
	fireTimer = 0;
	smokeTimer = 0;
	missileTimer = 0;
	deathTimer = 0;
	hitPoints = BOSS_HIT_POINTS;
	yaw = 0.0f;
	aimAngle = 0.0f;
	opYaw = 90.0f;
	barrelSpin = 0.0f;
	bodyRadius = 15;
	partRadiusA = 8;
	partRadiusB = 8;
	ResetTransform();
	plasma.Initialise(PLASMA_OWNER_BOSS);
	LoadEffectsAndSounds();
}

void Boss_Tank::LoadEffectsAndSounds() {
	missileBlast.Load(MISSILE_BLAST_FILE, EFFECT_FOLDER);
	hitBurst.Load(HIT_BURST_FILE, EFFECT_FOLDER);
	bomb.Load(BOMB_FILE, EFFECT_FOLDER);
	missileSmoke.Load(MISSILE_SMOKE_FILE, EFFECT_FOLDER);
	dropMarker.Load(DROP_MARKER_FILE, EFFECT_FOLDER);
	damageSmoke.Load(DAMAGE_SMOKE_FILE, EFFECT_FOLDER);
	shotSound.Load(SHOT_SOUND_FILE);
	hitSound.Load(HIT_SOUND_FILE);
	deathSound.Load(DEATH_SOUND_FILE);
}

// The missiles' blasts and trails are the boss's to play, dead or alive.
void Boss_Tank::Update(PlayerMech& player) {
	if (!exists) {
		return;
	}
	if (!alive) {
		++deathTimer;
		if (deathTimer > REMOVAL_FRAMES) {
			exists = false;
		}
	}
	UpdateEffects();
	UpdateProjectiles(player);
	UpdatePlasma(player);
	BlastMissiles(player);
	TrackMissiles();
	if (!alive) {
		return;
	}
	UpdatePose();
	Think(player);
	FireWeapons();
	LaunchMissiles(player);
	Smoke();
	if (hitPoints <= 0) {
		Die();
	}
}

void Boss_Tank::UpdateEffects() {
	missileBlast.Update();
	hitBurst.Update();
	bomb.Update();
	missileSmoke.Update();
	dropMarker.Update();
	damageSmoke.Update();
}

void Boss_Tank::UpdateProjectiles(PlayerMech& player) {
	for (Ammo* shot : projectiles) {
		shot->UpdateEnemyShot();
		shot->HitPlayer(player);
	}
}

// The shot follows no one; the player is only where its blast is measured.
void Boss_Tank::UpdatePlasma(PlayerMech& player) {
	plasma.Update();
	if (!plasma.active) {
		return;
	}
	plasma.SetTarget(player.Position(), PLAYER_TARGET_RADIUS);
	plasma.TestMap();
	if (plasma.hitTarget) {
		player.hitPoints -= PLASMA_DAMAGE;
		player.sparkRed.SetPosition(player.Position());
		player.sparkRed.Play();
		player.hitSound.Play();
		plasma.hitTarget = false;
	}
}

void Boss_Tank::BlastMissiles(PlayerMech& player) {
	if (sceneManager == nullptr) {
		return;
	}
	for (EnemyBase* enemy : sceneManager->enemies) {
		if (!enemy->exploded) {
			continue;
		}
		missileBlast.SetPosition(enemy->Position());
		missileBlast.Play();
		const float damage = MISSILE_BLAST_DAMAGE - DistanceBetween(player.Position(), enemy->Position());
		if (damage > 0.0f) {
			player.hitPoints -= damage;
		}
		enemy->exploded = false;
	}
}

// Every missile not flagged exploded leaves a trail until it is removed,
// shot down or landed; a dropping one also shows where it will fall.
void Boss_Tank::TrackMissiles() {
	if (sceneManager == nullptr) {
		return;
	}
	for (EnemyBase* enemy : sceneManager->enemies) {
		if (enemy->isMissile && !enemy->exploded) {
			if (enemy->phase <= MISSILE_RISING) {
				missileSmoke.SetPosition(enemy->Position() - D3DXVECTOR3(0.0f, MISSILE_TRAIL_DROP, 0.0f));
			} else if (enemy->phase == MISSILE_DROPPING) {
				dropMarker.SetPosition(enemy->Position());
				dropMarker.Play();
			}
			missileSmoke.Play();
		}
		if (enemy->isMissile && enemy->hitFlag) {
			OnHit(enemy->Position());
			enemy->hitFlag = false;
			if (enemy->hitPoints <= 0) {
				bomb.SetPosition(enemy->Position());
				bomb.Play();
				deathSound.Play();
			}
		}
	}
}

void Boss_Tank::UpdatePose() {
	D3DXMATRIX lift;
	D3DXMatrixTranslation(&lift, 0.0f, BODY_HEIGHT, 0.0f);
	world = lift * op;

	D3DXMATRIX offset, splay, flip, spin;
	D3DXMatrixRotationX(&flip, HALF_TURN);
	D3DXMatrixTranslation(&offset, PLASMA_ARM_OFFSET.x, PLASMA_ARM_OFFSET.y, PLASMA_ARM_OFFSET.z);
	D3DXMatrixRotationY(&splay, ARM_SPLAY);
	partMatrixA = offset * splay * flip * op;

	D3DXMatrixRotationZ(&spin, barrelSpin * DEGREE);
	D3DXMatrixTranslation(&offset, GUN_ARM_OFFSET.x, GUN_ARM_OFFSET.y, GUN_ARM_OFFSET.z);
	D3DXMatrixRotationY(&splay, -ARM_SPLAY);
	partMatrixB = spin * offset * splay * flip * op;
}

// Aims in whole degrees, so the op settles instead of swinging about the player.
void Boss_Tank::Think(PlayerMech& player) {
	const D3DXVECTOR3 opPosition = TranslationOf(op);
	if (DistanceBetween(opPosition, player.Position()) >= BOSS_RANGE) {
		attacking = false;
		return;
	}
	D3DXMATRIX heading;
	D3DXMatrixRotationY(&heading, opYaw * DEGREE);
	const D3DXVECTOR3 ahead(0.0f, 0.0f, -1.0f);
	D3DXVECTOR3 facing;
	D3DXVec3TransformCoord(&facing, &ahead, &heading);
	aimAngle = WholeDegreesBetween(facing, player.Position() - opPosition);
	attacking = true;

	D3DXMATRIX turn;
	if (aimAngle > 0.0f) {
		opYaw += 1.0f;
		D3DXMatrixRotationY(&turn, DEGREE);
		op = turn * op;
	} else if (aimAngle < 0.0f) {
		opYaw -= 1.0f;
		D3DXMatrixRotationY(&turn, -DEGREE);
		op = turn * op;
	}
}

void Boss_Tank::FireWeapons() {
	if (attacking) {
		barrelSpin += BARREL_SPIN_STEP;
		if (fireTimer <= 0) {
			shotSound.Play();
			Ammo* shot = new Ammo(AMMO_BOSS);
			shot->SetLaunchMatrix(partMatrixB);
			projectiles.push_back(shot);
		}
		fireTimer = (fireTimer + 1) % FIRE_INTERVAL;
		if (plasma.charge >= PLASMA_FULL_CHARGE && !plasma.active) {
			plasma.Fire(partMatrixA);
		}
	}
	DeleteSpentProjectiles();
}

// The drop point is where the player stands now: moving on escapes the blast.
void Boss_Tank::LaunchMissiles(const PlayerMech& player) {
	if (!attacking) {
		return;
	}
	++missileTimer;
	if (missileTimer <= std::max(hitPoints, FASTEST_MISSILE_INTERVAL)) {
		return;
	}
	Missile* missile = new Missile();
	const D3DXVECTOR3 playerPosition = player.Position();
	missile->target = D3DXVECTOR3(playerPosition.x, MISSILE_DROP_HEIGHT, playerPosition.z);
	missile->SetPosition(Position());
	if (sceneManager != nullptr) {
		sceneManager->enemies.push_back(missile);
	} else {
		delete missile;
	}
	missileTimer = 0;
}

// Smokes more often as hit points fall.
void Boss_Tank::Smoke() {
	if (hitPoints <= SMOKE_EVERY_FRAME_HIT_POINTS) {
		PuffSmoke();
	} else if (hitPoints <= SMOKE_OFTEN_HIT_POINTS) {
		CountToSmoke(SMOKE_OFTEN_WAIT);
	} else if (hitPoints <= SMOKE_SOMETIMES_HIT_POINTS) {
		CountToSmoke(SMOKE_SOMETIMES_WAIT);
	}
}

void Boss_Tank::CountToSmoke(int32_t wait) {
	++smokeTimer;
	if (smokeTimer > wait) {
		PuffSmoke();
		smokeTimer = 0;
	}
}

void Boss_Tank::PuffSmoke() {
	damageSmoke.SetPosition(Position() + D3DXVECTOR3(0.0f, SMOKE_HEIGHT, 0.0f));
	damageSmoke.Play();
}

// Every enemy dies with the boss: those after it in the list this very frame.
void Boss_Tank::Die() {
	hitPoints = 0;
	bomb.SetPosition(Position());
	bomb.Play();
	bomb.SetPosition(TranslationOf(partMatrixA));
	bomb.Play();
	bomb.SetPosition(TranslationOf(partMatrixB));
	bomb.Play();
	deathSound.Play();
	alive = false;
	if (sceneManager == nullptr) {
		return;
	}
	for (EnemyBase* enemy : sceneManager->enemies) {
		enemy->hitPoints = 0;
	}
}

void Boss_Tank::Draw(PlayerMech&) {
	bomb.Draw();
	missileBlast.Draw();
	hitBurst.Draw();
	damageSmoke.Draw();
	if (deathTimer >= WRECK_FRAMES) {
		return;
	}
	missileSmoke.Draw();
	dropMarker.Draw();
	DrawParts(DrawPart);
	DrawProjectilesAgainstMap();
	plasma.Draw();
}

void Boss_Tank::DrawDepth() const {
	if (deathTimer < WRECK_FRAMES) {
		DrawParts(DrawPartDepth);
	}
}

void Boss_Tank::DrawParts(PartDraw draw) const {
	draw(op, MODEL_BOSS_OP);
	draw(partMatrixB, MODEL_BOSS_GUN_ARM);
	draw(partMatrixA, MODEL_BOSS_PLASMA_ARM);
}

// The boss's shots meet the map only here, as they are drawn.
void Boss_Tank::DrawProjectilesAgainstMap() {
	for (Ammo* shot : projectiles) {
		shot->TestMap();
		shot->Draw();
	}
}

void Boss_Tank::ReleaseResources() {
	EnemyBase::ReleaseResources();
	plasma.Release();
	missileBlast.Release();
	hitBurst.Release();
	bomb.Release();
	missileSmoke.Release();
	dropMarker.Release();
	damageSmoke.Release();
	shotSound.Release();
	deathSound.Release();
	hitSound.Release();
}

void Boss_Tank::ApplyGravity() {}

void Boss_Tank::OnHit(const D3DXVECTOR3& point) {
	hitBurst.SetPosition(point);
	hitBurst.Play();
	hitSound.Play();
}

void Boss_Tank::DrawShadow() {}
