// The trench below the plateau is reached by the lift alone: the robot,
// walking off the plateau's rim or the lift's deck in any direction, never
// drops towards the trench, and no wall ray from there sees past the rock
// over the trench's mouth.

#include "tests/stage/StageTestSupport.h"

#include <cmath>

using namespace stage_test;

namespace {

constexpr float RADIANS_PER_DEGREE = 0.017453292f;
// The robot's wall ray starts this far above the floor it stands on.
constexpr float WALL_RAY_HEIGHT = 12.0f;
// The lift's shaft and the trench's mouth east of it.
constexpr float SHAFT_WEST = 785.0f, SHAFT_EAST = 845.0f;
constexpr float SHAFT_SOUTH = 2128.0f, SHAFT_NORTH = 2188.0f;
// The rock over the trench's mouth ends here; nothing east of it is plateau.
constexpr float MOUTH_ROCK_EAST = 855.0f;

class StageTrenchTest : public StageTest {
protected:
	void SetUp() override {
		StageTest::SetUp();
		if (IsSkipped() || HasFatalFailure()) {
			return;
		}
		// Two enemies keep the lift at the top, as it stands while any
		// walker or the turret is left.
		AddEnemy(D3DXVECTOR3(0.0f, -5.0f, 0.0f));
		AddEnemy(D3DXVECTOR3(0.0f, -5.0f, 20.0f));
		plateau = Route("lift_top").ground;
	}

	// The robot standing at (x, z) on the plateau or the lift, facing the
	// heading (degrees from +z towards +x).
	void StandFacing(float x, float z, float heading) {
		D3DXMATRIX turn, place;
		D3DXMatrixRotationY(&turn, heading * RADIANS_PER_DEGREE);
		D3DXMatrixTranslation(&place, x, plateau + ROBOT_STANDING_HEIGHT, z);
		Player().world = turn * place;
		Player().verticalSpeed = 0.0f;
	}

	float plateau = 0.0f;
};

TEST_F(StageTrenchTest, WalkingOffThePlateauOrTheLiftTowardsTheTrenchStopsAtTheRock) {
	// From the plateau south and north of the shaft and from the lift's deck,
	// every three degrees round, 70 frames of walking: far enough to cross
	// the shaft's east edge from every start.
	int walks = 0;
	for (float x = 790.0f; x <= 835.0f; x += 22.5f) {
		for (float z = 2095.0f; z <= 2225.0f; z += 10.0f) {
			for (float heading = 0.0f; heading < 360.0f; heading += 3.0f) {
				StandFacing(x, z, heading);
				Press('W');
				StepPlayer(70);
				Lift('W');
				StepPlayer();
				const D3DXVECTOR3 end = Player().Position();
				ASSERT_LT(end.x, SHAFT_EAST) << "from " << x << ", " << z << " heading " << heading;
				ASSERT_NEAR(end.y, plateau + ROBOT_STANDING_HEIGHT, 0.5f)
				    << "from " << x << ", " << z << " heading " << heading << " the robot ended at " << end.x << ", "
				    << end.y << ", " << end.z;
				++walks;
			}
		}
	}
	EXPECT_EQ(walks, 3 * 14 * 120);
}

TEST_F(StageTrenchTest, EveryWallRayFromTheRimTowardsTheTrenchHitsRockBeforeItsMouthEnds) {
	// The robot keeps its distance only from walls its ray sees; a ray that
	// slipped past the rock would let it walk out over the trench.
	const float y = plateau + WALL_RAY_HEIGHT;
	int rays = 0;
	for (float x = SHAFT_WEST; x <= SHAFT_EAST - 8.0f; x += 2.0f) {
		for (float z = SHAFT_SOUTH - 40.0f; z <= SHAFT_NORTH + 40.0f; z += 2.0f) {
			for (float heading = 0.0f; heading <= 180.0f; heading += 0.5f) {
				const D3DXVECTOR3 direction(std::sin(heading * RADIANS_PER_DEGREE), 0.0f,
				                            std::cos(heading * RADIANS_PER_DEGREE));
				const D3DXVECTOR3 origin(x, y, z);
				const RayCastResult wall = CastRayAtMap(origin, direction);
				ASSERT_TRUE(wall.hit) << x << ", " << z << " heading " << heading;
				const D3DXVECTOR3 end = origin + direction * wall.distance;
				ASSERT_LE(end.x, MOUTH_ROCK_EAST + 1e-2f) << "from " << x << ", " << z << " heading " << heading
				                                          << " the first wall is at " << end.x << ", " << end.z;
				++rays;
			}
		}
	}
	EXPECT_GT(rays, 100000);
}

TEST_F(StageTrenchTest, TheTrenchsMouthIsOpenOnlyBelowTheRockOverIt) {
	// Straight down over the mouth east of the shaft: the rock's top, far
	// above the plateau, never an opening onto the trench floor.
	const Surface trench = SurfaceFromSky(Route("trench").x, Route("trench").z);
	ASSERT_TRUE(trench.hit);
	for (float x = SHAFT_EAST + 0.5f; x < MOUTH_ROCK_EAST; x += 1.0f) {
		for (float z = SHAFT_SOUTH + 0.5f; z < SHAFT_NORTH; z += 1.0f) {
			const Surface top = SurfaceFromSky(x, z);
			ASSERT_TRUE(top.hit) << x << ", " << z;
			EXPECT_GT(top.height, plateau + 60.0f) << x << ", " << z;
		}
	}
	// Under the rock, at the trench's level, the way from the lift is open.
	const D3DXVECTOR3 underRock(SHAFT_EAST - 5.0f, trench.height + WALL_RAY_HEIGHT, Route("trench").z);
	const RayCastResult east = CastRayAtMap(underRock, D3DXVECTOR3(1.0f, 0.0f, 0.0f));
	EXPECT_TRUE(!east.hit || east.distance > MOUTH_ROCK_EAST - SHAFT_EAST + 20.0f);
}

}  // namespace
