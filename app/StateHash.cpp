#include "app/StateHash.h"

#include "app/Application.h"
#include "enemy/Boss_Tank.h"
#include "enemy/EnemyBase.h"
#include "enemy/Missile.h"
#include "enemy/Turret.h"
#include "enemy/Two_Leg.h"
#include "player/Ammo.h"
#include "player/PlayerMech.h"
#include "render/StageObject.h"
#include "scene/CGame.h"
#include "scene/Result.h"
#include "scene/SceneManager.h"
#include "scene/Title.h"

#include <cstdio>
#include <cstring>

namespace {

// Tags that keep one kind's fields from lining up with another's.
enum : int32_t { TAG_ENEMY = 0x454e, TAG_WALKER = 1, TAG_TURRET = 2, TAG_BOSS = 3, TAG_MISSILE = 4, TAG_OTHER = 5 };

}  // namespace

void StateHash::Add(const void* bytes, size_t count) {
	const unsigned char* byte = static_cast<const unsigned char*>(bytes);
	for (size_t i = 0; i < count; ++i) {
		hash ^= byte[i];
		hash *= PRIME;
	}
}

void StateHash::Add(bool value) {
	const unsigned char byte = value ? 1 : 0;
	Add(&byte, 1);
}

void StateHash::Add(int32_t value) { Add(&value, sizeof(value)); }

void StateHash::Add(uint32_t value) { Add(&value, sizeof(value)); }

void StateHash::Add(float value) {
	uint32_t bits = 0;
	std::memcpy(&bits, &value, sizeof(bits));
	Add(bits);
}

void StateHash::Add(const D3DXVECTOR3& vector) {
	Add(vector.x);
	Add(vector.y);
	Add(vector.z);
}

void StateHash::Add(const D3DXMATRIX& matrix) {
	for (int row = 0; row < 4; ++row) {
		for (int column = 0; column < 4; ++column) {
			Add(matrix.m[row][column]);
		}
	}
}

void StateHash::AddShots(const std::vector<Ammo*>& shots) {
	Add(static_cast<uint32_t>(shots.size()));
	for (const Ammo* shot : shots) {
		Add(shot->kind);
		Add(shot->active);
		Add(shot->age);
		Add(shot->radius);
		Add(shot->world);
		Add(shot->velocity);
	}
}

void StateHash::AddPlasma(const PlasmaLauncher& plasma) {
	Add(plasma.world);
	Add(plasma.active);
	Add(plasma.exploded);
	Add(plasma.hitTarget);
	Add(plasma.charge);
	Add(plasma.ownerKind);
	Add(plasma.dropSpeed);
	Add(plasma.spin);
	Add(plasma.targetPos);
	Add(plasma.targetRadius);
}

void StateHash::AddPlayer(const PlayerMech& player) {
	Add(player.world);
	Add(player.hitPoints);
	Add(player.lookDeltaX);
	Add(player.lookDeltaY);
	Add(player.yaw);
	Add(player.aimPitch);
	Add(player.plasmaArmAngle);
	Add(player.poseBlend);
	Add(player.fireCooldown);
	for (const D3DXVECTOR3& direction : player.moveDirs) {
		Add(direction);
	}
	Add(player.lookSensitivity);
	Add(player.moving);
	Add(player.moveDir);
	Add(player.verticalSpeed);
	const MechPose& pose = player.pose;
	for (const D3DXMATRIX* part :
	     {&pose.underBody, &pose.backPack, &pose.nozzleRight, &pose.nozzleLeft, &pose.shoulderLeft,
	      &pose.upperArmLeft, &pose.forearmLeft, &pose.shoulderRight, &pose.plasmaMount, &pose.upperArmRight,
	      &pose.forearmRight, &pose.thighLeft, &pose.shinLeft, &pose.thighRight, &pose.shinRight,
	      &pose.footAnchorLeft, &pose.footAnchorRight, &pose.muzzle, &pose.plasmaLaunch, &pose.hipPose}) {
		Add(*part);
	}
	for (const D3DXMATRIX& leg : pose.legPose) {
		Add(leg);
	}
	for (const D3DXMATRIX& from : pose.blendFrom) {
		Add(from);
	}
	AddShots(player.shots);
	AddPlasma(player.plasma);
}

