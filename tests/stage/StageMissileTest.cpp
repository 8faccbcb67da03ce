// The boss's missiles against the stage: wherever the robot can stand while
// the boss launches (within 305 of its op), the drop from -60 finds floor
// and bursts; a drop point near the ground bursts at once; and a push while
// the missile climbs does not move where it falls.

#include "enemy/Boss_Tank.h"
#include "enemy/Missile.h"
#include "tests/stage/StageTestSupport.h"

#include <algorithm>
#include <cmath>
#include <deque>
#include <string>
#include <vector>

using namespace stage_test;

namespace {

constexpr float DROP_HEIGHT = -60.0f;
constexpr float DROP_SPEED = 0.3f;
constexpr float BURST_DISTANCE = 10.0f;
// Climbing and hanging take this many frames before the drop.
constexpr int CLIMB_FRAMES = 200;
constexpr int HANG_FRAMES = 10;
// How high a step the robot's ground ray (10 below its origin, reaching 5
// further) climbs.
constexpr float STEP_HEIGHT = 5.0f;
constexpr float GROUND_RAY_DROP = 10.0f;

// The dropping frame on which a missile falling from a drop point `above`
// the ground first measures the ground within reach.
int BurstFrame(float above) {
	return static_cast<int>(std::ceil((above - BURST_DISTANCE) / DROP_SPEED - 1e-3f)) + 1;
}

// A sample of the floor the robot can walk to.
struct Spot {
	float x, z, floor;
};

class StageMissileTest : public StageTest {
protected:
	// Every spot of a 2.5-unit grid (off the 5-unit grid lines of the
	// stage's walls) that the robot reaches on foot from the route's boss
	// point without leaving the box around the op: a step up of at most 5 as
	// the robot's ground ray sees it, any step down, never into rock (where
	// that ray finds nothing).
	std::vector<Spot> ReachableAroundOp(float radius) {
		const D3DXVECTOR3 op = BOSS_POSITION;
		constexpr float STEP = 2.5f;
		const int cells = static_cast<int>(std::ceil(radius / STEP)) + 1;
		const int side = 2 * cells + 1;
		const auto coordinate = [&](int k, float centre) { return centre + (k - cells) * STEP + 1.25f; };
		std::vector<float> floorAt(static_cast<size_t>(side) * side, NAN);
		std::vector<uint8_t> seen(static_cast<size_t>(side) * side, 0);
		const RoutePoint& start = Route("boss");
		const int si = static_cast<int>(std::lround((start.x - op.x - 1.25f) / STEP)) + cells;
		const int sk = static_cast<int>(std::lround((start.z - op.z - 1.25f) / STEP)) + cells;
		const Surface startFloor = SurfaceBelow(
		    D3DXVECTOR3(coordinate(si, op.x), start.ground + STEP_HEIGHT, coordinate(sk, op.z)));
		EXPECT_TRUE(startFloor.hit);
		std::deque<std::pair<int, int>> open{{si, sk}};
		floorAt[static_cast<size_t>(sk) * side + si] = startFloor.height;
		seen[static_cast<size_t>(sk) * side + si] = 1;
		std::vector<Spot> spots;
		while (!open.empty()) {
			const auto [i, k] = open.front();
			open.pop_front();
			const float floor = floorAt[static_cast<size_t>(k) * side + i];
			spots.push_back({coordinate(i, op.x), coordinate(k, op.z), floor});
			const int steps[4][2] = {{1, 0}, {-1, 0}, {0, 1}, {0, -1}};
			for (const auto& step : steps) {
				const int ni = i + step[0], nk = k + step[1];
				if (ni < 0 || nk < 0 || ni >= side || nk >= side || seen[static_cast<size_t>(nk) * side + ni]) {
					continue;
				}
				// The robot's ground ray, from 10 below its origin standing here.
				const D3DXVECTOR3 ray(coordinate(ni, op.x), floor + ROBOT_STANDING_HEIGHT - GROUND_RAY_DROP,
				                      coordinate(nk, op.z));
				const Surface next = SurfaceBelow(ray);
				if (!next.hit) {
					continue;
				}
				seen[static_cast<size_t>(nk) * side + ni] = 1;
				floorAt[static_cast<size_t>(nk) * side + ni] = next.height;
				open.push_back({ni, nk});
			}
		}
		return spots;
	}

