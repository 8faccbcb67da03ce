// The plasma launcher: firing and recharge with the right button held, the
// falling flight, and the blast against enemies or the boss's target.

#include "player/Ammo.h"
#include "tests/weapons/WeaponsTestSupport.h"

#include <vector>

using namespace player_test;
using namespace weapons_test;

namespace {

class PlasmaFireTest : public WeaponTest {
protected:
	void SetUp() override {
		WeaponTest::SetUp();
		if (IsSkipped()) {
			return;
		}
		StepPlayer(100);
		ASSERT_EQ(Player().verticalSpeed, 0.0f);
		Press(VK_RBUTTON);
	}

	PlasmaLauncher& Plasma() { return Player().plasma; }

	// One frame; true when a shot left the launcher in it.
	bool FrameFires() {
		const int before = Plasma().fireSound.NextVoice();
		StepPlayer();
		return Plasma().fireSound.NextVoice() != before;
	}
};

TEST_F(PlasmaFireTest, HeldDownItFiresEvery400FramesWhileEachShotExplodesInTime) {
	std::vector<int> fired;
	std::vector<int> exploded;
	for (int frame = 0; frame < 1201; ++frame) {
		const bool wasActive = Plasma().active;
		if (FrameFires()) {
			fired.push_back(frame);
		}
		if (wasActive && !Plasma().active) {
			exploded.push_back(frame);
		}
	}
	EXPECT_EQ(fired, (std::vector<int>{0, 400, 800, 1200}));
	// Each shot fell onto the corridor floor well before the next was due.
	ASSERT_EQ(exploded.size(), 3u);
	for (size_t i = 0; i < exploded.size(); ++i) {
		EXPECT_GT(exploded[i], fired[i]);
		EXPECT_LT(exploded[i], fired[i + 1]);
	}
	EXPECT_EQ(Plasma().blastSound.NextVoice(), 3);
}

TEST_F(PlasmaFireTest, TheChargeCountsFromZeroOnTheFiringFrameUpTo400) {
	ASSERT_EQ(Plasma().charge, 400);
	ASSERT_TRUE(FrameFires());
	// Reset by the shot, then one frame of recharge.
	EXPECT_EQ(Plasma().charge, 1);
	EXPECT_TRUE(Plasma().active);
	EXPECT_FALSE(Plasma().exploded);
	Lift(VK_RBUTTON);
	StepPlayer(398);
	EXPECT_EQ(Plasma().charge, 399);
	StepPlayer(5);
	EXPECT_EQ(Plasma().charge, 400);
}

TEST_F(PlasmaFireTest, AShotStillFlyingAt400DelaysTheNextUntilItExplodes) {
	ASSERT_TRUE(FrameFires());
	// Keep the shot where it was one move out of the launcher: the map is
	// far ahead and beside it there, so it flies on.
	const D3DXMATRIX aloft = Plasma().world;
	for (int frame = 1; frame < 450; ++frame) {
		Plasma().world = aloft;
		ASSERT_FALSE(FrameFires()) << frame;
		ASSERT_TRUE(Plasma().active) << frame;
	}
	EXPECT_EQ(Plasma().charge, 400);
	// Left to fall, it meets the floor; the held button fires on the frame
	// after the blast, not on the blast's own frame.
	int frame = 450;
	while (Plasma().active && frame < 1000) {
		ASSERT_FALSE(FrameFires()) << frame;
		++frame;
	}
	ASSERT_FALSE(Plasma().active);
	EXPECT_TRUE(Plasma().exploded);
	EXPECT_TRUE(FrameFires());
	EXPECT_EQ(Plasma().charge, 1);
}

TEST_F(PlasmaFireTest, TheShotLeavesFromThePlasmaLaunchMatrix) {
	const D3DXMATRIX launch = Player().pose.plasmaLaunch;
	ASSERT_TRUE(FrameFires());
	// One frame's move, 2 along the launch matrix's -z, no sinking yet.
	EXPECT_VEC3_NEAR(Plasma().Position(), TranslationOf(Player().pose.plasmaLaunch) - 2.0f * Row(launch, 2), 1e-3f);
	EXPECT_VEC3_NEAR(Plasma().shotFlash.Position(), TranslationOf(Player().pose.plasmaLaunch), 1e-3f);
}

// A launcher of the test's own, outside the robot, over the battle's enemies.
class PlasmaLauncherTest : public WeaponTest {
protected:
	void TearDown() override {
		launcher.Release();
		BattleTest::TearDown();
	}

