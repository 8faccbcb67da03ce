// The robot's walking, gravity and ground contact on the generated stage.

#include "player/MapCollision.h"
#include "tests/player/PlayerTestSupport.h"

using namespace player_test;

namespace {

class PlayerMovementTest : public BattleTest {};

TEST_F(PlayerMovementTest, FromTheStartWithNoInputTheRobotFallsAndSettles15AboveTheFloor) {
	const RayCastResult floor = CastRayAtMap(D3DXVECTOR3(0.0f, 0.0f, 0.0f), D3DXVECTOR3(0.0f, -1.0f, 0.0f));
	ASSERT_TRUE(floor.hit);
	const float floorHeight = -floor.distance;
	StepPlayer(300);
	// Settled: this frame's fall of 0.05 is taken back by the ground ray.
	EXPECT_NEAR(Player().Position().y, floorHeight + 15.0f - 0.05f, 1e-3f);
	EXPECT_EQ(Player().verticalSpeed, 0.0f);
	EXPECT_EQ(Player().Position().x, 0.0f);
	EXPECT_EQ(Player().Position().z, 0.0f);
}

}  // namespace
