// Riding the lift: standing on it starts it, and the robot goes down with it
// standing on its floor; the battle holds the lift while two or more enemies
// remain.

#include "player/MapCollision.h"
#include "render/StageObject.h"
#include "tests/player/PlayerTestSupport.h"

using namespace player_test;

namespace {

// The robot's origin stands this high above what it stands on.
constexpr float STANDING_HEIGHT = 15.0f;
// Added to the robot after the lift has moved: on it, the robot is one
// lift step ahead or behind.
constexpr float LIFT_SPEED = 0.5f;

class PlayerLiftTest : public BattleTest {
protected:
	StageObject& Lift() { return *manager->stageObjects.at(0); }

	// The height of the lift's floor under the robot, from a ray at its mesh.
	float LiftFloorUnderRobot() {
		const D3DXVECTOR3 origin = Player().Position();
		const RayCastResult floor = CastRay(Lift().model.mesh, Lift().world, origin, D3DXVECTOR3(0.0f, -1.0f, 0.0f));
		EXPECT_TRUE(floor.hit);
		return origin.y - floor.distance;
	}

	// Puts the robot just above the middle of the lift's floor.
	void PlaceRobotOnLift() {
		const D3DXVECTOR3 above(Lift().world._41, Lift().world._42 + 200.0f, Lift().world._43);
		const RayCastResult top = CastRay(Lift().model.mesh, Lift().world, above, D3DXVECTOR3(0.0f, -1.0f, 0.0f));
		ASSERT_TRUE(top.hit);
		PlaceRobot(D3DXVECTOR3(above.x, above.y - top.distance + STANDING_HEIGHT + 1.0f, above.z));
	}

	// An enemy far from the robot and the lift, keeping the battle open.
	void AddDistantEnemy(float x) { AddEnemy(D3DXVECTOR3(x, 0.0f, 0.0f)); }
};

TEST_F(PlayerLiftTest, StandingOnTheLiftStartsItAndRidesItDownOnItsFloorToTheEndOfTheLeg) {
	AddDistantEnemy(0.0f);
	PlaceRobotOnLift();
	ASSERT_FALSE(Lift().active);

	// Falls the one unit onto the floor, then stands: that starts the lift.
	for (int frame = 0; frame < 30 && !Lift().active; ++frame) {
		ASSERT_EQ(UpdateBattle(), SCENE_GAME);
	}
	ASSERT_TRUE(Lift().active);
	EXPECT_NEAR(Player().Position().y - LiftFloorUnderRobot(), STANDING_HEIGHT, 1e-3f);

	const float liftStart = Lift().world._42;
	const float robotStart = Player().Position().y;
	bool wentDown = false;
	int frames = 0;
	for (; frames < 1000; ++frames) {
		const float liftBefore = Lift().world._42;
		const float robotBefore = Player().Position().y;
		const D3DXVECTOR3 velocityBefore = Lift().GetVelocity();
		ASSERT_EQ(UpdateBattle(), SCENE_GAME);
		const float liftMoved = Lift().world._42 - liftBefore;
		const float robotMoved = Player().Position().y - robotBefore;
		const float standing = Player().Position().y - LiftFloorUnderRobot();
		EXPECT_GE(standing, STANDING_HEIGHT - LIFT_SPEED - 1e-3f) << "frame " << frames;
		EXPECT_LE(standing, STANDING_HEIGHT + LIFT_SPEED + 1e-3f) << "frame " << frames;
		// Except where the lift turns, the robot moves as the lift does.
		if (Lift().GetVelocity() == velocityBefore) {
			EXPECT_NEAR(robotMoved, liftMoved, 1e-3f) << "frame " << frames;
		}
		if (Lift().GetVelocity().y < 0.0f) {
			wentDown = true;
		} else if (wentDown) {
			break;  // the leg down is over
		}
	}
	ASSERT_TRUE(wentDown);
	ASSERT_LT(frames, 1000) << "the lift never turned back up";
	const float liftDrop = liftStart - Lift().world._42;
	EXPECT_GT(liftDrop, 300.0f);
	EXPECT_NEAR(robotStart - Player().Position().y, liftDrop, LIFT_SPEED + 1e-3f);
	EXPECT_EQ(Player().verticalSpeed, 0.0f);
}

TEST_F(PlayerLiftTest, WithTwoEnemiesLeftTheLiftStaysPutUntilOneIsGone) {
	AddDistantEnemy(0.0f);
	StillEnemy& second = AddEnemy(D3DXVECTOR3(-50.0f, 0.0f, 0.0f));
	PlaceRobotOnLift();
	const D3DXMATRIX liftStart = Lift().world;

	UpdateBattle(60);
	EXPECT_TRUE(Lift().active);
	EXPECT_EQ(Lift().world, liftStart);
	EXPECT_NEAR(Player().Position().y - LiftFloorUnderRobot(), STANDING_HEIGHT, 1e-3f);

	// Gone enemies leave the list before the lift is considered.
	second.exists = false;
	UpdateBattle(10);
	ASSERT_EQ(manager->enemies.size(), 1u);
	EXPECT_LT(Lift().world._42, liftStart._42);
	EXPECT_NEAR(Player().Position().y - LiftFloorUnderRobot(), STANDING_HEIGHT, LIFT_SPEED + 1e-3f);
}

}  // namespace