	// Fires from a point high above the stage, where only the test moves it.
	void FireAt(const D3DXVECTOR3& point, int32_t owner = PLASMA_OWNER_PLAYER) {
		launcher.Initialise(owner);
		launcher.Fire(TranslationTo(point));
		ASSERT_TRUE(launcher.active);
	}

	PlasmaLauncher launcher;
	const D3DXVECTOR3 centre = HIGH_ABOVE_STAGE;
};

TEST_F(PlasmaLauncherTest, TheShotFliesTwoAFrameAlongItsMinusZAndSinksFasterEachFrame) {
	D3DXMATRIX turn;
	D3DXMatrixRotationYawPitchRoll(&turn, 0.6f, -0.2f, 0.3f);
	const D3DXMATRIX launch = turn * TranslationTo(centre);
	launcher.Initialise(PLASMA_OWNER_PLAYER);
	launcher.Fire(launch);
	EXPECT_EQ(launcher.charge, 0);
	EXPECT_EQ(launcher.fireSound.NextVoice(), 1);
	float sink = 0.0f;
	for (int frame = 1; frame <= 20; ++frame) {
		SCOPED_TRACE(frame);
		const D3DXVECTOR3 before = launcher.Position();
		launcher.Update();
		EXPECT_VEC3_NEAR(launcher.Position() - before, -2.0f * Row(launch, 2) - sink * Row(launch, 1), 1e-4f);
		EXPECT_EQ(launcher.charge, frame);
		sink += 0.003f;
	}
	EXPECT_NEAR(launcher.dropSpeed, 0.06f, 1e-5f);
	// Flying and recharging, it takes no second shot.
	launcher.Fire(launch);
	EXPECT_EQ(launcher.fireSound.NextVoice(), 1);
}

TEST_F(PlasmaLauncherTest, TheBossesShotFliesAlongItsPlusZAndRises) {
	launcher.Initialise(PLASMA_OWNER_BOSS);
	launcher.Fire(TranslationTo(centre));
	launcher.Update();
	launcher.Update();
	launcher.Update();
	EXPECT_VEC3_NEAR(launcher.Position(), centre + D3DXVECTOR3(0.0f, 0.003f + 0.006f, 6.0f), 1e-4f);
}

TEST_F(PlasmaLauncherTest, OutOfTheMapsReachTheShotExplodesOnItsMapTest) {
	FireAt(centre);
	EXPECT_TRUE(launcher.TestMap());
	EXPECT_FALSE(launcher.active);
	EXPECT_TRUE(launcher.exploded);
	EXPECT_EQ(launcher.blastSound.NextVoice(), 1);
	EXPECT_VEC3_NEAR(launcher.mist.Position(), centre, 0.0f);
}

TEST_F(PlasmaLauncherTest, ABlastBetweenTwoEnemiesWithinItsReachTakesFiveFromEach) {
	StillEnemy& left = AddEnemy(centre + D3DXVECTOR3(-34.9f, 0.0f, 0.0f));
	StillEnemy& right = AddEnemy(centre + D3DXVECTOR3(0.0f, 0.0f, 10.0f));
	StillEnemy& beyond = AddEnemy(centre + D3DXVECTOR3(0.0f, 35.0f, 0.0f));
	FireAt(centre);
	launcher.Explode();
	EXPECT_EQ(left.hitPoints, 20);
	EXPECT_EQ(right.hitPoints, 20);
	EXPECT_EQ(beyond.hitPoints, 25);
	EXPECT_TRUE(left.hitFlag);
	EXPECT_TRUE(right.hitFlag);
	EXPECT_FALSE(beyond.hitFlag);
	// Each is told the blast reached it where it stands.
	ASSERT_EQ(left.hits.size(), 1u);
	EXPECT_VEC3_NEAR(left.hits[0], left.Position(), 0.0f);
	ASSERT_EQ(right.hits.size(), 1u);
	EXPECT_VEC3_NEAR(right.hits[0], right.Position(), 0.0f);
	EXPECT_TRUE(beyond.hits.empty());
	EXPECT_FALSE(launcher.active);
}

TEST_F(PlasmaLauncherTest, AnEnemyAtTheCentreLosesTwentyFiveAndEachExplodeCallHitsAgain) {
	StillEnemy& enemy = AddEnemy(centre + D3DXVECTOR3(0.0f, 9.9f, 0.0f));
	FireAt(centre);
	launcher.Explode();
	EXPECT_EQ(enemy.hitPoints, 0);
	EXPECT_EQ(enemy.hits.size(), 2u);
	const particles::Handle mist = launcher.mist.CurrentHandle();
	EXPECT_NE(mist, particles::INVALID_HANDLE);
	launcher.Explode();
	EXPECT_EQ(enemy.hitPoints, -25);
	EXPECT_EQ(enemy.hits.size(), 4u);
	// The cloud and the sound start once.
	EXPECT_TRUE(launcher.exploded);
	EXPECT_EQ(launcher.blastSound.NextVoice(), 1);
	EXPECT_EQ(launcher.mist.CurrentHandle(), mist);
	EXPECT_VEC3_NEAR(launcher.mist.Position(), centre, 0.0f);
}

TEST_F(PlasmaLauncherTest, TouchingOneEnemyBurstsTheShotAndEachEnemyInTouchBurstsItAgain) {
	// Untouched at 10 (radius 5 + 5, exclusive): the shot flies on.
	StillEnemy& first = AddEnemy(centre + D3DXVECTOR3(10.0f, 0.0f, 0.0f));
	FireAt(centre);
	launcher.CheckEnemies();
	EXPECT_TRUE(launcher.active);
	EXPECT_EQ(first.hitPoints, 25);

	StillEnemy& second = AddEnemy(centre + D3DXVECTOR3(-9.0f, 0.0f, 0.0f));
	StillEnemy& third = AddEnemy(centre + D3DXVECTOR3(0.0f, 0.0f, 9.0f));
	launcher.CheckEnemies();
	EXPECT_FALSE(launcher.active);
	EXPECT_EQ(launcher.blastSound.NextVoice(), 1);
	// Two enemies in touch: two blasts, each taking 5 from the one at 10
	// and 25 from the two in touch.
	EXPECT_EQ(first.hitPoints, 25 - 2 * 5);
	EXPECT_EQ(second.hitPoints, 25 - 2 * 25);
	EXPECT_EQ(third.hitPoints, 25 - 2 * 25);
	EXPECT_TRUE(first.hitFlag);
}

TEST_F(PlasmaLauncherTest, AShotNoLongerFlyingChecksNoEnemies) {
	StillEnemy& enemy = AddEnemy(centre);
	FireAt(centre);
	launcher.active = false;
	launcher.CheckEnemies();
	EXPECT_EQ(enemy.hitPoints, 25);
	EXPECT_FALSE(enemy.hitFlag);
}

TEST_F(PlasmaLauncherTest, TheBossesBlastReachesItsTargetWithin35AndSparesEnemies) {
	StillEnemy& enemy = AddEnemy(centre);
	FireAt(centre, PLASMA_OWNER_BOSS);
	launcher.SetTarget(centre + D3DXVECTOR3(0.0f, 0.0f, 35.0f), 5);
	launcher.Explode();
	EXPECT_FALSE(launcher.hitTarget);
	EXPECT_TRUE(launcher.active);
	EXPECT_TRUE(launcher.exploded);

	launcher.SetTarget(centre + D3DXVECTOR3(0.0f, 0.0f, 34.5f), 5);
	launcher.Explode();
	EXPECT_TRUE(launcher.hitTarget);
	EXPECT_FALSE(launcher.active);
	EXPECT_EQ(enemy.hitPoints, 25);
	EXPECT_FALSE(enemy.hitFlag);
	EXPECT_TRUE(enemy.hits.empty());
	EXPECT_EQ(launcher.blastSound.NextVoice(), 1);
}

TEST_F(PlasmaLauncherTest, TheBossesShotIsNotBurstByTouchingEnemies) {
	StillEnemy& enemy = AddEnemy(centre);
	FireAt(centre, PLASMA_OWNER_BOSS);
	launcher.SetTarget(centre + D3DXVECTOR3(0.0f, 500.0f, 0.0f), 5);
	launcher.CheckEnemies();
	EXPECT_TRUE(launcher.active);
	EXPECT_FALSE(launcher.exploded);
	EXPECT_EQ(enemy.hitPoints, 25);
	EXPECT_FALSE(enemy.hitFlag);
}

}  // namespace
