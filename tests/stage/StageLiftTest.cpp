// The lift between the plateau and the trench: it starts flush with the
// plateau, its leg down ends level with the trench floor, and a robot that
// rode it down walks off east onto the trench.

#include "tests/stage/StageTestSupport.h"

#include <algorithm>
#include <cmath>

using namespace stage_test;

namespace {

// The most the robot's ground ray climbs in one frame.
constexpr float STEP_HEIGHT = 5.0f;
constexpr float GRAVITY = 0.05f;

class StageLiftTest : public StageTest {
protected:
	void SetUp() override {
		StageTest::SetUp();
		if (IsSkipped() || HasFatalFailure()) {
			return;
		}
		// One enemy far away keeps the battle open and lets the lift run.
		AddEnemy(D3DXVECTOR3(0.0f, -5.0f, 0.0f));
	}
};

TEST_F(StageLiftTest, TheLiftStartsFlushWithThePlateauAroundTheShaft) {
	const RoutePoint& top = Route("lift_top");
	EXPECT_NEAR(LiftDeckAt(top.x, top.z), top.ground, 1e-3f);
	// The plateau on the approach is the same level.
	const RoutePoint& approach = Route("lift_approach");
	const Surface plateau = SurfaceFromSky(approach.x, approach.z);
	ASSERT_TRUE(plateau.hit);
	EXPECT_NEAR(plateau.height, top.ground, 1e-3f);
}

TEST_F(StageLiftTest, ARideDownEndsLevelWithTheTrenchAndWalkingEastCarriesTheRobotOntoIt) {
	const RoutePoint& top = Route("lift_top");
	const RoutePoint& bottom = Route("lift_bottom");
	const RoutePoint& trench = Route("trench");
	ASSERT_EQ(bottom.kind, "ride");
	PlaceRobot(D3DXVECTOR3(top.x, top.ground + ROBOT_STANDING_HEIGHT + 1.0f, top.z));

	int frames = 0;
	while (!LiftPlatform().active && frames < 60) {
		ASSERT_EQ(UpdateBattle(), SCENE_GAME);
		++frames;
	}
	ASSERT_TRUE(LiftPlatform().active);
	// Ride until the lift turns back up: the leg down is over.
	bool wentDown = false;
	for (frames = 0; frames < 2000; ++frames) {
		ASSERT_EQ(UpdateBattle(), SCENE_GAME);
		if (LiftPlatform().GetVelocity().y < 0.0f) {
			wentDown = true;
		} else if (wentDown) {
			break;
		}
	}
	ASSERT_TRUE(wentDown);
	ASSERT_LT(frames, 2000);

	// The deck at the end of the leg is where the route says the ride ends,
	// within a step of the trench floor beside it.
	const float deck = LiftDeckAt(bottom.x, bottom.z);
	EXPECT_NEAR(deck, bottom.ground, 1e-3f);
	const Surface trenchFloor = SurfaceFromSky(trench.x, trench.z);
	ASSERT_TRUE(trenchFloor.hit);
	EXPECT_NEAR(trenchFloor.height, trench.ground, 1e-3f);
	EXPECT_LE(std::fabs(deck - trenchFloor.height), STEP_HEIGHT);
	EXPECT_NEAR(Player().Position().y - deck, ROBOT_STANDING_HEIGHT, 0.5f + 1e-3f);

	// No gap east of the deck: under every point from the lift's middle to
	// the trench point the robot's ground ray finds the deck or the floor.
	for (float x = bottom.x; x <= trench.x; x += 0.5f) {
		const D3DXVECTOR3 ray(x, deck + STEP_HEIGHT, bottom.z);
		const RayCastResult onDeck = CastRay(LiftPlatform().model.mesh, LiftPlatform().world, ray, DOWN);
		const Surface floor = SurfaceBelow(ray);
		const bool deckHere = onDeck.hit && onDeck.distance <= STEP_HEIGHT + 1e-3f;
		const bool floorHere = floor.hit && deck - floor.height <= STEP_HEIGHT;
		EXPECT_TRUE(deckHere || floorHere) << "a hole at x " << x;
	}

	// Walk east with the robot's own update: one unit a frame, never pushed
	// back by a wall, never below what it stands on.
	Press('D');
	float leftLiftAt = NAN;
	float lowest = Player().Position().y;
	for (frames = 0; Player().Position().x < trench.x && frames < 200; ++frames) {
		const D3DXVECTOR3 before = Player().Position();
		ASSERT_EQ(UpdateBattle(), SCENE_GAME);
		const D3DXVECTOR3 now = Player().Position();
		EXPECT_NEAR(now.x - before.x, 1.0f, 1e-3f) << "frame " << frames;
		EXPECT_NEAR(now.z, before.z, 1e-3f) << "frame " << frames;
		const RayCastResult onDeck = CastRay(LiftPlatform().model.mesh, LiftPlatform().world, now, DOWN);
		if (std::isnan(leftLiftAt) && !(onDeck.hit && onDeck.distance <= ROBOT_STANDING_HEIGHT + 0.5f)) {
			leftLiftAt = now.y - ROBOT_STANDING_HEIGHT - trenchFloor.height;
		}
		lowest = std::min(lowest, now.y);
	}
	Lift('D');
	ASSERT_GE(Player().Position().x, trench.x);
	ASSERT_FALSE(std::isnan(leftLiftAt));
	RecordProperty("height_above_trench_when_leaving_the_lift", std::to_string(leftLiftAt));
	// The ground ray's origin, 10 below the robot's, never went under the
	// floor: a landing frame sinks by its fall, but not through.
	EXPECT_GT(lowest - 10.0f, trenchFloor.height);

	// It comes to rest on the trench floor and stays there.
	UpdateBattle(120);
	const Surface under = SurfaceFromSky(Player().Position().x, Player().Position().z);
	ASSERT_TRUE(under.hit);
	EXPECT_NEAR(under.height, trench.ground, 1e-3f);
	EXPECT_NEAR(Player().Position().y - under.height, ROBOT_STANDING_HEIGHT - GRAVITY, 1e-3f);
	EXPECT_EQ(Player().verticalSpeed, 0.0f);
}

}  // namespace
