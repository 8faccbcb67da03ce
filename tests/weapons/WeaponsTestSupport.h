#pragma once
// Small helpers shared by the weapon tests: matrices placed by hand and a
// look at where the map lies along a ray.

#include "player/MapCollision.h"
#include "tests/player/PlayerTestSupport.h"

#include <gtest/gtest.h>

namespace weapons_test {

inline D3DXMATRIX TranslationTo(const D3DXVECTOR3& p) {
	D3DXMATRIX m;
	D3DXMatrixTranslation(&m, p.x, p.y, p.z);
	return m;
}

inline D3DXVECTOR3 Row(const D3DXMATRIX& m, int row) {
	return D3DXVECTOR3(m.m[row][0], m.m[row][1], m.m[row][2]);
}

inline float Distance(const D3DXVECTOR3& a, const D3DXVECTOR3& b) {
	const D3DXVECTOR3 d = a - b;
	return D3DXVec3Length(&d);
}

#define EXPECT_VEC3_NEAR(actual, expected, tolerance)                \
	do {                                                             \
		const D3DXVECTOR3 a_ = (actual), e_ = (expected);            \
		EXPECT_NEAR(a_.x, e_.x, tolerance);                          \
		EXPECT_NEAR(a_.y, e_.y, tolerance);                          \
		EXPECT_NEAR(a_.z, e_.z, tolerance);                          \
	} while (0)

// The weapon and HUD tests place their own targets: whatever the stage
// spawned is taken away before they start.
inline void RemoveAllEnemies(SceneManager& manager) {
	for (EnemyBase* enemy : manager.enemies) {
		delete enemy;
	}
	manager.enemies.clear();
}

// A battle with nothing in it but what the test places.
class WeaponTest : public player_test::BattleTest {
protected:
	void SetUp() override {
		BattleTest::SetUp();
		if (!IsSkipped() && manager != nullptr) {
			RemoveAllEnemies(*manager);
		}
	}
};

// High above the stage nothing lies sideways; the floor lies 1020 below.
const D3DXVECTOR3 HIGH_ABOVE_STAGE(0.0f, 1000.0f, 0.0f);

}  // namespace weapons_test
