// Cover in the walkers' yard: the first pair cannot be seen from the
// corridor's mouth, and walking the route into the yard they come into
// sight only well inside the walkers' own sight range; the cover stands
// above a robot, and the way through keeps clear of it.

#include "enemy/Two_Leg.h"
#include "tests/stage/StageTestSupport.h"

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <string>
#include <vector>

using namespace stage_test;

namespace {

// The first pair's spawn box.
constexpr float FIRST_PAIR_X0 = -190.0f, FIRST_PAIR_X1 = -141.0f;
constexpr float FIRST_PAIR_Z0 = 1401.0f, FIRST_PAIR_Z1 = 1450.0f;
// Lines of sight run between two origins standing on the yard.
constexpr float SIGHT_HEIGHT = 15.0f;
// The robot's gun reaches 255.
constexpr float GUN_REACH = 255.0f;

std::vector<D3DXVECTOR3> FirstPairSpawns(float yard) {
	std::vector<D3DXVECTOR3> spawns;
	for (float z = FIRST_PAIR_Z0; z <= FIRST_PAIR_Z1; z += 7.0f) {
		for (float x = FIRST_PAIR_X0; x <= FIRST_PAIR_X1; x += 7.0f) {
			spawns.emplace_back(x, yard + SIGHT_HEIGHT, z);
		}
	}
	return spawns;
}

class StageYardTest : public StageTest {
protected:
	bool Sees(const D3DXVECTOR3& from, const D3DXVECTOR3& to) const {
		D3DXVECTOR3 line = to - from;
		const float length = D3DXVec3Length(&line);
		line /= length;
		const RayCastResult hit = CastRayAtMap(from, line);
		return !hit.hit || hit.distance >= length;
	}

	// The route's points from..to as standing origins every step units.
	std::vector<D3DXVECTOR3> Walk(const std::vector<std::string>& names, float step) {
		std::vector<D3DXVECTOR3> points;
		for (size_t n = 1; n < names.size(); ++n) {
			const RoutePoint& a = Route(names[n - 1]);
			const RoutePoint& b = Route(names[n]);
			const float length = std::hypot(b.x - a.x, b.z - a.z);
			for (float t = 0.0f; t < length; t += step) {
				const float f = t / length;
				points.emplace_back(a.x + (b.x - a.x) * f, a.ground + (b.ground - a.ground) * f + SIGHT_HEIGHT,
				                    a.z + (b.z - a.z) * f);
			}
		}
		return points;
	}
};

TEST_F(StageYardTest, TheFirstPairIsHiddenFromTheCorridorsMouth) {
	const float yard = Route("yard").ground;
	const std::vector<D3DXVECTOR3> spawns = FirstPairSpawns(yard);
	int lines = 0;
	for (float z = 1150.0f; z <= 1260.0f; z += 10.0f) {
		for (float x = -50.0f; x <= 50.0f; x += 5.0f) {
			const Surface floor = SurfaceFromSky(x, z);
			ASSERT_TRUE(floor.hit);
			const D3DXVECTOR3 eye(x, floor.height + SIGHT_HEIGHT, z);
			for (const D3DXVECTOR3& spawn : spawns) {
				EXPECT_FALSE(Sees(eye, spawn)) << "from " << x << ", " << z << " a walker at " << spawn.x << ", "
				                               << spawn.z << " is in sight";
				++lines;
			}
		}
	}
	EXPECT_EQ(lines, 12 * 21 * 64);
}

TEST_F(StageYardTest, AlongTheRouteTheFirstPairComesIntoSightWellInsideTheWalkersSightRange) {
	const float yard = Route("yard").ground;
	const std::vector<D3DXVECTOR3> path = Walk({"ramp_top", "yard", "walkers_1"}, 2.0f);
	float farthest = 0.0f;
	for (const D3DXVECTOR3& spawn : FirstPairSpawns(yard)) {
		float firstSeen = -1.0f;
		for (const D3DXVECTOR3& eye : path) {
			D3DXVECTOR3 line = spawn - eye;
			if (Sees(eye, spawn)) {
				firstSeen = D3DXVec3Length(&line);
				break;
			}
		}
		ASSERT_GT(firstSeen, 0.0f) << "the walker at " << spawn.x << ", " << spawn.z << " never comes into sight";
		EXPECT_LT(firstSeen, 0.7f * WALKER_SIGHT_RANGE) << "the walker at " << spawn.x << ", " << spawn.z;
		farthest = std::max(farthest, firstSeen);
	}
	EXPECT_LT(farthest, GUN_REACH);
	RecordProperty("first_pair_first_seen_farthest", std::to_string(farthest));
}

TEST_F(StageYardTest, TheCoverStandsAboveARobotAndTheRouteKeepsClearOfIt) {
	const float yard = Route("yard").ground;
	// Through the yard the way runs on open floor, 20 or more from any wall
	// at the robot's chest, so neither the robot nor a walker beside it
	// scrapes the cover.
	const std::vector<D3DXVECTOR3> path = Walk({"yard", "walkers_1", "yard_middle", "walkers_2", "yard_back",
	                                            "yard_east", "plateau_ramp"},
	                                           5.0f);
	ASSERT_GT(path.size(), 100u);
	int covered = 0;
	for (const D3DXVECTOR3& at : path) {
		const Surface floor = SurfaceFromSky(at.x, at.z);
		ASSERT_TRUE(floor.hit);
		EXPECT_NEAR(floor.height, yard, 1e-3f) << at.x << ", " << at.z;
		for (int d = 0; d < 16; ++d) {
			const float a = 6.2831853f * static_cast<float>(d) / 16.0f;
			const RayCastResult wall = CastRayAtMap(D3DXVECTOR3(at.x, yard + 12.0f, at.z),
			                                        D3DXVECTOR3(std::cos(a), 0.0f, std::sin(a)));
			ASSERT_TRUE(wall.hit);
			EXPECT_GE(wall.distance, 20.0f) << at.x << ", " << at.z << " direction " << d;
		}
	}
	// Somewhere beside the way, a rock top stands more than a robot's
	// height (its origin 15 up, its body above) over the yard.
	for (float z = 1260.0f; z < 2320.0f; z += 10.0f) {
		for (float x = -415.0f; x < 80.0f; x += 10.0f) {
			const Surface top = SurfaceFromSky(x, z);
			covered += top.hit && top.height > yard + 60.0f && top.height < yard + 120.0f ? 1 : 0;
		}
	}
	// One sample in thirty of the yard's floor plan; the open yard had none.
	EXPECT_GT(covered, 50 * 106 / 30);
}

}  // namespace
