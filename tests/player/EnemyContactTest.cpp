// Bodies in contact: the robot pushing itself off enemies, enemies pushing
// apart, and the enemy base's gravity and wall keeping.

#include "player/MapCollision.h"
#include "tests/player/PlayerTestSupport.h"

#include <cmath>

using namespace player_test;

namespace {

// The robot keeps this much beyond an enemy's body radius.
constexpr float CONTACT_MARGIN = 5.0f;

// An enemy with the base class's movement helpers open to the test.
class BaseEnemy : public StillEnemy {
public:
	using StillEnemy::StillEnemy;
	using EnemyBase::ApplyGravityAbove;
};

float HorizontalDistance(const D3DXVECTOR3& a, const D3DXVECTOR3& b) {
	return std::sqrt((a.x - b.x) * (a.x - b.x) + (a.z - b.z) * (a.z - b.z));
}

class EnemyContactTest : public BattleTest {
protected:
	// The robot standing on the start corridor's floor, at rest.
	D3DXVECTOR3 SettleRobot() {
		StepPlayer(30);
		return Player().Position();
	}

	BaseEnemy& AddBaseEnemy(const D3DXVECTOR3& position) {
		BaseEnemy* enemy = new BaseEnemy(position);
		manager->enemies.push_back(enemy);
		return *enemy;
	}