	// A missile as the boss launches it from its body towards a drop point.
	Missile& Launch(const D3DXVECTOR3& target) {
		Missile* missile = new Missile();
		missile->target = target;
		const D3DXVECTOR3 body = BOSS_POSITION + D3DXVECTOR3(0.0f, 15.0f, 0.0f);
		missile->world._41 = body.x;
		missile->world._42 = body.y;
		missile->world._43 = body.z;
		return Add(missile);
	}

	// Flies a missile through its climb and hang; the next update drops it.
	void Climb(Missile& missile) {
		for (int frame = 0; frame < CLIMB_FRAMES + HANG_FRAMES - 1; ++frame) {
			missile.Update(Player());
		}
		ASSERT_EQ(missile.phase, MISSILE_HANGING);
	}

	// The dropping frame on which it burst, or -1 within `limit` frames.
	int DropUntilBurst(Missile& missile, int limit) {
		for (int frame = 1; frame <= limit; ++frame) {
			missile.Update(Player());
			if (missile.exploded) {
				return frame;
			}
		}
		return -1;
	}
};

TEST_F(StageMissileTest, WhereverTheRobotStandsInTheBossesRangeADropFromMinus60FindsTheFloor) {
	const std::vector<Spot> reachable = ReachableAroundOp(BOSS_RANGE + 20.0f);
	int inRange = 0;
	float lowest = SKY, highest = -SKY, farthest = 0.0f;
	for (const Spot& spot : reachable) {
		const D3DXVECTOR3 robot(spot.x, spot.floor + ROBOT_STANDING_HEIGHT, spot.z);
		const D3DXVECTOR3 apart = robot - BOSS_POSITION;
		const float distance = D3DXVec3Length(&apart);
		if (distance >= BOSS_RANGE) {
			continue;
		}
		++inRange;
		farthest = std::max(farthest, distance);
		const Surface below = SurfaceBelow(D3DXVECTOR3(spot.x, DROP_HEIGHT, spot.z));
		ASSERT_TRUE(below.hit) << "a missile dropped over " << spot.x << ", " << spot.z << " falls forever";
		// It lands on the floor the robot stands on, nothing in between.
		EXPECT_NEAR(below.height, spot.floor, 1e-3f) << spot.x << ", " << spot.z;
		EXPECT_GT(DROP_HEIGHT - below.height, BURST_DISTANCE) << spot.x << ", " << spot.z;
		lowest = std::min(lowest, below.height);
		highest = std::max(highest, below.height);
	}
	// The arena around the op, most of a 305 disc, and the range's edge in it.
	EXPECT_GT(inRange, static_cast<int>(0.8f * 3.14159f * BOSS_RANGE * BOSS_RANGE / (2.5f * 2.5f)));
	EXPECT_GT(farthest, BOSS_RANGE - 3.0f);
	EXPECT_NEAR(lowest, Route("boss").ground, 1e-3f);
	EXPECT_NEAR(highest, Route("boss").ground, 0.1f);  // the floor lights lie a hair above it
	RecordProperty("spots_in_range", inRange);
	RecordProperty("farthest_spot_in_range", std::to_string(farthest));
}

TEST_F(StageMissileTest, RealMissilesDroppedAcrossTheArenaBurstOnItsFloor) {
	const RoutePoint& arena = Route("boss");
	const D3DXVECTOR3 op = BOSS_POSITION;
	// The op's foot, the range's edge towards the gate and to each side, and
	// beside a pillar.
	const D3DXVECTOR3 drops[] = {
	    {op.x + 20.0f, DROP_HEIGHT, op.z + 30.0f},   {op.x - 300.0f, DROP_HEIGHT, op.z},
	    {op.x, DROP_HEIGHT, op.z + 300.0f},          {op.x + 160.0f, DROP_HEIGHT, op.z - 160.0f},
	    {1835.0f, DROP_HEIGHT, 1965.0f},
	};
	for (const D3DXVECTOR3& target : drops) {
		const D3DXVECTOR3 apart(target.x - op.x, arena.ground + ROBOT_STANDING_HEIGHT - op.y, target.z - op.z);
		ASSERT_LT(D3DXVec3Length(&apart), BOSS_RANGE) << target.x << ", " << target.z;
		const Surface floor = SurfaceBelow(target);
		ASSERT_TRUE(floor.hit);
		ASSERT_NEAR(floor.height, arena.ground, 0.1f);

		Missile& missile = Launch(target);
		Climb(missile);
		const int expected = BurstFrame(target.y - floor.height);
		const int burst = DropUntilBurst(missile, expected + 2);
		EXPECT_NEAR(burst, expected, 1) << target.x << ", " << target.z;
		EXPECT_TRUE(missile.exploded);
		EXPECT_FALSE(missile.alive);
		EXPECT_EQ(missile.Position().x, target.x);
		EXPECT_EQ(missile.Position().z, target.z);
		EXPECT_LE(missile.Position().y - floor.height, BURST_DISTANCE);
		EXPECT_GT(missile.Position().y - floor.height, BURST_DISTANCE - 2 * DROP_SPEED);
	}
}

TEST_F(StageMissileTest, GroundWithin10BelowTheDropPointBurstsOnTheFirstDroppingFrame) {
	const D3DXVECTOR3 spot(1900.0f, 0.0f, 2150.0f);
	const Surface floor = SurfaceFromSky(spot.x, spot.z);
	ASSERT_TRUE(floor.hit);
	// Within reach at once; half a unit out of it, two falls of 0.3 first.
	const struct {
		float above;
		int burst;
	} cases[] = {{9.5f, 1}, {9.9f, 1}, {10.5f, 3}};
	for (const auto& c : cases) {
		Missile& missile = Launch(D3DXVECTOR3(spot.x, floor.height + c.above, spot.z));
		Climb(missile);
		EXPECT_EQ(DropUntilBurst(missile, 10), c.burst) << c.above;
		EXPECT_NEAR(missile.Position().y, floor.height + c.above - c.burst * DROP_SPEED, 1e-3f);
		// Stopped where it burst, not lifted onto the ground.
		const float stopped = missile.Position().y;
		missile.Update(Player());
		EXPECT_EQ(missile.Position().y, stopped);
	}
}

TEST_F(StageMissileTest, ThePushOfTheRobotDuringTheClimbIsUndoneByTheJumpToTheDropPoint) {
	const RoutePoint& arena = Route("boss");
	const D3DXVECTOR3 target(1880.0f, DROP_HEIGHT, 2100.0f);
	// The robot stands in the missile's way as it leaves the boss: the
	// robot's contact push moves both apart on x and z.
	const D3DXVECTOR3 body = BOSS_POSITION + D3DXVECTOR3(0.0f, 15.0f, 0.0f);
	PlaceRobot(D3DXVECTOR3(body.x - 6.0f, arena.ground + ROBOT_STANDING_HEIGHT, body.z + 3.0f));
	Missile& missile = Launch(target);
	const D3DXVECTOR3 launch = missile.Position();

	float pushed = 0.0f;
	while (missile.phase == MISSILE_RISING) {
		ASSERT_EQ(UpdateBattle(), SCENE_GAME);
		pushed = std::max(pushed, std::hypot(missile.Position().x - launch.x, missile.Position().z - launch.z));
	}
	EXPECT_GT(pushed, 0.5f) << "the robot never pushed the missile";
	while (missile.phase == MISSILE_HANGING) {
		ASSERT_EQ(UpdateBattle(), SCENE_GAME);
	}
	// Jumped to the drop point and fell once on the same frame.
	EXPECT_EQ(missile.Position().x, target.x);
	EXPECT_EQ(missile.Position().z, target.z);
	EXPECT_NEAR(missile.Position().y, target.y - DROP_SPEED, 1e-4f);
}

}  // namespace
