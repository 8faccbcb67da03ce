// The move keys: one acts at a time, each step is one unit along the robot's
// own axes, and a change of direction is what lights the thrusters.

#include "tests/player/PlayerTestSupport.h"

using namespace player_test;

namespace {

class PlayerWalkingTest : public BattleTest {
protected:
	D3DXVECTOR3 Right() const { return D3DXVECTOR3(game->player.world._11, game->player.world._12, game->player.world._13); }
	D3DXVECTOR3 Forward() const { return D3DXVECTOR3(game->player.world._31, game->player.world._32, game->player.world._33); }

	// The horizontal displacement of one update.
	D3DXVECTOR3 StepDisplacement() {
		const D3DXVECTOR3 before = Player().Position();
		StepPlayer();
		D3DXVECTOR3 moved = Player().Position() - before;
		moved.y = 0.0f;
		return moved;
	}

	static void ExpectSameDirection(const D3DXVECTOR3& moved, const D3DXVECTOR3& expected) {
		EXPECT_NEAR(moved.x, expected.x, 1e-4f);
		EXPECT_NEAR(moved.y, expected.y, 1e-4f);
		EXPECT_NEAR(moved.z, expected.z, 1e-4f);
	}
};

TEST_F(PlayerWalkingTest, WHeldFromTheFirstFrameWalksOneUnitAFrameWithoutThrustersUntilAKeyIsPressedAnew) {
	Press('W');
	for (int frame = 1; frame <= 40; ++frame) {
		StepPlayer();
		// Whole units add up exactly along an unturned robot's +z.
		ASSERT_EQ(Player().Position().z, static_cast<float>(frame)) << "frame " << frame;
		ASSERT_EQ(Player().Position().x, 0.0f) << "frame " << frame;
		ASSERT_FALSE(Player().moving) << "frame " << frame;
		ASSERT_EQ(Player().moveDir, MOVE_FORWARD);
	}

	Lift('W');
	StepPlayer();
	EXPECT_FALSE(Player().moving);
	EXPECT_EQ(Player().moveDir, MOVE_NONE);
	const float stoppedZ = Player().Position().z;
	EXPECT_EQ(stoppedZ, 40.0f);

	Press('W');
	StepPlayer();
	EXPECT_TRUE(Player().moving);
	EXPECT_EQ(Player().moveDir, MOVE_FORWARD);
	EXPECT_EQ(Player().Position().z, stoppedZ + 1.0f);
}

TEST_F(PlayerWalkingTest, WAndDTogetherWalkForwardOnlyAndReleasingWStrafesRightWithANewPoseBlend) {
	StepPlayer(30);
	ASSERT_EQ(Player().moveDir, MOVE_NONE);

	Press('W');
	Press('D');
	for (int frame = 0; frame < 20; ++frame) {
		const D3DXVECTOR3 forward = Forward();
		ExpectSameDirection(StepDisplacement(), forward);
	}
	EXPECT_EQ(Player().moveDir, MOVE_FORWARD);
	EXPECT_TRUE(Player().moving);
	// Twenty frames settle the blend of the start of the walk.
	EXPECT_GE(Player().poseBlend, 1.0f);

	Lift('W');
	const D3DXVECTOR3 right = Right();
	ExpectSameDirection(StepDisplacement(), right);
	EXPECT_EQ(Player().moveDir, MOVE_RIGHT);
	EXPECT_TRUE(Player().moving);
	// Restarted at 0, then one blend step per update.
	for (int frame = 1; frame <= 9; ++frame) {
		EXPECT_NEAR(Player().poseBlend, 0.1f * static_cast<float>(frame), 1e-5f) << "update " << frame;
		const D3DXVECTOR3 rightNow = Right();
		ExpectSameDirection(StepDisplacement(), rightNow);
	}
	// An unturned robot's right is +x.
	EXPECT_EQ(Right(), D3DXVECTOR3(1.0f, 0.0f, 0.0f));
}

TEST_F(PlayerWalkingTest, SWalksBackAndAStrafesLeftOneUnitAFrame) {
	StepPlayer(30);
	const D3DXVECTOR3 start = Player().Position();

	Press('S');
	StepPlayer(10);
	EXPECT_EQ(Player().moveDir, MOVE_BACK);
	EXPECT_EQ(Player().Position().z, start.z - 10.0f);
	EXPECT_EQ(Player().Position().x, start.x);

	Lift('S');
	Press('A');
	StepPlayer(10);
	EXPECT_EQ(Player().moveDir, MOVE_LEFT);
	EXPECT_EQ(Player().Position().x, start.x - 10.0f);
	EXPECT_EQ(Player().Position().z, start.z - 10.0f);
}

TEST_F(PlayerWalkingTest, ATurnedRobotWalksAlongItsOwnAxesInAllFourDirections) {
	StepPlayer(30);
	// 210 pixels at sensitivity 7: a turn of 30 degrees to the right.
	MoveCursor(210, 0);
	StepPlayer();
	const D3DXVECTOR3 forward = Forward();
	const D3DXVECTOR3 right = Right();
	ASSERT_GT(forward.x, 0.4f);
	ASSERT_LT(right.z, -0.4f);

	const struct {
		int key;
		D3DXVECTOR3 direction;
	} moves[] = {{'W', forward}, {'D', right}, {'S', -forward}, {'A', -right}};
	for (const auto& move : moves) {
		Press(move.key);
		for (int frame = 0; frame < 3; ++frame) {
			const D3DXVECTOR3 moved = StepDisplacement();
			SCOPED_TRACE(static_cast<char>(move.key));
			ExpectSameDirection(moved, move.direction);
			EXPECT_NEAR(D3DXVec3Length(&moved), 1.0f, 1e-4f);
		}
		Lift(move.key);
	}
}

}  // namespace
