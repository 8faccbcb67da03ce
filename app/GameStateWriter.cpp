#include "app/GameStateWriter.h"

#include "app/Application.h"
#include "app/StateHash.h"
#include "enemy/Boss_Tank.h"
#include "enemy/EnemyBase.h"
#include "enemy/Missile.h"
#include "enemy/Turret.h"
#include "enemy/Two_Leg.h"
#include "player/PlayerMech.h"
#include "scene/CGame.h"
#include "scene/SceneBase.h"
#include "scene/SceneManager.h"

#include "player/Ammo.h"

#include <cxxabi.h>

#include <algorithm>

#include <cstdio>
#include <cstdlib>
#include <sstream>
#include <typeinfo>

namespace {

// Shortest text that reads back as the same float, so traces compare exactly.
std::string Number(float value) {
	char text[32];
	std::snprintf(text, sizeof(text), "%.9g", static_cast<double>(value));
	return text;
}

std::string Vector(float x, float y, float z) {
	std::string text = "[";
	text += Number(x);
	text += ',';
	text += Number(y);
	text += ',';
	text += Number(z);
	text += ']';
	return text;
}

const char* Bool(bool value) { return value ? "true" : "false"; }

// The enemy's class name as written in the source.
std::string KindOf(const EnemyBase& enemy) {
	const char* mangled = typeid(enemy).name();
	int status = 0;
	char* plain = abi::__cxa_demangle(mangled, nullptr, nullptr, &status);
	std::string name = status == 0 && plain != nullptr ? plain : mangled;
	std::free(plain);
	return name;
}

size_t InFlight(const std::vector<Ammo*>& shots) {
	return static_cast<size_t>(std::count_if(shots.begin(), shots.end(), [](const Ammo* shot) { return shot->active; }));
}

// What a reader needs to follow each kind's fight.
void WriteKindState(std::ostringstream& json, const EnemyBase& enemy) {
	if (dynamic_cast<const Two_Leg*>(&enemy) != nullptr) {
		json << ",\"walking\":" << Bool(enemy.walking);
	} else if (const Turret* turret = dynamic_cast<const Turret*>(&enemy)) {
		json << ",\"beamTimer\":" << turret->beamTimer;
	} else if (const Boss_Tank* boss = dynamic_cast<const Boss_Tank*>(&enemy)) {
		json << ",\"missileTimer\":" << boss->missileTimer << ",\"plasmaActive\":" << Bool(boss->plasma.active);
	} else if (dynamic_cast<const Missile*>(&enemy) != nullptr) {
		json << ",\"phase\":" << enemy.phase;
	}
}

void WriteEnemy(std::ostringstream& json, const EnemyBase& enemy) {
	json << "{\"kind\":\"" << KindOf(enemy) << "\",\"hitPoints\":" << enemy.hitPoints
	     << ",\"alive\":" << Bool(enemy.alive) << ",\"position\":" << Vector(enemy.world._41, enemy.world._42, enemy.world._43)
	     << ",\"attacking\":" << Bool(enemy.attacking);
	WriteKindState(json, enemy);
	json << ",\"projectiles\":" << InFlight(enemy.projectiles) << "}";
}

}  // namespace

const CGame* GameStateWriter::CurrentBattle() {
	if (sceneManager == nullptr || sceneManager->scene == nullptr) {
		return nullptr;
	}
	return dynamic_cast<const CGame*>(sceneManager->scene);
}

std::string GameStateWriter::BattleFields() {
	const CGame* game = CurrentBattle();
	return game != nullptr ? BattleFields(*game) : std::string();
}

std::string GameStateWriter::BattleFields(const CGame& game) {
	const PlayerMech& player = game.player;
	const Application& application = Application::Get();
	std::ostringstream json;
	json << ",\"playerHitPoints\":" << Number(player.hitPoints)
	     << ",\"playerPosition\":" << Vector(player.world._41, player.world._42, player.world._43)
	     << ",\"playerYaw\":" << Number(player.yaw) << ",\"aimPitch\":" << Number(player.aimPitch)
	     << ",\"viewPitch\":" << Number(application.viewPitch) << ",\"moving\":" << Bool(player.moving)
	     << ",\"shots\":" << InFlight(player.shots) << ",\"plasmaCharge\":" << player.plasma.charge
	     << ",\"plasmaActive\":" << Bool(player.plasma.active);
	const size_t count = sceneManager != nullptr ? sceneManager->enemies.size() : 0;
	json << ",\"enemies\":" << count << ",\"enemyList\":[";
	for (size_t i = 0; i < count; ++i) {
		if (i > 0) {
			json << ",";
		}
		WriteEnemy(json, *sceneManager->enemies[i]);
	}
	json << "]";
	return json.str();
}

std::string GameStateWriter::TraceLine(uint32_t frame) {
	const int32_t scene = sceneManager != nullptr && sceneManager->scene != nullptr ? sceneManager->scene->id : 0;
	std::ostringstream line;
	line << "{\"frame\":" << frame << ",\"scene\":" << scene
	     << ",\"battleFailed\":" << Bool(Application::Get().battleFailed) << BattleFields() << ",\"hash\":\""
	     << StateHash::Hex(StateHash::OfGame()) << "\"}\n";
	return line.str();
}
