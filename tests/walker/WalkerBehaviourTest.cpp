// The walker's decisions as the player meets them: landing, the sight and
// fire ranges, turning towards the robot, walking, walls and its fire.

#include "tests/walker/WalkerTestSupport.h"

#include <cmath>
#include <cstdlib>

using namespace walker_test;

namespace {

constexpr float TURN_DEGREES = 0.017453f * DEGREES_PER_RADIAN;

TEST_F(WalkerTest, AWalkerDroppedOverTheSpawnAreaLands15AboveTheFloor) {
	Two_Leg& walker = AddWalker(SPAWN_AREA);
	const float floor = FloorUnder(SPAWN_AREA.x, SPAWN_AREA.z);
	ASSERT_GT(SPAWN_AREA.y, floor + 15.0f);

	int frames = 0;
	float fallSpeed = 0.0f;
	float previousHeight = walker.Position().y;
	do {
		fallSpeed = walker.verticalSpeed - 0.05f;
		Step(walker);
		EXPECT_LT(walker.Position().y, previousHeight) << "frame " << frames;
		previousHeight = walker.Position().y;
	} while (walker.verticalSpeed != 0.0f && ++frames < 1000);

	// The ray measures from before the frame's fall: the landing frame sinks
	// by that fall, the next lifts the walker to rest 0.05 short of 15.
	EXPECT_NEAR(walker.Position().y, floor + 15.0f + fallSpeed, 1e-3f);
	Step(walker);
	EXPECT_NEAR(walker.Position().y, floor + 15.0f - 0.05f, 1e-3f);
	Step(walker, 30);
	EXPECT_NEAR(walker.Position().y, floor + 15.0f - 0.05f, 1e-3f);
	EXPECT_EQ(walker.Position().x, SPAWN_AREA.x);
	EXPECT_EQ(walker.Position().z, SPAWN_AREA.z);
	EXPECT_TRUE(walker.projectiles.empty());
}

TEST_F(WalkerTest, ARobotExactly305AwayIsIgnoredAnd304AwayIsApproached) {
	Two_Leg& walker = AddLandedWalker(SPAWN_AREA.x, SPAWN_AREA.z);
	PlaceRobotAround(walker, 305.0f, 90.0f);
	ASSERT_EQ(Distance(Player().Position(), walker.Position()), 305.0f);
	const D3DXMATRIX before = walker.world;
	Step(walker, 10);
	EXPECT_EQ(player_test::MaxDifference(walker.world, before), 0.0f);
	EXPECT_FALSE(walker.walking);
	EXPECT_EQ(walker.headingDegrees, 0.0f);

	PlaceRobotAround(walker, 304.0f, 90.0f);
	for (int frame = 1; frame <= 10; ++frame) {
		const D3DXVECTOR3 start = walker.Position();
		Step(walker);
		// Turned one degree first, then 0.3 along the new facing.
		const D3DXVECTOR3 facing = FacingOf(walker.world);
		const D3DXVECTOR3 moved = walker.Position() - start;
		EXPECT_NEAR(moved.x, 0.3f * facing.x, 1e-4f) << frame;
		EXPECT_NEAR(moved.z, 0.3f * facing.z, 1e-4f) << frame;
		EXPECT_NEAR(std::acos(-facing.z) * DEGREES_PER_RADIAN, frame * TURN_DEGREES, 1e-3f) << frame;
		EXPECT_EQ(walker.headingDegrees, static_cast<float>(frame));
	}
	EXPECT_TRUE(walker.projectiles.empty());
}

TEST_F(WalkerTest, ARobotExactly130AwayIsApproachedAnd129AwayIsShotAtFromWhereTheWalkerStands) {
	Two_Leg& walker = AddLandedWalker(SPAWN_AREA.x, SPAWN_AREA.z);
	PlaceRobotAround(walker, 130.0f, 0.0f);
	const D3DXVECTOR3 start = walker.Position();
	Step(walker);
	EXPECT_FALSE(walker.attacking);
	EXPECT_TRUE(walker.projectiles.empty());
	EXPECT_NEAR(walker.Position().z, start.z - 0.3f, 1e-4f);

	PlaceRobotAround(walker, 129.0f, 0.0f);
	const D3DXVECTOR3 standing = walker.Position();
	const int firstShotVoice = walker.shotSound.NextVoice();
	for (int frame = 1; frame <= 25; ++frame) {
		Step(walker);
		const size_t shotsSoFar = static_cast<size_t>((frame - 1) / 8 + 1);
		EXPECT_EQ(walker.projectiles.size(), shotsSoFar) << frame;
		EXPECT_EQ(walker.shotSound.NextVoice(), (firstShotVoice + static_cast<int>(shotsSoFar)) % 30) << frame;
	}
	EXPECT_TRUE(walker.attacking);
	EXPECT_EQ(walker.Position().x, standing.x);
	EXPECT_EQ(walker.Position().z, standing.z);
	EXPECT_EQ(Player().hitPoints, PLAYER_START_HIT_POINTS);
}

TEST_F(WalkerTest, ShotsLeaveTheMuzzleWithTheFlashAndFlyTowardsTheRobotAt2UnitsAFrame) {
	Two_Leg& walker = AddLandedWalker(SPAWN_AREA.x, SPAWN_AREA.z);
	PlaceRobotAround(walker, 100.0f, 0.0f);
	const D3DXVECTOR3 muzzle = walker.Position() + D3DXVECTOR3(0.0f, 2.3f, -8.0f);

	std::srand(4242);
	const float spreadX = static_cast<float>(std::rand() % 15 - 7) / 10.0f;
	const float spreadY = static_cast<float>(std::rand() % 5 - 2) / 10.0f;
	std::srand(4242);
	Step(walker);
	ASSERT_EQ(walker.projectiles.size(), 1u);
	const Ammo& shot = *walker.projectiles.front();
	EXPECT_EQ(shot.kind, AMMO_WALKER);

	const particles::Manager* flashes = walker.muzzleFlash.GetManager();
	ASSERT_NE(flashes, nullptr);
	const particles::Matrix43 flash = flashes->GetMatrix(walker.muzzleFlash.CurrentHandle());
	EXPECT_TRUE(Vec3Near(flash.Translation(), muzzle, 1e-3f));

	// Launched at the muzzle and moved once in the same frame.
	for (int frame = 1; frame <= 20; ++frame) {
		const D3DXVECTOR3 expected = muzzle + D3DXVECTOR3(spreadX, spreadY, -2.0f) * static_cast<float>(frame);
		EXPECT_TRUE(Vec3Near(shot.Position(), expected, 1e-3f)) << frame;
		Step(walker);
	}
}

TEST_F(WalkerTest, InsideTheDeadZoneTheWalkerHoldsItsHeadingOutsideItTurnsTowardsTheRobotsSide) {
	Two_Leg& walker = AddLandedWalker(SPAWN_AREA.x, SPAWN_AREA.z);
	const D3DXMATRIX facingAhead = walker.world;
	for (const float degrees : {1.2f, -1.2f, 1.45f, -1.45f}) {
		walker.world = facingAhead;
		PlaceRobotAround(walker, 100.0f, degrees);
		Step(walker);
		EXPECT_EQ(walker.aimAngle, 0.0f) << degrees;
		EXPECT_EQ(walker.headingDegrees, 0.0f) << degrees;
		EXPECT_EQ(FacingOf(walker.world).x, 0.0f) << degrees;
	}

	// The robot to the walker's right (-x while it faces -z).
	walker.world = facingAhead;
	PlaceRobotAround(walker, 100.0f, 20.0f);
	Step(walker);
	EXPECT_NEAR(walker.aimAngle, 20.0f, 0.01f);
	EXPECT_LT(FacingOf(walker.world).x, 0.0f);
	EXPECT_EQ(walker.headingDegrees, 1.0f);

	// To its left: the heading wraps below 0 to 360, then counts down.
	walker.world = facingAhead;
	walker.headingDegrees = 0.0f;
	PlaceRobotAround(walker, 100.0f, -20.0f);
	Step(walker);
	EXPECT_NEAR(walker.aimAngle, -20.0f, 0.01f);
	EXPECT_GT(FacingOf(walker.world).x, 0.0f);
	EXPECT_EQ(walker.headingDegrees, 360.0f);
	Step(walker);
	EXPECT_EQ(walker.headingDegrees, 359.0f);
}

TEST_F(WalkerTest, ARobotStraightBehindIsFacedAfterAHalfTurnOfOneDegreeSteps) {
	Two_Leg& walker = AddLandedWalker(SPAWN_AREA.x, SPAWN_AREA.z);
	PlaceRobotAround(walker, 100.0f, 180.0f);
	const D3DXVECTOR3 start = walker.Position();

	// Turning stops once less than the 1.5 degree dead zone is left.
	const int expectedTurns = static_cast<int>(std::ceil((180.0f - 1.5f) / TURN_DEGREES));
	int turns = 0;
	for (int frame = 0; frame < 200; ++frame) {
		const D3DXVECTOR3 before = FacingOf(walker.world);
		Step(walker);
		const D3DXVECTOR3 after = FacingOf(walker.world);
		const float turned = std::acos(std::fmin(1.0f, D3DXVec3Dot(&before, &after))) * DEGREES_PER_RADIAN;
		// acos near 1 reads a still facing as a few hundredths of a degree.
		if (turned > 0.5f) {
			EXPECT_NEAR(turned, TURN_DEGREES, 0.01f) << frame;
			EXPECT_EQ(turns, frame) << "the turn paused before frame " << frame;
			++turns;
		}
	}
	EXPECT_EQ(turns, expectedTurns);
	const D3DXVECTOR3 toRobot = Player().Position() - walker.Position();
	D3DXVECTOR3 direction;
	D3DXVec3Normalize(&direction, &toRobot);
	const D3DXVECTOR3 facing = FacingOf(walker.world);
	EXPECT_LT(std::acos(D3DXVec3Dot(&facing, &direction)) * DEGREES_PER_RADIAN, 1.5f);
	// It fights standing: the half turn happens on the spot.
	EXPECT_NEAR(walker.Position().x, start.x, 1e-4f);
	EXPECT_NEAR(walker.Position().z, start.z, 1e-4f);
}

TEST_F(WalkerTest, AWalkerWalkingIntoAWallKeeps10FromIt) {
	Two_Leg& walker = AddLandedWalker(SPAWN_AREA.x, 1300.0f);
	const RayCastResult wall = CastRayAtMap(walker.Position(), FacingOf(walker.world));
	ASSERT_TRUE(wall.hit);
	ASSERT_GT(wall.distance, 20.0f);
	const float wallZ = walker.Position().z - wall.distance;

	// The robot beyond the wall, still in sight but out of range.
	PlaceRobotAround(walker, 250.0f, 0.0f);
	float nearest = walker.Position().z;
	for (int frame = 0; frame < 400; ++frame) {
		Step(walker);
		nearest = std::fmin(nearest, walker.Position().z);
		EXPECT_TRUE(walker.walking);
	}
	// Pushed back to 10 before each 0.3 step.
	EXPECT_GE(nearest, wallZ + 10.0f - 0.3f - 1e-3f);
	EXPECT_NEAR(walker.Position().z, wallZ + 10.0f - 0.3f, 1e-3f);
	EXPECT_EQ(walker.Position().x, SPAWN_AREA.x);
}

}  // namespace
