#include "player/Ammo.h"

#include "app/Application.h"
#include "enemy/EnemyBase.h"
#include "player/MapCollision.h"
#include "player/PlayerMech.h"
#include "render/ModelTable.h"
#include "scene/SceneManager.h"

#include <cstdlib>

namespace {

constexpr float PLAYER_SHOT_LIFETIME = 50.0f;
constexpr float ENEMY_SHOT_LIFETIME = 1000.0f;
// A shot lives only while the map is at least this far ahead.
constexpr float MAP_CLEARANCE = 5.0f;
// The robot is hit within this distance of its origin (plus the shot's radius).
constexpr float ROBOT_HIT_RADIUS = 5.0f;
constexpr float ROBOT_HIT_DAMAGE = 10.0f;
constexpr int32_t BODY_DAMAGE = 2;
constexpr int32_t PART_DAMAGE = 1;

// Sideways and vertical spread of an enemy shot, x drawn before y.
D3DXVECTOR3 EnemyShotVelocity(float forward) {
	const float x = static_cast<float>(std::rand() % 15 - 7) / 10.0f;
	const float y = static_cast<float>(std::rand() % 5 - 2) / 10.0f;
	return D3DXVECTOR3(x, y, forward);
}

bool Inside(const D3DXVECTOR3& point, const D3DXVECTOR3& centre, float radius) {
	const D3DXVECTOR3 offset = point - centre;
	return radius > D3DXVec3Length(&offset);
}

}  // namespace

Ammo::Ammo(int32_t kind_) : kind(kind_) {
	D3DXMatrixIdentity(&world);
	radius = 0.5f;
	Restart();
}

void Ammo::Restart() {
	switch (kind) {
	case AMMO_PLAYER: velocity = D3DXVECTOR3(-5.0f, 0.0f, 0.0f); break;
	case AMMO_WALKER: velocity = EnemyShotVelocity(-2.0f); break;
	case AMMO_BOSS: velocity = EnemyShotVelocity(2.0f); break;
	default: velocity = D3DXVECTOR3(0.0f, 0.0f, 0.0f); break;
	}
	D3DXMatrixIdentity(&world);
	age = 0.0f;
	active = true;
}

bool Ammo::TestMap() {
	// The player's shots look along their flight, the enemies' along -z.
	const D3DXVECTOR3 ahead = kind == AMMO_PLAYER ? -D3DXVECTOR3(world._11, world._12, world._13)
	                                               : -D3DXVECTOR3(world._31, world._32, world._33);
	const RayCastResult wall = CastRayAtMap(Position(), ahead);
	if (wall.hit && wall.distance >= MAP_CLEARANCE) {
		return false;
	}
	active = false;
	return true;
}

void Ammo::UpdatePlayerShot() {
	if (!active) {
		return;
	}
	D3DXMATRIX step;
	D3DXMatrixTranslation(&step, velocity.x, velocity.y, velocity.z);
	world = step * world;
	HitEnemies();
	age += 1.0f;
	if (age > PLAYER_SHOT_LIFETIME) {
		active = false;
	}
}

// Every sphere of every enemy scores once, even after a hit in this frame.
void Ammo::HitEnemies() {
	if (sceneManager == nullptr) {
		return;
	}
	const D3DXVECTOR3 position = Position();
	for (EnemyBase* enemy : sceneManager->enemies) {
		const struct {
			D3DXVECTOR3 centre;
			int32_t radius;
			int32_t damage;
		} spheres[] = {
			{enemy->Position(), enemy->bodyRadius, BODY_DAMAGE},
			{TranslationOf(enemy->partMatrixA), enemy->partRadiusA, PART_DAMAGE},
			{TranslationOf(enemy->partMatrixB), enemy->partRadiusB, PART_DAMAGE},
		};
		for (const auto& sphere : spheres) {
			if (Inside(position, sphere.centre, static_cast<float>(sphere.radius) + radius)) {
				enemy->hitFlag = true;
				enemy->hitPoints -= sphere.damage;
				enemy->OnHit(position);
				active = false;
			}
		}
	}
}

void Ammo::UpdateEnemyShot() {
	if (!active) {
		return;
	}
	D3DXMATRIX step;
	D3DXMatrixTranslation(&step, velocity.x, velocity.y, velocity.z);
	world = step * world;
	age += 1.0f;
	if (age > ENEMY_SHOT_LIFETIME) {
		active = false;
	}
}

void Ammo::HitPlayer(PlayerMech& player) {
	if (!active) {
		return;
	}
	const D3DXVECTOR3 position = Position();
	if (!Inside(position, player.Position(), radius + ROBOT_HIT_RADIUS)) {
		return;
	}
	player.hitPoints -= ROBOT_HIT_DAMAGE;
	player.sparkRed.SetPosition(position);
	player.sparkRed.Play();
	player.hitSound.Play();
	active = false;
}

void DeleteSpentAmmo(std::vector<Ammo*>& shots) {
	size_t kept = 0;
	for (Ammo* shot : shots) {
		if (shot->active) {
			shots[kept++] = shot;
		} else {
			delete shot;
		}
	}
	shots.resize(kept);
}

void Ammo::Draw() const {
	if (!active || modelTable == nullptr) {
		return;
	}
	ModelShader& shader = Application::Get().modelShader;
	shader.SetWorld(world);
	// Owners draw their shots one after another: batched, the technique is
	// begun once for the run instead of once a shot.
	shader.DrawBatched((*modelTable)[kind == AMMO_PLAYER ? MODEL_AMMO : MODEL_RED_AMMO]);
}