void StateHash::AddKindState(const EnemyBase& enemy) {
	if (const Two_Leg* walker = dynamic_cast<const Two_Leg*>(&enemy)) {
		Add(TAG_WALKER);
		for (const D3DXMATRIX* part : {&walker->leftUpper, &walker->leftLower, &walker->rightUpper,
		                               &walker->rightLower, &walker->muzzle, &walker->legLeft, &walker->legRight,
		                               &walker->legLeftFrom, &walker->legRightFrom}) {
			Add(*part);
		}
		Add(walker->fireTimer);
		Add(walker->legBlend);
		Add(walker->restStarted);
		Add(walker->walkStarted);
		Add(walker->turning);
		Add(walker->stepSoundPlayed);
		Add(walker->headingDegrees);
		for (const D3DXVECTOR3& velocity : walker->debrisVelocity) {
			Add(velocity);
		}
	} else if (const Turret* turret = dynamic_cast<const Turret*>(&enemy)) {
		Add(TAG_TURRET);
		Add(turret->beamStarted);
		Add(turret->beamSoundPlayed);
		Add(turret->deathHandled);
		Add(turret->turnStep);
		Add(turret->beamTimer);
		Add(turret->wreckTimer);
		Add(turret->beamRadius);
		Add(turret->gun.gunMatrix);
		Add(turret->gun.muzzle);
		Add(turret->gun.beamActive);
		Add(turret->gun.cooldown);
	} else if (const Boss_Tank* boss = dynamic_cast<const Boss_Tank*>(&enemy)) {
		Add(TAG_BOSS);
		Add(boss->op);
		AddPlasma(boss->plasma);
		Add(boss->fireTimer);
		Add(boss->missileTimer);
		Add(boss->opYaw);
		Add(boss->barrelSpin);
		Add(boss->smokeTimer);
	} else if (const Missile* missile = dynamic_cast<const Missile*>(&enemy)) {
		Add(TAG_MISSILE);
		Add(missile->phaseTimer);
	} else {
		Add(TAG_OTHER);
	}
}

void StateHash::AddEnemy(const EnemyBase& enemy) {
	Add(TAG_ENEMY);
	Add(enemy.hitFlag);
	Add(enemy.world);
	Add(enemy.partMatrixB);
	Add(enemy.partMatrixA);
	Add(enemy.velocity);
	Add(enemy.target);
	Add(enemy.hitPoints);
	Add(enemy.phase);
	Add(enemy.deathTimer);
	Add(enemy.verticalSpeed);
	Add(enemy.exists);
	Add(enemy.alive);
	Add(enemy.attacking);
	Add(enemy.walking);
	Add(enemy.exploded);
	Add(enemy.isMissile);
	Add(enemy.legMode);
	Add(enemy.aimAngle);
	Add(enemy.yaw);
	Add(enemy.bodyRadius);
	Add(enemy.partRadiusA);
	Add(enemy.partRadiusB);
	AddKindState(enemy);
	AddShots(enemy.projectiles);
}

void StateHash::AddStageObject(const StageObject& object) {
	Add(object.world);
	Add(object.velocity);
	Add(object.frameCounter);
	Add(object.active);
	Add(object.mode);
}

uint64_t StateHash::OfBattle(const CGame& game) {
	StateHash state;
	state.Add(game.endCounter);
	state.Add(game.fadeAlpha);
	state.Add(game.ending);
	for (int32_t i = 0; i < game.camera.historyLength && i < CAMERA_HISTORY_LENGTH; ++i) {
		state.Add(game.camera.history[i]);
	}
	state.AddPlayer(game.player);
	if (sceneManager != nullptr) {
		state.Add(static_cast<uint32_t>(sceneManager->enemies.size()));
		for (const EnemyBase* enemy : sceneManager->enemies) {
			state.AddEnemy(*enemy);
		}
		state.Add(static_cast<uint32_t>(sceneManager->stageObjects.size()));
		for (const StageObject* object : sceneManager->stageObjects) {
			state.AddStageObject(*object);
		}
	}
	return state.Value();
}

uint64_t StateHash::OfGame() {
	StateHash state;
	const SceneBase* scene = sceneManager != nullptr ? sceneManager->scene : nullptr;
	const Application& application = Application::Get();
	state.Add(scene != nullptr ? scene->id : 0);
	state.Add(application.battleFailed);
	state.Add(application.viewPitch);
	state.Add(application.viewYaw);
	if (const CGame* game = dynamic_cast<const CGame*>(scene)) {
		const uint64_t battle = OfBattle(*game);
		state.Add(&battle, sizeof(battle));
	} else if (const Title* title = dynamic_cast<const Title*>(scene)) {
		state.Add(title->loading);
		for (const float value : {title->outCircleAngle, title->midCircleAngle, title->circleAngle,
		                          title->outCircleSpeed, title->midCircleSpeed, title->circleSpeed}) {
			state.Add(value);
		}
		state.Add(title->counter);
	} else if (const Result* result = dynamic_cast<const Result*>(scene)) {
		state.Add(result->clicked);
		state.Add(result->counter);
	}
	return state.Value();
}

std::string StateHash::Hex(uint64_t hash) {
	char text[17];
	std::snprintf(text, sizeof(text), "%016llx", static_cast<unsigned long long>(hash));
	return text;
}
