// Every spawn point of the battle against the stage: each walker the table
// can produce falls onto open yard floor and rests there, the turret stands
// on the plateau where it is put, and the boss's op sits on the arena floor.

#include "enemy/Boss_Tank.h"
#include "enemy/Turret.h"
#include "enemy/Two_Leg.h"
#include "render/ModelTable.h"
#include "tests/stage/StageTestSupport.h"

#include <algorithm>
#include <cstring>
#include <string>
#include <vector>

using namespace stage_test;

namespace {

constexpr float GRAVITY = 0.05f;
constexpr float TURRET_GROUND_HEIGHT = 5.0f;

// One row of the spawn table: x from x0 to x1 (whole numbers), z from z0
// to z1, dropped from height y.
struct SpawnRow {
	int x0, x1, z0, z1;
	float y;
};
constexpr SpawnRow ROWS[] = {
    {-190, -141, 1401, 1450, 100.0f},
    {-285, -86, 2000, 2000, 100.0f},
    {-235, -136, 2150, 2150, 150.0f},
};

// The frame on which a body dropped from rest at height `from` sees ground
// `threshold` below it, the ray measuring from before each frame's fall.
int LandingFrame(float from, float ground, float threshold) {
	float height = from, speed = 0.0f;
	for (int frame = 1; frame < 10000; ++frame) {
		const float distance = height - ground;
		speed -= GRAVITY;
		height += speed;
		if (distance <= threshold) {
			return frame;
		}
	}
	return -1;
}

class StageSpawnTest : public StageTest {
protected:
	// Drops walker from (x, y, z) as the battle places it and runs its
	// updates until it lands; reports what went wrong, if anything.
	::testing::AssertionResult WalkerLands(Two_Leg& walker, float x, float y, float z, float yard) {
		const Surface floor = SurfaceFromSky(x, z);
		if (!floor.hit) {
			return ::testing::AssertionFailure() << "nothing under " << x << ", " << z;
		}
		// Open floor at the yard's level: not a rock top, a crate or a ledge.
		if (std::fabs(floor.height - yard) > 1e-3f || floor.normalY < 0.999f) {
			return ::testing::AssertionFailure() << "under " << x << ", " << z << " the first surface from the sky is at "
			                                     << floor.height << " (normal y " << floor.normalY << "), not the yard at "
			                                     << yard;
		}
		D3DXMatrixTranslation(&walker.world, x, y, z);
		walker.verticalSpeed = 0.0f;
		const int expected = LandingFrame(y, floor.height, WALKER_GROUND_HEIGHT);
		int frame = 0;
		bool landed = false;
		while (!landed && frame < expected + 1) {
			walker.Update(Player());
			++frame;
			landed = walker.verticalSpeed == 0.0f;
		}
		if (!landed || frame != expected) {
			return ::testing::AssertionFailure() << "the walker dropped at " << x << ", " << y << ", " << z
			                                     << (landed ? " landed on frame " : " had not landed by frame ") << frame
			                                     << ", expected " << expected;
		}
		walker.Update(Player());
		const D3DXVECTOR3 rest = walker.Position();
		const float above = rest.y - floor.height;
		if (std::fabs(above - (WALKER_GROUND_HEIGHT - GRAVITY)) > 1e-3f || rest.x != x || rest.z != z) {
			return ::testing::AssertionFailure() << "the walker dropped at " << x << ", " << z << " rests at (" << rest.x
			                                     << ", " << rest.y << ", " << rest.z << "), " << above
			                                     << " above the floor";
		}
		return ::testing::AssertionSuccess();
	}
};

TEST_F(StageSpawnTest, TheWalkersYardIsOpenLevelFloorUnderTheWholeOfEachSpawnRow) {
	const float yard = Route("yard").ground;
	for (const SpawnRow& row : ROWS) {
		// Each walker falls from above the floor onto it.
		ASSERT_GT(row.y - yard, WALKER_GROUND_HEIGHT);
		for (int z = row.z0; z <= row.z1; ++z) {
			for (int x = row.x0; x <= row.x1; ++x) {
				const Surface floor = SurfaceFromSky(static_cast<float>(x), static_cast<float>(z));
				ASSERT_TRUE(floor.hit) << x << ", " << z;
				EXPECT_NEAR(floor.height, yard, 1e-3f) << x << ", " << z;
				EXPECT_GT(floor.normalY, 0.999f) << x << ", " << z;
			}
		}
	}
}

TEST_F(StageSpawnTest, EveryWalkerTheTableCanPlaceLandsOnTheYardAndRests15AboveIt) {
	const float yard = Route("yard").ground;
	Two_Leg& walker = Add(new Two_Leg());
	int dropped = 0;
	for (const SpawnRow& row : ROWS) {
		// Every whole x at both ends of the row's z, and for the first row
		// every whole z along both ends of its x: the box's edges and corners.
		for (const int z : {row.z0, row.z1}) {
			for (int x = row.x0; x <= row.x1; ++x) {
				EXPECT_TRUE(WalkerLands(walker, static_cast<float>(x), row.y, static_cast<float>(z), yard));
				++dropped;
			}
			if (row.z0 == row.z1) {
				break;
			}
		}
		for (const int x : {row.x0, row.x1}) {
			for (int z = row.z0 + 1; z < row.z1; ++z) {
				EXPECT_TRUE(WalkerLands(walker, static_cast<float>(x), row.y, static_cast<float>(z), yard));
				++dropped;
			}
		}
	}
	EXPECT_EQ(dropped, 2 * 50 + 2 * 48 + 200 + 100);
}

TEST_F(StageSpawnTest, TheTurretSettlesOnThePlateauWithin5OfItsSpawnHeight) {
	const D3DXVECTOR3 spawn(700.0f, 130.0f, 2166.0f);
	const Surface floor = SurfaceFromSky(spawn.x, spawn.z);
	ASSERT_TRUE(floor.hit);
	EXPECT_NEAR(floor.height, Route("turret").ground, 1e-3f);
	EXPECT_GT(floor.normalY, 0.999f);

	Turret& turret = Add(new Turret());
	D3DXMatrixTranslation(&turret.world, spawn.x, spawn.y, spawn.z);
	const int expected = LandingFrame(spawn.y, floor.height, TURRET_GROUND_HEIGHT);
	ASSERT_GT(expected, 0);
	for (int frame = 1; frame <= expected; ++frame) {
		turret.Update(Player());
	}
	EXPECT_EQ(turret.verticalSpeed, 0.0f);
	turret.Update(Player());
	for (int frame = 0; frame < 120; ++frame) {
		turret.Update(Player());
		ASSERT_EQ(turret.verticalSpeed, 0.0f) << frame;
	}
	const D3DXVECTOR3 rest = turret.Position();
	EXPECT_NEAR(rest.y - floor.height, TURRET_GROUND_HEIGHT - GRAVITY, 1e-3f);
	EXPECT_LE(std::fabs(rest.y - spawn.y), 5.0f);
	EXPECT_EQ(rest.x, spawn.x);
	EXPECT_EQ(rest.z, spawn.z);
}

TEST_F(StageSpawnTest, TheBossesOpRestsOnTheArenaFloorWithNoPartSunkOrHanging) {
	Boss_Tank& boss = Add(new Boss_Tank());
	ASSERT_NE(modelTable, nullptr);
	ID3DXMesh* mesh = (*modelTable)[MODEL_BOSS_OP].mesh;
	ASSERT_NE(mesh, nullptr);
	const D3DXVECTOR3 op = TranslationOf(boss.op);
	ASSERT_EQ(op, BOSS_POSITION);

	// The op's vertices as the boss places them.
	std::vector<D3DXVECTOR3> points;
	void* data = nullptr;
	ASSERT_TRUE(SUCCEEDED(mesh->LockVertexBuffer(0, &data)));
	const DWORD stride = mesh->GetNumBytesPerVertex();
	for (DWORD v = 0; v < mesh->GetNumVertices(); ++v) {
		D3DXVECTOR3 local, world;
		std::memcpy(&local, static_cast<const char*>(data) + v * stride, sizeof local);
		D3DXVec3TransformCoord(&world, &local, &boss.op);
		points.push_back(world);
	}
	mesh->UnlockVertexBuffer();
	ASSERT_FALSE(points.empty());
	float lowest = points[0].y;
	for (const D3DXVECTOR3& p : points) {
		lowest = std::min(lowest, p.y);
	}

	const float arena = Route("boss").ground;
	const Surface underOp = SurfaceBelow(op);
	ASSERT_TRUE(underOp.hit);
	EXPECT_NEAR(underOp.height, arena, 1e-3f);
	EXPECT_NEAR(lowest, underOp.height, 0.05f) << "the op's lowest point is " << lowest - underOp.height
	                                            << " above the floor";
	RecordProperty("op_lowest_above_floor", std::to_string(lowest - underOp.height));

	// Under every vertex of the op's underside the same level floor: the
	// tracks neither hang over a step nor stand in a wall.
	int footprint = 0;
	for (const D3DXVECTOR3& p : points) {
		if (p.y > lowest + 0.01f) {
			continue;
		}
		const Surface floor = SurfaceBelow(D3DXVECTOR3(p.x, op.y, p.z));
		ASSERT_TRUE(floor.hit) << p.x << ", " << p.z;
		EXPECT_NEAR(floor.height, underOp.height, 1e-3f) << p.x << ", " << p.z;
		EXPECT_GT(floor.normalY, 0.999f);
		++footprint;
	}
	EXPECT_GE(footprint, 8);  // both tracks' undersides, four corners each at least
}

}  // namespace
