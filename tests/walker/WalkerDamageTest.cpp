// A walker taking damage: the smoke of a badly hit walker, the explosion
// and flying debris of a dead one, its removal, and its last shots.

#include "tests/walker/WalkerTestSupport.h"

#include <cmath>
#include <cstdlib>
#include <set>

using namespace walker_test;

namespace {

// The wreck is removed once more than this many frames have passed since
// its death; five voices make the explosion's sound.
constexpr int REMOVAL_FRAMES = 120;
constexpr int DEATH_SOUNDS = 5;

// The debris velocities the C generator gives after srand(seed): x before z
// for each of left upper, left lower, right upper, right lower, muzzle, body.
std::vector<D3DXVECTOR3> ExpectedDebris(unsigned seed) {
	std::srand(seed);
	std::vector<D3DXVECTOR3> velocities;
	for (int part = 0; part < 6; ++part) {
		const int x = std::rand() % 6 - 3;
		const int z = std::rand() % 6 - 3;
		velocities.emplace_back(float(x) / 10.0f, 2.0f, float(z) / 10.0f);
	}
	return velocities;
}

// A seed whose first walker shot flies dead straight.
unsigned StraightShotSeed() {
	for (unsigned seed = 1;; ++seed) {
		std::srand(seed);
		const int x = std::rand() % 15;
		const int y = std::rand() % 5;
		if (x == 7 && y == 2) {
			return seed;
		}
	}
}

class WalkerDamageTest : public WalkerTest {};

TEST_F(WalkerDamageTest, At30HitPointsNoSmokeAt29ANewSmokeEveryFrame) {
	Two_Leg& walker = AddLandedWalker(SPAWN_AREA.x, SPAWN_AREA.z);
	ASSERT_TRUE(walker.damageSmoke.IsLoaded());
	const particles::Manager& smoke = *walker.damageSmoke.GetManager();

	walker.hitPoints = 30;
	Step(walker, 10);
	EXPECT_EQ(smoke.GetInstanceCount(), 0);
	EXPECT_EQ(walker.damageSmoke.CurrentHandle(), particles::INVALID_HANDLE);

	walker.hitPoints = 29;
	std::set<particles::Handle> handles;
	for (int frame = 1; frame <= 10; ++frame) {
		Step(walker);
		const particles::Handle handle = walker.damageSmoke.CurrentHandle();
		EXPECT_TRUE(handles.insert(handle).second) << frame;
		EXPECT_TRUE(smoke.Exists(handle)) << frame;
		EXPECT_TRUE(Vec3Near(smoke.GetMatrix(handle).Translation(), walker.Position(), 1e-3f)) << frame;
	}
	EXPECT_EQ(smoke.GetInstanceCount(), 10);
}

TEST_F(WalkerDamageTest, DeathExplodesOnceAndTheDebrisRisesThenFalls) {
	Two_Leg& walker = AddLandedWalker(SPAWN_AREA.x, SPAWN_AREA.z);
	const int deathVoice = walker.deathSound.NextVoice();
	// A plasma blast's centre takes 25 at once from a nearly dead walker.
	walker.hitPoints = 1 - 25;
	const std::vector<D3DXVECTOR3> debris = ExpectedDebris(99);
	std::srand(99);
	Step(walker);
	EXPECT_FALSE(walker.alive);
	EXPECT_TRUE(walker.exists);
	EXPECT_EQ(walker.deathSound.NextVoice(), deathVoice + DEATH_SOUNDS);
	ASSERT_NE(walker.bomb.GetManager(), nullptr);
	EXPECT_TRUE(walker.bomb.GetManager()->Exists(walker.bomb.CurrentHandle()));
	EXPECT_TRUE(Vec3Near(walker.bomb.Position(), walker.Position(), 1e-4f));

	const D3DXMATRIX* const parts[] = {&walker.leftUpper, &walker.leftLower, &walker.rightUpper,
	                                   &walker.rightLower, &walker.muzzle};
	std::vector<D3DXVECTOR3> starts;
	for (const D3DXMATRIX* part : parts) {
		starts.push_back(TranslationOf(*part));
	}
	// The legs and the muzzle fly free of the ground: each frame 0.1 less lift.
	float peak = starts[0].y;
	for (int frame = 1; frame <= 45; ++frame) {
		walker.hitPoints -= 25;  // hits on the wreck start nothing again
		Step(walker);
		const float n = static_cast<float>(frame);
		const float rise = 2.0f * n - 0.05f * n * (n + 1.0f);
		for (size_t part = 0; part < starts.size(); ++part) {
			const D3DXVECTOR3 expected = starts[part] + D3DXVECTOR3(debris[part].x * n, rise, debris[part].z * n);
			EXPECT_TRUE(Vec3Near(TranslationOf(*parts[part]), expected, 1e-2f)) << "part " << part << " frame " << frame;
		}
		peak = std::fmax(peak, TranslationOf(walker.leftUpper).y);
	}
	EXPECT_NEAR(peak, starts[0].y + 19.0f, 1e-2f);
	EXPECT_LT(TranslationOf(walker.leftUpper).y, starts[0].y);
	EXPECT_EQ(walker.deathSound.NextVoice(), deathVoice + DEATH_SOUNDS);
	EXPECT_EQ(walker.deathTimer, 46);
}

TEST_F(WalkerDamageTest, TheBattleRemovesAWalker120FramesAfterItsDeath) {
	PlaceRobot(D3DXVECTOR3(SPAWN_AREA.x, FloorUnder(SPAWN_AREA.x, 1850.0f) + 15.0f, 1850.0f));
	Two_Leg& walker = AddLandedWalker(SPAWN_AREA.x, SPAWN_AREA.z);
	Two_Leg& survivor = AddLandedWalker(SPAWN_AREA.x + 100.0f, SPAWN_AREA.z);
	walker.hitPoints = 0;
	UpdateBattle(REMOVAL_FRAMES);
	ASSERT_EQ(manager->enemies.size(), 2u);
	EXPECT_FALSE(walker.alive);
	EXPECT_TRUE(walker.exists);
	UpdateBattle();
	ASSERT_EQ(manager->enemies.size(), 1u);
	EXPECT_EQ(manager->enemies.front(), &survivor);
}

TEST_F(WalkerDamageTest, AWalkerShotDownStopsFiringButItsShotInFlightStillHits) {
	Two_Leg& walker = AddLandedWalker(SPAWN_AREA.x, SPAWN_AREA.z);
	PlaceRobotAround(walker, 100.0f, 0.0f);
	std::srand(StraightShotSeed());
	Step(walker);
	ASSERT_EQ(walker.projectiles.size(), 1u);
	const int shotVoice = walker.shotSound.NextVoice();

	// The muzzle is 8 ahead and 2.3 up; the robot is hit within 5 + 0.5.
	int hitFrame = 1;
	while (std::hypot(100.0f - 8.0f - 2.0f * hitFrame, 2.3f) >= 5.5f) {
		++hitFrame;
	}
	ASSERT_LT(hitFrame, REMOVAL_FRAMES);

	// Dead from frame 2 on, so its count passes 120 on frame 122.
	walker.hitPoints = 0;
	for (int frame = 2; frame <= REMOVAL_FRAMES + 2; ++frame) {
		Step(walker);
		EXPECT_LE(walker.projectiles.size(), 1u) << frame;
		EXPECT_EQ(walker.shotSound.NextVoice(), shotVoice) << frame;
		const float expectedHitPoints = frame < hitFrame ? PLAYER_START_HIT_POINTS : PLAYER_START_HIT_POINTS - 10.0f;
		EXPECT_EQ(Player().hitPoints, expectedHitPoints) << frame;
	}
	EXPECT_TRUE(walker.projectiles.empty());
	EXPECT_FALSE(walker.exists);
}

TEST_F(WalkerDamageTest, DrawingTheWalkerSpendsItsShotsAtTheWall) {
	Two_Leg& walker = AddLandedWalker(SPAWN_AREA.x, 1300.0f);
	const RayCastResult wall = CastRayAtMap(walker.Position(), FacingOf(walker.world));
	ASSERT_TRUE(wall.hit);
	const float wallZ = walker.Position().z - wall.distance;
	// The robot beyond the wall and within fire range.
	PlaceRobotAround(walker, 100.0f, 0.0f);

	float nearest = walker.Position().z;
	for (int frame = 0; frame < 40; ++frame) {
		walker.Update(Player());
		walker.Draw(Player());
		for (const Ammo* shot : walker.projectiles) {
			if (shot->active) {
				nearest = std::fmin(nearest, shot->Position().z);
			}
		}
	}
	EXPECT_GT(walker.projectiles.size(), 0u);
	// A shot is spent once the wall is less than 5 ahead.
	EXPECT_GE(nearest, wallZ + 5.0f - 1e-3f);
	EXPECT_LT(nearest, wallZ + 5.0f + 2.0f);
	EXPECT_EQ(Player().hitPoints, PLAYER_START_HIT_POINTS);
}

}  // namespace