	static float FloorUnder(const D3DXVECTOR3& point) {
		const RayCastResult floor = CastRayAtMap(point, D3DXVECTOR3(0.0f, -1.0f, 0.0f));
		EXPECT_TRUE(floor.hit);
		return point.y - floor.distance;
	}
};

TEST_F(EnemyContactTest, TheRobotPushesOffOnlyTheFirstOverlappingEnemyByOnePercentOfTheOverlap) {
	const D3DXVECTOR3 robot = SettleRobot();
	// Out of reach, so passed over.
	StillEnemy& distant = AddEnemy(robot + D3DXVECTOR3(40.0f, 0.0f, 0.0f));
	StillEnemy& first = AddEnemy(robot + D3DXVECTOR3(4.0f, 0.0f, 3.0f));
	first.bodyRadius = 8;
	StillEnemy& second = AddEnemy(robot + D3DXVECTOR3(-2.0f, 0.0f, 0.0f));
	const D3DXVECTOR3 distantStart = distant.Position();
	const D3DXVECTOR3 secondStart = second.Position();

	StepPlayer();
	const float dx = robot.x - (robot.x + 4.0f);
	const float dz = robot.z - (robot.z + 3.0f);
	const float reach = static_cast<float>(first.bodyRadius) + CONTACT_MARGIN;
	const float e = (reach - std::sqrt(dx * dx + dz * dz)) / 100.0f;
	EXPECT_NEAR(Player().Position().x, robot.x + e * dx, 1e-5f);
	EXPECT_NEAR(Player().Position().z, robot.z + e * dz, 1e-5f);
	EXPECT_NEAR(first.Position().x, robot.x + 4.0f - e * dx, 1e-5f);
	EXPECT_NEAR(first.Position().z, robot.z + 3.0f - e * dz, 1e-5f);
	// Heights are left alone.
	EXPECT_EQ(first.Position().y, robot.y);
	EXPECT_EQ(second.Position(), secondStart);
	EXPECT_EQ(distant.Position(), distantStart);
}

TEST_F(EnemyContactTest, AnEnemyIsSeparatedOnlyFromEarlierEnemiesEachMovingOverlapTimesDistanceOver100) {
	const D3DXVECTOR3 spot(0.0f, 0.0f, -40.0f);
	StillEnemy& first = AddEnemy(spot);
	StillEnemy& second = AddEnemy(spot + D3DXVECTOR3(2.0f, 0.0f, 0.0f));

	// The first in the list has nobody before it.
	first.SeparateFromOthers();
	EXPECT_EQ(first.Position(), spot);
	EXPECT_EQ(second.Position(), spot + D3DXVECTOR3(2.0f, 0.0f, 0.0f));

	float distance = 2.0f;
	for (int call = 0; call < 5; ++call) {
		const D3DXVECTOR3 firstBefore = first.Position();
		const D3DXVECTOR3 secondBefore = second.Position();
		const float reach = static_cast<float>(first.bodyRadius + second.bodyRadius);
		const float push = (reach - distance) * distance / 100.0f;
		second.SeparateFromOthers();
		// Along the line between them, +x from the first to the second.
		EXPECT_NEAR(second.Position().x - secondBefore.x, push, 1e-5f) << "call " << call;
		EXPECT_NEAR(firstBefore.x - first.Position().x, push, 1e-5f) << "call " << call;
		EXPECT_EQ(second.Position().z, secondBefore.z);
		EXPECT_EQ(first.Position().z, firstBefore.z);
		const float now = HorizontalDistance(first.Position(), second.Position());
		EXPECT_NEAR(now, distance + 2.0f * push, 1e-4f);
		distance = now;
	}
}

TEST_F(EnemyContactTest, EnemiesOnTheSameSpotStayTogetherAndOneCallResolvesOnePair) {
	const D3DXVECTOR3 spot(0.0f, 0.0f, -40.0f);
	StillEnemy& first = AddEnemy(spot);
	// Heights do not count: only x and z are compared.
	StillEnemy& stacked = AddEnemy(spot + D3DXVECTOR3(0.0f, 6.0f, 0.0f));
	stacked.SeparateFromOthers();
	EXPECT_EQ(first.Position(), spot);
	EXPECT_EQ(stacked.Position(), spot + D3DXVECTOR3(0.0f, 6.0f, 0.0f));

	// The third overlaps both earlier ones; only the first in list order
	// takes part.
	StillEnemy& third = AddEnemy(spot + D3DXVECTOR3(0.0f, 0.0f, 3.0f));
	third.SeparateFromOthers();
	EXPECT_LT(first.Position().z, spot.z);
	EXPECT_EQ(stacked.Position(), spot + D3DXVECTOR3(0.0f, 6.0f, 0.0f));
	EXPECT_GT(third.Position().z, spot.z + 3.0f);
}

TEST_F(EnemyContactTest, TheBaseGravitySettlesAnEnemy18AboveTheFloor) {
	const D3DXVECTOR3 start(0.0f, 30.0f, -40.0f);
	const float floor = FloorUnder(start);
	BaseEnemy& enemy = AddBaseEnemy(start);
	for (int frame = 0; frame < 300; ++frame) {
		enemy.ApplyGravity();
	}
	// Settled: the frame's fall of 0.05 is taken back by the ground ray.
	EXPECT_NEAR(enemy.Position().y, floor + 18.0f - 0.05f, 1e-3f);
	EXPECT_EQ(enemy.verticalSpeed, 0.0f);
	EXPECT_EQ(enemy.Position().x, start.x);
	EXPECT_EQ(enemy.Position().z, start.z);

	// A kind's own threshold works the same way.
	for (int frame = 0; frame < 300; ++frame) {
		enemy.ApplyGravityAbove(5.0f);
	}
	EXPECT_NEAR(enemy.Position().y, floor + 5.0f - 0.05f, 1e-3f);
}

class EnemyWallTest : public EnemyContactTest {
protected:
	struct WallSight {
		bool seen = false;
		D3DXVECTOR3 normal;
		float planeDistance = 0.0f;
	};

	// The wall along the enemy's facing (its -z axis), from its position.
	static WallSight AheadOf(const EnemyBase& enemy) {
		const D3DXVECTOR3 origin = enemy.Position();
		const D3DXVECTOR3 facing(-enemy.world._31, -enemy.world._32, -enemy.world._33);
		const RayCastResult wall = CastRayAtMap(origin, facing);
		WallSight sight;
		const D3DXVECTOR3* normal = wall.hit ? MapNormalOf(wall.face) : nullptr;
		if (normal == nullptr) {
			return sight;
		}
		sight.seen = true;
		sight.normal = *normal;
		const D3DXVECTOR3 toOrigin = facing * -wall.distance;
		sight.planeDistance = D3DXVec3Dot(normal, &toOrigin);
		return sight;
	}

