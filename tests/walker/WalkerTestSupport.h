#pragma once
// Walkers in a real battle: the generated stage, the robot held still where
// a test puts it, and only the walkers the test places. The open floor
// around the first spawn area lies at height 40, walled at x -330 and +80
// and at z 1248; tests find the floor with the map ray rather than trust it.

#include "enemy/Two_Leg.h"
#include "player/Ammo.h"
#include "player/MapCollision.h"
#include "tests/player/PlayerTestSupport.h"

#include <gtest/gtest.h>

#include <cmath>

namespace walker_test {

// Where the battle puts the first two walkers.
const D3DXVECTOR3 SPAWN_AREA(-165.0f, 100.0f, 1425.0f);
const D3DXVECTOR3 DOWN(0.0f, -1.0f, 0.0f);
constexpr float DEGREES_PER_RADIAN = 57.295776f;

inline float Distance(const D3DXVECTOR3& a, const D3DXVECTOR3& b) {
	const D3DXVECTOR3 d = a - b;
	return D3DXVec3Length(&d);
}

// The walker's facing: its local -z axis.
inline D3DXVECTOR3 FacingOf(const D3DXMATRIX& world) {
	D3DXVECTOR3 facing(-world._31, -world._32, -world._33);
	D3DXVec3Normalize(&facing, &facing);
	return facing;
}

// Within tolerance in every component; the message names what was compared.
inline ::testing::AssertionResult Vec3Near(const D3DXVECTOR3& actual, const D3DXVECTOR3& expected, float tolerance) {
	if (std::fabs(actual.x - expected.x) <= tolerance && std::fabs(actual.y - expected.y) <= tolerance &&
	    std::fabs(actual.z - expected.z) <= tolerance) {
		return ::testing::AssertionSuccess();
	}
	return ::testing::AssertionFailure() << "(" << actual.x << ", " << actual.y << ", " << actual.z << ") is not within "
	                                     << tolerance << " of (" << expected.x << ", " << expected.y << ", "
	                                     << expected.z << ")";
}

class WalkerTest : public player_test::BattleTest {
protected:
	void SetUp() override {
		BattleTest::SetUp();
		if (IsSkipped() || HasFatalFailure()) {
			return;
		}
		for (EnemyBase* enemy : manager->enemies) {
			delete enemy;
		}
		manager->enemies.clear();
		ParkRobotFarAway();
	}

	// The floor's height under (x, z).
	static float FloorUnder(float x, float z) {
		const RayCastResult floor = CastRayAtMap(D3DXVECTOR3(x, 1000.0f, z), DOWN);
		EXPECT_TRUE(floor.hit) << "no floor under " << x << ", " << z;
		return 1000.0f - floor.distance;
	}

	// As the battle places its walkers: world becomes a pure translation.
	Two_Leg& AddWalker(const D3DXVECTOR3& position) {
		Two_Leg* walker = new Two_Leg();
		D3DXMatrixTranslation(&walker->world, position.x, position.y, position.z);
		manager->enemies.push_back(walker);
		return *walker;
	}

	// A walker dropped over (x, z) that has come to rest on the floor.
	Two_Leg& AddLandedWalker(float x, float z) {
		Two_Leg& walker = AddWalker(D3DXVECTOR3(x, FloorUnder(x, z) + 20.0f, z));
		Step(walker, 60);
		EXPECT_EQ(walker.verticalSpeed, 0.0f);
		return walker;
	}

	void Step(Two_Leg& walker, int frames = 1) {
		for (int i = 0; i < frames; ++i) {
			walker.Update(Player());
		}
	}

	// Out of every walker's sight; nothing here updates the robot itself.
	void ParkRobotFarAway() { PlaceRobot(D3DXVECTOR3(-165.0f, 55.0f, 2900.0f)); }

	// The robot at the walker's height, distance away along the walker's
	// facing turned by degrees to its right (negative: to its left).
	void PlaceRobotAround(const Two_Leg& walker, float distance, float degrees) {
		const float radians = degrees / DEGREES_PER_RADIAN;
		const D3DXVECTOR3 facing = FacingOf(walker.world);
		// Left-handed: facing -z, the walker's right is -x.
		const D3DXVECTOR3 right(facing.z, 0.0f, -facing.x);
		const D3DXVECTOR3 direction = facing * std::cos(radians) + right * std::sin(radians);
		PlaceRobot(walker.Position() + direction * distance);
	}
};

}  // namespace walker_test
