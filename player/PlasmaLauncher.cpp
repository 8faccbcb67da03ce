#include "player/PlasmaLauncher.h"

#include "enemy/EnemyBase.h"
#include "player/MapCollision.h"
#include "scene/SceneManager.h"

namespace {

const char* const EFFECT_FOLDER = "data/Effect_data/";
const char* const MIST_FILE = "data/Effect_data/Mist.efk";
const char* const TRAIL_FILE = "data/Effect_data/Plasma_line.efk";
const char* const WIND_FILE = "data/Effect_data/PlasmaWind.efk";
const char* const SHOT_FLASH_FILE = "data/Effect_data/Plasma_Shot.efk";
const char* const FIRE_SOUND_FILE = "data/Sound/Game/Plasma_Shoot.wav";
const char* const BLAST_SOUND_FILE = "data/Sound/Game/Plasma.wav";

// The shot lives only while the map is at least this far ahead on both rays.
constexpr float MAP_CLEARANCE = 5.0f;
constexpr float FLIGHT_SPEED = 2.0f;
constexpr float DROP_ACCELERATION = 0.003f;
constexpr float SPIN_STEP = 10.0f;
// A shot bursts on touching an enemy's body sphere widened by this.
constexpr int32_t CONTACT_REACH = 5;
// The blast reaches this far beyond a body sphere, and hits harder near it.
constexpr int32_t BLAST_REACH = 30;
constexpr int32_t BLAST_EDGE_DAMAGE = 5;
constexpr int32_t BLAST_CORE_DAMAGE = 20;
}  // namespace

PlasmaLauncher::PlasmaLauncher() { D3DXMatrixIdentity(&world); }

void PlasmaLauncher::Initialise(int32_t owner) {
	mist.Load(MIST_FILE, EFFECT_FOLDER);
	trail.Load(TRAIL_FILE, EFFECT_FOLDER);
	wind.Load(WIND_FILE, EFFECT_FOLDER);
	shotFlash.Load(SHOT_FLASH_FILE, EFFECT_FOLDER);
	fireSound.Load(FIRE_SOUND_FILE);
	blastSound.Load(BLAST_SOUND_FILE);
	D3DXMatrixIdentity(&world);
	active = false;
	exploded = false;
	hitTarget = false;
	charge = PLASMA_FULL_CHARGE;
	ownerKind = owner;
	dropSpeed = 0.0f;
	spin = 0.0f;
}

void PlasmaLauncher::Fire(const D3DXMATRIX& launchMatrix) {
	if (charge < PLASMA_FULL_CHARGE || active) {
		return;
	}
	active = true;
	world = launchMatrix;
	Start();
	charge = 0;
	exploded = false;
}

void PlasmaLauncher::Start() {
	fireSound.Play();
	dropSpeed = 0.0f;
	spin = 0.0f;
	shotFlash.SetPosition(Position());
	shotFlash.Restart();
	trail.SetPosition(Position());
	trail.Move();
}

void PlasmaLauncher::Update() {
	mist.Update();
	shotFlash.Update();
	trail.Update();
	wind.Update();
	if (charge < PLASMA_FULL_CHARGE) {
		++charge;
	}
	if (active) {
		Fly();
	}
}

// A new trail instance every frame marks the path; the wind swirls with the shot.
void PlasmaLauncher::Fly() {
	trail.SetPosition(Position());
	trail.SetRotation(D3DXVECTOR3(0.0f, 0.0f, 1.0f), spin);
	trail.Move();
	trail.Play();
	D3DXMATRIX step;
	if (ownerKind == PLASMA_OWNER_PLAYER) {
		D3DXMatrixTranslation(&step, 0.0f, -dropSpeed, -FLIGHT_SPEED);
	} else {
		D3DXMatrixTranslation(&step, 0.0f, dropSpeed, FLIGHT_SPEED);
	}
	world = step * world;
	wind.SetPosition(Position());
	wind.Move();
	wind.Play();
	spin += SPIN_STEP;
	dropSpeed += DROP_ACCELERATION;
}

bool PlasmaLauncher::TestMap() {
	const RayCastResult first = CastRayAtMap(Position(), -D3DXVECTOR3(world._11, world._12, world._13));
	bool survives = first.hit && first.distance >= MAP_CLEARANCE;
	if (survives) {
		const RayCastResult second = CastRayAtMap(Position(), -D3DXVECTOR3(world._31, world._32, world._33));
		survives = second.hit && second.distance >= MAP_CLEARANCE;
	}
	if (survives) {
		return false;
	}
	active = false;
	Explode();
	return true;
}

// Every enemy within reach bursts the shot again, so each feels the blast.
void PlasmaLauncher::CheckEnemies() {
	if (!active || ownerKind != PLASMA_OWNER_PLAYER || sceneManager == nullptr) {
		return;
	}
	for (size_t i = 0; i < sceneManager->enemies.size(); ++i) {
		EnemyBase* enemy = sceneManager->enemies[i];
		if (static_cast<float>(enemy->bodyRadius + CONTACT_REACH) > DistanceBetween(Position(), enemy->Position())) {
			enemy->hitFlag = true;
			Explode();
			active = false;
		}
	}
}

void PlasmaLauncher::Explode() {
	if (!exploded) {
		mist.SetPosition(Position());
		mist.Restart();
		blastSound.Play();
		exploded = true;
		wind.Stop();
	}
	if (ownerKind == PLASMA_OWNER_BOSS) {
		BlastTarget(DistanceBetween(Position(), targetPos));
	} else {
		BlastEnemies();
	}
}

void PlasmaLauncher::BlastTarget(float distance) {
	if (static_cast<float>(targetRadius + BLAST_REACH) > distance) {
		hitTarget = true;
		active = false;
	}
	if (static_cast<float>(targetRadius + CONTACT_REACH) > distance) {
		hitTarget = true;
		active = false;
	}
}

void PlasmaLauncher::BlastEnemies() {
	if (sceneManager == nullptr) {
		return;
	}
	for (size_t i = 0; i < sceneManager->enemies.size(); ++i) {
		EnemyBase* enemy = sceneManager->enemies[i];
		const D3DXVECTOR3 centre = enemy->Position();
		const float distance = DistanceBetween(Position(), centre);
		if (static_cast<float>(enemy->bodyRadius + BLAST_REACH) > distance) {
			enemy->hitFlag = true;
			enemy->hitPoints -= BLAST_EDGE_DAMAGE;
			enemy->OnHit(centre);
			active = false;
		}
		if (static_cast<float>(enemy->bodyRadius + CONTACT_REACH) > distance) {
			enemy->hitFlag = true;
			enemy->hitPoints -= BLAST_CORE_DAMAGE;
			enemy->OnHit(centre);
			active = false;
		}
	}
}

void PlasmaLauncher::SetTarget(const D3DXVECTOR3& position, int32_t radius) {
	targetPos = position;
	targetRadius = radius;
}

void PlasmaLauncher::Draw() {
	mist.DrawCurrent();
	if (active) {
		shotFlash.DrawCurrent();
		trail.Draw();
		wind.Draw();
	}
}

void PlasmaLauncher::Release() {
	mist.Release();
	trail.Release();
	wind.Release();
	shotFlash.Release();
	fireSound.Release();
	blastSound.Release();
}
