#pragma once
// The generated stage against the game's own classes: a real battle on the
// offscreen device with the generated map, no spawned enemies, and the robot
// parked in the start hall unless a test moves it. Heights of the stage come
// from rays at the map and from the route the generator writes beside it,
// never from the generator's source.

#include "enemy/EnemyBase.h"
#include "player/MapCollision.h"
#include "render/StageObject.h"
#include "tests/player/PlayerTestSupport.h"

#include <gtest/gtest.h>

#include <cmath>
#include <fstream>
#include <map>
#include <sstream>
#include <string>

namespace stage_test {

const D3DXVECTOR3 DOWN(0.0f, -1.0f, 0.0f);
// Where the robot's origin stands above what it stands on.
constexpr float ROBOT_STANDING_HEIGHT = 15.0f;
// Far above every surface of the stage.
constexpr float SKY = 1000.0f;

struct RoutePoint {
	std::string kind;  // "walk" or "ride"
	float x = 0.0f, ground = 0.0f, z = 0.0f;
};

// The named points of data/map/Map_01.route: "name kind x ground z" a line,
// '#' starting a comment.
inline std::map<std::string, RoutePoint> ReadRoute() {
	std::map<std::string, RoutePoint> route;
	std::ifstream file("data/map/Map_01.route");
	std::string line;
	while (std::getline(file, line)) {
		if (line.empty() || line[0] == '#') {
			continue;
		}
		std::istringstream fields(line);
		std::string name;
		RoutePoint point;
		if (fields >> name >> point.kind >> point.x >> point.ground >> point.z) {
			route[name] = point;
		}
	}
	return route;
}

// The first surface a ray straight down from the sky meets at (x, z): the
// open floor there, or whatever covers it.
struct Surface {
	bool hit = false;
	float height = 0.0f;
	float normalY = 0.0f;  // of the face hit; 1 for level ground
};

inline Surface SurfaceBelow(const D3DXVECTOR3& origin) {
	Surface surface;
	const RayCastResult ray = CastRayAtMap(origin, DOWN);
	if (!ray.hit) {
		return surface;
	}
	surface.hit = true;
	surface.height = origin.y - ray.distance;
	const D3DXVECTOR3* normal = MapNormalOf(ray.face);
	surface.normalY = normal != nullptr ? normal->y : 0.0f;
	return surface;
}

inline Surface SurfaceFromSky(float x, float z) { return SurfaceBelow(D3DXVECTOR3(x, SKY, z)); }

class StageTest : public player_test::BattleTest {
protected:
	void SetUp() override {
		BattleTest::SetUp();
		if (IsSkipped() || HasFatalFailure()) {
			return;
		}
		route = ReadRoute();
		ASSERT_FALSE(route.empty()) << "no route beside the map";
		// The start hall is out of every enemy's reach.
		ParkRobotAt("start");
	}

	const RoutePoint& Route(const std::string& name) {
		const auto found = route.find(name);
		if (found == route.end()) {
			ADD_FAILURE() << "the route has no point " << name;
			static const RoutePoint none;
			return none;
		}
		return found->second;
	}

	// The robot standing on the floor at a route point.
	void ParkRobotAt(const std::string& name) {
		const RoutePoint& point = Route(name);
		PlaceRobot(D3DXVECTOR3(point.x, point.ground + ROBOT_STANDING_HEIGHT, point.z));
	}

	StageObject& LiftPlatform() { return *manager->stageObjects.at(0); }

	// The height of the lift's deck under (x, z), from a ray at its mesh.
	float LiftDeckAt(float x, float z) {
		const D3DXVECTOR3 above(x, LiftPlatform().world._42 + 200.0f, z);
		const RayCastResult deck = CastRay(LiftPlatform().model.mesh, LiftPlatform().world, above, DOWN);
		EXPECT_TRUE(deck.hit) << "no lift deck under " << x << ", " << z;
		return above.y - deck.distance;
	}

	// Adds an enemy the battle owns from now on.
	template <typename Enemy>
	Enemy& Add(Enemy* enemy) {
		manager->enemies.push_back(enemy);
		return *enemy;
	}

	std::map<std::string, RoutePoint> route;
};

}  // namespace stage_test
