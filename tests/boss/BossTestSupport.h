#pragma once
// A battle with the boss tank as its only enemy. Tests that follow the boss
// alone call its Update directly with the robot placed by hand; tests that
// need missiles and the arena floor run whole battle frames.

#include "enemy/Boss_Tank.h"
#include "enemy/Missile.h"
#include "player/Ammo.h"
#include "player/MapCollision.h"
#include "render/ModelTable.h"
#include "tests/player/PlayerTestSupport.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <vector>

namespace boss_test {

using player_test::StillEnemy;

inline float Distance(const D3DXVECTOR3& a, const D3DXVECTOR3& b) {
	const D3DXVECTOR3 d = a - b;
	return D3DXVec3Length(&d);
}

// The largest element difference of two matrices.
inline float MatrixDifference(const D3DXMATRIX& a, const D3DXMATRIX& b) {
	float largest = 0.0f;
	for (int row = 0; row < 4; ++row) {
		for (int column = 0; column < 4; ++column) {
			largest = std::fmax(largest, std::fabs(a.m[row][column] - b.m[row][column]));
		}
	}
	return largest;
}

// child in the frame of parent: the local matrix that child = local x parent.
inline D3DXMATRIX Relative(const D3DXMATRIX& child, const D3DXMATRIX& parent) {
	D3DXMATRIX inverse;
	D3DXMatrixInverse(&inverse, nullptr, &parent);
	return child * inverse;
}

// The direction a matrix faces: its local -z axis.
inline D3DXVECTOR3 FacingOf(const D3DXMATRIX& m) { return -D3DXVECTOR3(m._31, m._32, m._33); }

// The horizontal angle in degrees between two directions.
inline float DegreesBetween(const D3DXVECTOR3& a, const D3DXVECTOR3& b) {
	const float cosine = (a.x * b.x + a.z * b.z) / (std::hypot(a.x, a.z) * std::hypot(b.x, b.z));
	return std::acos(std::fmin(1.0f, std::fmax(-1.0f, cosine))) * 57.29578f;
}

#define EXPECT_VEC3_NEAR(actual, expected, tolerance)     \
	do {                                                  \
		const D3DXVECTOR3 a_ = (actual), e_ = (expected); \
		EXPECT_NEAR(a_.x, e_.x, tolerance);               \
		EXPECT_NEAR(a_.y, e_.y, tolerance);               \
		EXPECT_NEAR(a_.z, e_.z, tolerance);               \
	} while (0)

class BossTest : public player_test::BattleTest {
protected:
	void SetUp() override {
		BattleTest::SetUp();
		if (IsSkipped()) {
			return;
		}
		for (EnemyBase* enemy : manager->enemies) {
			delete enemy;
		}
		manager->enemies.clear();
		boss = new Boss_Tank();
		manager->enemies.push_back(boss);
	}

	D3DXVECTOR3 OpPosition() const { return TranslationOf(boss->op); }

	// The robot at an offset from the op, for the boss's own updates only.
	void PlaceRobotFromOp(const D3DXVECTOR3& offset) { PlaceRobot(OpPosition() + offset); }

	void UpdateBoss(int frames = 1) {
		for (int i = 0; i < frames; ++i) {
			boss->Update(Player());
		}
	}

	// The height of the arena floor under x, z.
	static float FloorAt(float x, float z) {
		const RayCastResult down = CastRayAtMap(D3DXVECTOR3(x, 0.0f, z), D3DXVECTOR3(0.0f, -1.0f, 0.0f));
		EXPECT_TRUE(down.hit);
		return -down.distance;
	}

	// Stands the robot on the floor at x, z and lets it settle there.
	void StandRobot(float x, float z) {
		PlaceRobot(D3DXVECTOR3(x, FloorAt(x, z) + 20.0f, z));
		StepPlayer(60);
	}

	// Where the robot stands to draw a missile, and where it stands aside
	// out of range afterwards (floor all round; no wall on either line).
	static constexpr float NEAR_X = 2000.0f, NEAR_Z = 1850.0f;
	static constexpr float ASIDE_X = 1950.0f, ASIDE_Z = 1820.0f;

	// One battle frame with the robot in range and the launch due: the boss
	// sends a missile up. The robot then stands aside, out of range.
	Missile* LaunchMissile() {
		StandRobot(NEAR_X, NEAR_Z);
		boss->missileTimer = std::max(boss->hitPoints, 150);
		const size_t before = Missiles().size();
		launchedFrom = Player().Position();
		UpdateBattle();
		EXPECT_EQ(Missiles().size(), before + 1);
		StandRobot(ASIDE_X, ASIDE_Z);
		return Missiles().empty() ? nullptr : Missiles().back();
	}

	// The missiles in the enemy list, in order.
	std::vector<Missile*> Missiles() const {
		std::vector<Missile*> missiles;
		for (EnemyBase* enemy : manager->enemies) {
			if (enemy->isMissile) {
				missiles.push_back(static_cast<Missile*>(enemy));
			}
		}
		return missiles;
	}

	bool Listed(const EnemyBase* enemy) const {
		return std::find(manager->enemies.begin(), manager->enemies.end(), enemy) != manager->enemies.end();
	}

	// The number of plays an effect has started: its handles count up from 0.
	static int Plays(const GameEffect& effect) { return effect.CurrentHandle() + 1; }

	Boss_Tank* boss = nullptr;
	D3DXVECTOR3 launchedFrom;
};

}  // namespace boss_test
