#include "enemy/EnemyBase.h"

#include "app/Application.h"
#include "player/Ammo.h"
#include "player/MapCollision.h"
#include "render/ModelTable.h"
#include "scene/SceneManager.h"

#include <cmath>

namespace {

constexpr float GRAVITY = 0.05f;
// Overlaps are closed by this fraction a frame.
constexpr float SEPARATION_RATE = 100.0f;

const D3DXVECTOR3 DOWN(0.0f, -1.0f, 0.0f);

}  // namespace

EnemyBase::EnemyBase() {
	D3DXMatrixIdentity(&world);
	D3DXMatrixIdentity(&partMatrixB);
	D3DXMatrixIdentity(&partMatrixA);
}

EnemyBase::~EnemyBase() = default;

void EnemyBase::SetPosition(const D3DXVECTOR3& position) {
	world._41 = position.x;
	world._42 = position.y;
	world._43 = position.z;
}

void EnemyBase::ResetTransform() { D3DXMatrixIdentity(&world); }

void EnemyBase::Init() {
	ResetTransform();
	velocity = D3DXVECTOR3(0.0f, 0.0f, 0.0f);
	exists = true;
	alive = true;
	verticalSpeed = 0.0f;
}

void EnemyBase::Update(PlayerMech& player) {
	if (!alive) {
		return;
	}
	Think(player);
	for (Ammo* shot : projectiles) {
		shot->UpdateEnemyShot();
		shot->HitPlayer(player);
	}
	ApplyGravity();
	UpdatePose();
}

void EnemyBase::Draw(PlayerMech&) {
	if (alive) {
		DrawProjectiles();
	}
}

void EnemyBase::ReleaseResources() {
	for (Ammo* shot : projectiles) {
		delete shot;
	}
	projectiles.clear();
}

void EnemyBase::ApplyGravity() { ApplyGravityAbove(ENEMY_GROUND_HEIGHT); }

void EnemyBase::ApplyGravityAbove(float groundHeight) {
	const RayCastResult ground = CastRayAtMap(Position(), DOWN);
	verticalSpeed -= GRAVITY;
	world._42 += verticalSpeed;
	if (ground.hit && ground.distance <= groundHeight) {
		verticalSpeed = 0.0f;
		world._42 += groundHeight - ground.distance;
	}
}

void EnemyBase::OnHit(const D3DXVECTOR3&) {}

void EnemyBase::DrawShadow() {}

void EnemyBase::UpdatePose() {}

void EnemyBase::MoveWithWalls() {
	const D3DXVECTOR3 facing = -D3DXVECTOR3(world._31, world._32, world._33);
	D3DXVECTOR3 push;
	if (WallPushOut(Position(), facing, ENEMY_WALL_DISTANCE, push)) {
		SetPosition(Position() + push);
	}
	D3DXMATRIX step;
	D3DXMatrixTranslation(&step, velocity.x, velocity.y, velocity.z);
	world = step * world;
}

void EnemyBase::Think(PlayerMech&) {}

void EnemyBase::SeparateFromOthers() {
	if (sceneManager == nullptr) {
		return;
	}
	for (EnemyBase* other : sceneManager->enemies) {
		if (other == this) {
			return;
		}
		const float dx = world._41 - other->world._41;
		const float dz = world._43 - other->world._43;
		const float distance = std::sqrt(dx * dx + 0.0f + dz * dz);
		const float reach = static_cast<float>(other->bodyRadius + bodyRadius);
		if (reach > distance) {
			const float f = (reach - distance) / SEPARATION_RATE;
			world._41 += f * dx;
			world._43 += f * dz;
			other->world._41 -= f * dx;
			other->world._43 -= f * dz;
			return;
		}
	}
}

void EnemyBase::DeleteSpentProjectiles() { DeleteSpentAmmo(projectiles); }

void EnemyBase::DrawProjectiles() const {
	for (const Ammo* shot : projectiles) {
		shot->Draw();
	}
}

void EnemyBase::DrawPart(const D3DXMATRIX& partWorld, int modelSlot) {
	if (modelTable == nullptr) {
		return;
	}
	ModelShader& shader = Application::Get().modelShader;
	const Model& model = (*modelTable)[modelSlot];
	shader.SetWorld(partWorld);
	shader.DrawModel(model);
	shader.DrawOutline(model, ENEMY_OUTLINE_SIZE, ENEMY_OUTLINE_COLOR);
}

void EnemyBase::DrawPartDepth(const D3DXMATRIX& partWorld, int modelSlot) {
	if (modelTable == nullptr) {
		return;
	}
	ModelShader& shader = Application::Get().modelShader;
	shader.SetWorld(partWorld);
	shader.DrawDepth((*modelTable)[modelSlot]);
}

void EnemyBase::DrawPartShadow(const D3DXMATRIX& partWorld, int modelSlot) {
	if (modelTable == nullptr) {
		return;
	}
	ShadowMap& shadowMap = Application::Get().shadowMap;
	shadowMap.SetWorld(partWorld);
	shadowMap.DrawModel((*modelTable)[modelSlot]);
}
