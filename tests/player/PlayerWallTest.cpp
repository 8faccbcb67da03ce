// Walls: the robot keeps 9 to 10 units from a wall's plane, measured at its
// wall ray's origin, and slides along a wall it walks into at an angle.

#include "player/MapCollision.h"
#include "tests/player/PlayerTestSupport.h"

using namespace player_test;

namespace {

// The wall ray starts this far below the robot's origin.
constexpr float WALL_RAY_DROP = 3.0f;

float Dot(const D3DXVECTOR3& a, const D3DXVECTOR3& b) { return D3DXVec3Dot(&a, &b); }

class PlayerWallTest : public BattleTest {
protected:
	struct WallSight {
		bool seen = false;
		D3DXVECTOR3 normal;
		float planeDistance = 0.0f;  // from the ray origin to the wall's plane
	};

	// The wall the robot would meet along direction, and how far its plane is.
	WallSight LookAtWall(const D3DXVECTOR3& direction) {
		const D3DXVECTOR3 origin = Player().Position() - D3DXVECTOR3(0.0f, WALL_RAY_DROP, 0.0f);
		const RayCastResult wall = CastRayAtMap(origin, direction);
		WallSight sight;
		const D3DXVECTOR3* normal = wall.hit ? MapNormalOf(wall.face) : nullptr;
		if (normal == nullptr) {
			return sight;
		}
		sight.seen = true;
		sight.normal = *normal;
		const D3DXVECTOR3 hitPoint = origin + direction * wall.distance;
		const D3DXVECTOR3 toOrigin = origin - hitPoint;
		sight.planeDistance = D3DXVec3Dot(normal, &toOrigin);
		return sight;
	}

	D3DXVECTOR3 Forward() const { return D3DXVECTOR3(game->player.world._31, game->player.world._32, game->player.world._33); }
	D3DXVECTOR3 Right() const { return D3DXVECTOR3(game->player.world._11, game->player.world._12, game->player.world._13); }
};

TEST_F(PlayerWallTest, StrafingStraightAtAWallStopsNineToTenUnitsFromItsPlane) {
	StepPlayer(30);
	const WallSight start = LookAtWall(Right());
	ASSERT_TRUE(start.seen);
	// A wall facing the robot, not floor or ceiling.
	ASSERT_LT(Dot(start.normal, Right()), -0.99f);
	ASSERT_GT(start.planeDistance, 30.0f);
	const int framesToWall = static_cast<int>(start.planeDistance) + 20;

	Press('D');
	StepPlayer(framesToWall);
	float lastX = Player().Position().x;
	for (int frame = 0; frame < 30; ++frame) {
		StepPlayer();
		const WallSight wall = LookAtWall(Right());
		ASSERT_TRUE(wall.seen);
		EXPECT_EQ(wall.normal, start.normal);
		EXPECT_GE(wall.planeDistance, 9.0f - 1e-3f) << "frame " << frame;
		EXPECT_LE(wall.planeDistance, 10.0f + 1e-3f) << "frame " << frame;
		// Standing: the push-back and the step cancel.
		EXPECT_NEAR(Player().Position().x, lastX, 1e-3f);
		lastX = Player().Position().x;
	}
}

TEST_F(PlayerWallTest, WalkingIntoAWallAtFortyFiveDegreesSlidesAlongIt) {
	StepPlayer(30);
	// 315 pixels at sensitivity 7: 45 degrees to the right.
	MoveCursor(315, 0);
	StepPlayer();
	const D3DXVECTOR3 forward = Forward();
	ASSERT_NEAR(forward.x, forward.z, 1e-3f);

	// The wall ahead is the one on the robot's right before the turn.
	const WallSight start = LookAtWall(forward);
	ASSERT_TRUE(start.seen);
	const float facing = -Dot(start.normal, forward);
	ASSERT_NEAR(facing, 0.7071f, 1e-3f);
	// Along the wall, in the direction the robot's step leans.
	D3DXVECTOR3 along = forward + start.normal * facing;
	D3DXVec3Normalize(&along, &along);
	// Two frames past first contact.
	const int framesToWall = static_cast<int>((start.planeDistance - 10.0f) / facing) + 2;

	Press('W');
	StepPlayer(framesToWall);
	// The start corridor's right wall runs straight for longer than this
	// slide; the seen wall is checked each frame below.
	const int slideFrames = 40;
	float lastAlong = Dot(along, Player().Position());
	for (int frame = 0; frame < slideFrames; ++frame) {
		StepPlayer();
		const WallSight wall = LookAtWall(forward);
		ASSERT_TRUE(wall.seen);
		ASSERT_EQ(wall.normal, start.normal) << "another wall ahead at frame " << frame;
		EXPECT_GE(wall.planeDistance, 9.0f - 1e-3f) << "frame " << frame;
		EXPECT_LE(wall.planeDistance, 10.0f + 1e-3f) << "frame " << frame;
		const float alongNow = Dot(along, Player().Position());
		// The step's part along the wall survives the push-back whole.
		EXPECT_NEAR(alongNow - lastAlong, Dot(along, forward), 1e-3f) << "frame " << frame;
		lastAlong = alongNow;
	}
}

}  // namespace
