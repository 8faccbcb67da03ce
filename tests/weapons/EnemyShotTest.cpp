// The walkers' and the boss's bullets: their random spread, flight, lifetime
// and the damage they do to the robot.

#include "player/Ammo.h"
#include "tests/weapons/WeaponsTestSupport.h"

#include <algorithm>
#include <cstdlib>

using namespace player_test;
using namespace weapons_test;

namespace {

class EnemyShotTest : public WeaponTest {};

// What the C generator gives for the spread, x drawn before y.
D3DXVECTOR3 ExpectedSpread(unsigned seed, float forward) {
	std::srand(seed);
	const int x = std::rand() % 15 - 7;
	const int y = std::rand() % 5 - 2;
	return D3DXVECTOR3(float(x) / 10.0f, float(y) / 10.0f, forward);
}

TEST_F(EnemyShotTest, WalkerShotsFlyAlongMinusZAndBossShotsAlongPlusZWithTheCGeneratorsSpread) {
	float lowestX = 1.0f, highestX = -1.0f, lowestY = 1.0f, highestY = -1.0f;
	for (unsigned seed = 1; seed <= 200; ++seed) {
		for (int32_t kind : {AMMO_WALKER, AMMO_BOSS}) {
			const D3DXVECTOR3 expected = ExpectedSpread(seed, kind == AMMO_WALKER ? -2.0f : 2.0f);
			std::srand(seed);
			const Ammo shot(kind);
			EXPECT_EQ(shot.velocity.x, expected.x) << seed;
			EXPECT_EQ(shot.velocity.y, expected.y) << seed;
			EXPECT_EQ(shot.velocity.z, expected.z) << seed;
			lowestX = std::min(lowestX, shot.velocity.x);
			highestX = std::max(highestX, shot.velocity.x);
			lowestY = std::min(lowestY, shot.velocity.y);
			highestY = std::max(highestY, shot.velocity.y);
		}
	}
	// Over 400 shots the whole spread shows up, and no more.
	EXPECT_FLOAT_EQ(lowestX, -0.7f);
	EXPECT_FLOAT_EQ(highestX, 0.7f);
	EXPECT_FLOAT_EQ(lowestY, -0.2f);
	EXPECT_FLOAT_EQ(highestY, 0.2f);
}

TEST_F(EnemyShotTest, RestartDrawsANewSpreadAndPutsTheShotBackAtTheOrigin) {
	Ammo shot(AMMO_WALKER);
	shot.SetLaunchMatrix(TranslationTo(D3DXVECTOR3(3.0f, 4.0f, 5.0f)));
	shot.UpdateEnemyShot();
	shot.active = false;
	const D3DXVECTOR3 expected = ExpectedSpread(77, -2.0f);
	std::srand(77);
	shot.Restart();
	EXPECT_VEC3_NEAR(shot.velocity, expected, 0.0f);
	EXPECT_VEC3_NEAR(shot.Position(), D3DXVECTOR3(0.0f, 0.0f, 0.0f), 0.0f);
	EXPECT_EQ(shot.age, 0.0f);
	EXPECT_TRUE(shot.active);
	EXPECT_EQ(shot.radius, 0.5f);
}

TEST_F(EnemyShotTest, AnEnemyShotMovesByItsVelocityInItsOwnAxesAndIsSpentAfter1000Frames) {
	D3DXMATRIX turn;
	D3DXMatrixRotationYawPitchRoll(&turn, 0.8f, 0.3f, 0.1f);
	const D3DXMATRIX launch = turn * TranslationTo(D3DXVECTOR3(1.0f, 2.0f, 3.0f));
	Ammo shot(AMMO_BOSS);
	shot.SetLaunchMatrix(launch);
	const D3DXVECTOR3 step = shot.velocity.x * Row(launch, 0) + shot.velocity.y * Row(launch, 1) +
	                         shot.velocity.z * Row(launch, 2);
	shot.UpdateEnemyShot();
	EXPECT_VEC3_NEAR(shot.Position(), TranslationOf(launch) + step, 1e-5f);
	for (int frame = 2; frame <= 1000; ++frame) {
		shot.UpdateEnemyShot();
	}
	EXPECT_TRUE(shot.active);
	EXPECT_EQ(shot.age, 1000.0f);
	shot.UpdateEnemyShot();
	EXPECT_FALSE(shot.active);
	// A spent shot stays where it died.
	const D3DXVECTOR3 last = shot.Position();
	shot.UpdateEnemyShot();
	EXPECT_VEC3_NEAR(shot.Position(), last, 0.0f);
	EXPECT_EQ(shot.age, 1001.0f);
}

TEST_F(EnemyShotTest, AnEnemyShotLooksForTheMapAlongItsMinusZ) {
	// From the robot's start the corridor's end wall is 102 behind (-z) and
	// nothing lies above.
	D3DXMATRIX up;
	D3DXMatrixRotationX(&up, D3DX_PI / 2.0f);  // its -z points along world +y
	Ammo skyward(AMMO_WALKER);
	skyward.SetLaunchMatrix(up);
	ASSERT_FALSE(CastRayAtMap(D3DXVECTOR3(0.0f, 0.0f, 0.0f), D3DXVECTOR3(0.0f, 1.0f, 0.0f)).hit);
	EXPECT_TRUE(skyward.TestMap());
	EXPECT_FALSE(skyward.active);

	Ammo level(AMMO_WALKER);
	ASSERT_TRUE(CastRayAtMap(D3DXVECTOR3(0.0f, 0.0f, 0.0f), D3DXVECTOR3(0.0f, 0.0f, -1.0f)).hit);
	EXPECT_FALSE(level.TestMap());
	EXPECT_TRUE(level.active);
}

TEST_F(EnemyShotTest, AShotWithinFiveAndAHalfOfTheRobotTakesTenWithRedSparkAndSound) {
	StepPlayer(100);
	const D3DXVECTOR3 robot = Player().Position();
	const D3DXVECTOR3 at = robot + D3DXVECTOR3(3.0f, 0.0f, 4.4f);  // 5.33 away
	Ammo shot(AMMO_WALKER);
	shot.SetLaunchMatrix(TranslationTo(at));
	shot.HitPlayer(Player());
	EXPECT_EQ(Player().hitPoints, 290.0f);
	EXPECT_VEC3_NEAR(Player().sparkRed.Position(), at, 0.0f);
	EXPECT_EQ(Player().hitSound.NextVoice(), 1);
	EXPECT_FALSE(shot.active);
	// Spent, it hits no more.
	shot.HitPlayer(Player());
	EXPECT_EQ(Player().hitPoints, 290.0f);
	EXPECT_EQ(Player().hitSound.NextVoice(), 1);
}

TEST_F(EnemyShotTest, AShotFartherThanFiveAndAHalfFromTheRobotDoesNothing) {
	StepPlayer(100);
	const D3DXVECTOR3 robot = Player().Position();
	for (const D3DXVECTOR3& offset : {D3DXVECTOR3(0.0f, 5.5f, 0.0f), D3DXVECTOR3(3.0f, 0.0f, 4.7f)}) {
		Ammo shot(AMMO_BOSS);
		shot.SetLaunchMatrix(TranslationTo(robot + offset));
		shot.HitPlayer(Player());
		EXPECT_TRUE(shot.active);
	}
	EXPECT_EQ(Player().hitPoints, 300.0f);
	EXPECT_EQ(Player().hitSound.NextVoice(), 0);
}

}  // namespace