	// An enemy standing on the floor behind the robot's start, walking ahead
	// at one unit a frame after turning by degrees.
	BaseEnemy& WalkingEnemy(float degrees) {
		const D3DXVECTOR3 start(0.0f, 30.0f, -40.0f);
		BaseEnemy& enemy = AddBaseEnemy(start);
		for (int frame = 0; frame < 300; ++frame) {
			enemy.ApplyGravity();
		}
		D3DXMATRIX turn;
		D3DXMatrixRotationY(&turn, D3DXToRadian(degrees));
		enemy.world = turn * enemy.world;
		enemy.velocity = D3DXVECTOR3(0.0f, 0.0f, -1.0f);
		return enemy;
	}
};

TEST_F(EnemyWallTest, AnEnemyWalkingStraightAtAWallStopsNineToTenUnitsFromItsPlane) {
	BaseEnemy& enemy = WalkingEnemy(0.0f);
	const WallSight start = AheadOf(enemy);
	ASSERT_TRUE(start.seen);
	ASSERT_GT(start.normal.z, 0.99f);
	const int framesToWall = static_cast<int>(start.planeDistance) + 10;
	for (int frame = 0; frame < framesToWall; ++frame) {
		enemy.MoveWithWalls();
	}
	const D3DXVECTOR3 standing = enemy.Position();
	for (int frame = 0; frame < 20; ++frame) {
		enemy.MoveWithWalls();
		const WallSight wall = AheadOf(enemy);
		ASSERT_TRUE(wall.seen);
		EXPECT_GE(wall.planeDistance, 9.0f - 1e-3f) << "frame " << frame;
		EXPECT_LE(wall.planeDistance, 10.0f + 1e-3f) << "frame " << frame;
		EXPECT_NEAR(HorizontalDistance(enemy.Position(), standing), 0.0f, 1e-3f);
	}
}

TEST_F(EnemyWallTest, AnEnemyWalkingIntoAWallAtAnAngleSlidesAlongIt) {
	BaseEnemy& enemy = WalkingEnemy(45.0f);
	const WallSight start = AheadOf(enemy);
	ASSERT_TRUE(start.seen);
	const D3DXVECTOR3 facing(-enemy.world._31, -enemy.world._32, -enemy.world._33);
	const float towards = -D3DXVec3Dot(&start.normal, &facing);
	ASSERT_NEAR(towards, 0.7071f, 1e-3f);
	D3DXVECTOR3 along = facing + start.normal * towards;
	D3DXVec3Normalize(&along, &along);

	const int framesToWall = static_cast<int>((start.planeDistance - 10.0f) / towards) + 2;
	for (int frame = 0; frame < framesToWall; ++frame) {
		enemy.MoveWithWalls();
	}
	float lastAlong = along.x * enemy.world._41 + along.z * enemy.world._43;
	for (int frame = 0; frame < 30; ++frame) {
		enemy.MoveWithWalls();
		const WallSight wall = AheadOf(enemy);
		ASSERT_TRUE(wall.seen);
		ASSERT_EQ(wall.normal, start.normal) << "another wall ahead at frame " << frame;
		EXPECT_GE(wall.planeDistance, 9.0f - 1e-3f) << "frame " << frame;
		EXPECT_LE(wall.planeDistance, 10.0f + 1e-3f) << "frame " << frame;
		const float alongNow = along.x * enemy.world._41 + along.z * enemy.world._43;
		EXPECT_NEAR(alongNow - lastAlong, D3DXVec3Dot(&along, &facing), 1e-3f) << "frame " << frame;
		lastAlong = alongNow;
	}
}

}  // namespace
