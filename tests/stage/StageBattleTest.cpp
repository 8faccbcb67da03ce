// The battle's end on the stage: a missile in the air keeps the lift still
// and the battle open; the success ending switches 120 frames after the list
// empties, the failure ending 120 frames after the robot falls, and the
// enemies go on fighting through the fade.

#include "app/Application.h"
#include "enemy/Boss_Tank.h"
#include "enemy/Missile.h"
#include "enemy/Turret.h"
#include "enemy/Two_Leg.h"
#include "tests/stage/StageTestSupport.h"

#include <algorithm>

using namespace stage_test;

namespace {

constexpr int ENDING_FRAMES = 120;
constexpr int FADE_STEP = 2;
constexpr float BARREL_SPIN_STEP = 5.0f;

class StageBattleTest : public StageTest {
protected:
	Missile* FirstMissile() {
		for (EnemyBase* enemy : manager->enemies) {
			if (enemy->isMissile) {
				return static_cast<Missile*>(enemy);
			}
		}
		return nullptr;
	}

	// The robot on the arena floor, 200 west of the op: in the boss's range.
	void PlaceRobotInArena() {
		const RoutePoint& arena = Route("boss");
		PlaceRobot(D3DXVECTOR3(BOSS_POSITION.x - 200.0f, arena.ground + ROBOT_STANDING_HEIGHT, BOSS_POSITION.z));
	}
};

TEST_F(StageBattleTest, WhileAMissileFliesTheLiftStandsStillAndTheBattleIsNotWon) {
	Boss_Tank& boss = Add(new Boss_Tank());
	PlaceRobotInArena();
	// The next frame in range launches.
	boss.missileTimer = std::max(boss.hitPoints, 150);
	ASSERT_EQ(UpdateBattle(), SCENE_GAME);
	Missile* missile = FirstMissile();
	ASSERT_NE(missile, nullptr);
	ASSERT_EQ(manager->enemies.size(), 2u);

	// The robot rides up to the plateau and stands on the lift, out of range.
	const RoutePoint& top = Route("lift_top");
	PlaceRobot(D3DXVECTOR3(top.x, top.ground + ROBOT_STANDING_HEIGHT, top.z));
	const D3DXMATRIX liftStart = LiftPlatform().world;
	int frames = 0;
	bool burst = false;
	while (FirstMissile() != nullptr && frames < 2000) {
		ASSERT_EQ(UpdateBattle(), SCENE_GAME) << "frame " << frames;
		ASSERT_EQ(LiftPlatform().world, liftStart) << "frame " << frames;
		ASSERT_FALSE(game->ending) << "frame " << frames;
		burst = burst || (FirstMissile() != nullptr && !FirstMissile()->alive);
		++frames;
	}
	ASSERT_EQ(FirstMissile(), nullptr) << "the missile was never removed";
	EXPECT_TRUE(burst);
	EXPECT_TRUE(LiftPlatform().active);
	EXPECT_NEAR(Player().Position().y - LiftDeckAt(top.x, top.z), ROBOT_STANDING_HEIGHT, 0.06f);

	// The boss alone is at most one enemy: the lift turns and goes down.
	ASSERT_EQ(manager->enemies.size(), 1u);
	UpdateBattle(3);
	EXPECT_LT(LiftPlatform().world._42, liftStart._42);
	EXPECT_FALSE(game->ending);
}

TEST_F(StageBattleTest, TheSuccessEndingSwitches120FramesAfterTheListEmpties) {
	Add(new Two_Leg());
	D3DXMatrixTranslation(&manager->enemies.back()->world, -165.0f, 100.0f, 1425.0f);
	Add(new Turret());
	D3DXMatrixTranslation(&manager->enemies.back()->world, 700.0f, 130.0f, 2166.0f);
	Boss_Tank& boss = Add(new Boss_Tank());
	UpdateBattle(30);
	// The boss's death takes every other enemy with it.
	boss.hitPoints = 0;
	int frames = 0;
	while (!manager->enemies.empty() && frames < 400) {
		ASSERT_EQ(UpdateBattle(), SCENE_GAME);
		ASSERT_EQ(game->ending, manager->enemies.empty()) << "frame " << frames;
		++frames;
	}
	ASSERT_TRUE(manager->enemies.empty());
	// The frame that emptied the list counts as the first of the ending.
	EXPECT_EQ(game->endCounter, 1);
	for (int frame = 2; frame < ENDING_FRAMES; ++frame) {
		ASSERT_EQ(UpdateBattle(), SCENE_GAME) << "ending frame " << frame;
	}
	EXPECT_EQ(UpdateBattle(), SCENE_RESULT);
	EXPECT_EQ(game->fadeAlpha, ENDING_FRAMES * FADE_STEP);
	EXPECT_FALSE(Application::Get().battleFailed);
}

TEST_F(StageBattleTest, TheFailureEndingSwitches120FramesAfterTheRobotFallsWithTheBossStillFiring) {
	Boss_Tank& boss = Add(new Boss_Tank());
	PlaceRobotInArena();
	UpdateBattle(10);
	// Low enough for the next missile's blast, which falls where it stands.
	Player().hitPoints = 50.0f;
	boss.missileTimer = std::max(boss.hitPoints, 150);
	int frames = 0;
	while (Player().hitPoints > 0.0f && frames < 1000) {
		ASSERT_EQ(UpdateBattle(), SCENE_GAME);
		++frames;
	}
	ASSERT_LE(Player().hitPoints, 0.0f) << "the robot outlived " << frames << " frames";
	ASSERT_TRUE(game->ending);
	// A failure starts counting on the next frame.
	EXPECT_EQ(game->endCounter, 0);
	const D3DXVECTOR3 fallen = Player().Position();
	int shotsFired = 0;
	for (int frame = 1; frame <= ENDING_FRAMES; ++frame) {
		const float spin = boss.barrelSpin;
		const size_t shots = boss.projectiles.size();
		const int32_t next = UpdateBattle();
		ASSERT_EQ(next, frame < ENDING_FRAMES ? SCENE_GAME : SCENE_RESULT) << "ending frame " << frame;
		// The boss still sees the robot and fights on through the fade.
		EXPECT_EQ(boss.barrelSpin, spin + BARREL_SPIN_STEP) << "ending frame " << frame;
		shotsFired += boss.projectiles.size() > shots ? 1 : 0;
		// The fallen robot does nothing.
		EXPECT_EQ(Player().Position(), fallen);
	}
	EXPECT_GE(shotsFired, ENDING_FRAMES / 4 - 1);
	EXPECT_EQ(game->fadeAlpha, ENDING_FRAMES * FADE_STEP);
	EXPECT_TRUE(Application::Get().battleFailed);
}

}  // namespace
