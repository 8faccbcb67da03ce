// The robot's gun: rate of fire, the cap on shots in flight, the flight and
// the map test of a shot, and the damage it does to enemies' hit spheres.

#include "player/Ammo.h"
#include "tests/weapons/WeaponsTestSupport.h"

#include <vector>

using namespace player_test;
using namespace weapons_test;

namespace {

class GunTest : public WeaponTest {
protected:
	void SetUp() override {
		WeaponTest::SetUp();
		if (IsSkipped()) {
			return;
		}
		// Standing on the corridor floor, facing down its long +z stretch.
		StepPlayer(100);
		ASSERT_EQ(Player().verticalSpeed, 0.0f);
	}

	// Frames (counted from 0) on which a shot left the gun.
	std::vector<int> HoldFire(int frames) {
		std::vector<int> fired;
		for (int frame = 0; frame < frames; ++frame) {
			const int before = Player().shootSound.NextVoice();
			StepPlayer();
			if (Player().shootSound.NextVoice() != before) {
				fired.push_back(frame);
			}
		}
		return fired;
	}

	// A spent-on-arrival shot far outside the stage, owned by the robot.
	void AddDummyShots(int count) {
		for (int i = 0; i < count; ++i) {
			Ammo* shot = new Ammo(AMMO_PLAYER);
			shot->SetLaunchMatrix(TranslationTo(D3DXVECTOR3(0.0f, 5000.0f + i, 0.0f)));
			Player().shots.push_back(shot);
		}
	}
};

TEST_F(GunTest, HoldingTheButtonFiresOnThePressFrameThenEveryTenthFrame) {
	Press(VK_LBUTTON);
	EXPECT_EQ(HoldFire(30), (std::vector<int>{0, 10, 20}));
	// The corridor is long: all three shots are still flying, one each.
	EXPECT_EQ(Player().shots.size(), 3u);
	EXPECT_EQ(Player().wallHitSound.NextVoice(), 0);
}

TEST_F(GunTest, EachShotLeavesFromTheMuzzleOfItsFrameHeadingAlongItsMinusX) {
	Press(VK_LBUTTON);
	StepPlayer();
	ASSERT_EQ(Player().shots.size(), 1u);
	const Ammo& shot = *Player().shots[0];
	const D3DXMATRIX& muzzle = Player().pose.muzzle;
	// Already one move out, along the muzzle's own -x axis.
	EXPECT_VEC3_NEAR(shot.Position(), TranslationOf(muzzle) - 5.0f * Row(muzzle, 0), 1e-3f);
	for (int row = 0; row < 3; ++row) {
		EXPECT_VEC3_NEAR(Row(shot.world, row), Row(muzzle, row), 1e-6f);
	}
	EXPECT_EQ(shot.kind, AMMO_PLAYER);
	EXPECT_EQ(shot.age, 1.0f);
	EXPECT_TRUE(shot.active);
}

TEST_F(GunTest, ReleasingTheButtonResetsTheCooldownSoTheNextPressFiresAtOnce) {
	Press(VK_LBUTTON);
	EXPECT_EQ(HoldFire(4), (std::vector<int>{0}));
	EXPECT_EQ(Player().fireCooldown, 4);
	Lift(VK_LBUTTON);
	StepPlayer();
	EXPECT_EQ(Player().fireCooldown, 0);
	Press(VK_LBUTTON);
	EXPECT_EQ(HoldFire(11), (std::vector<int>{0, 10}));
}

TEST_F(GunTest, MoreThanFiftyShotsHoldTheFireUntilThePurgeAfterTheFiringStep) {
	AddDummyShots(51);
	Press(VK_LBUTTON);
	// 51 in flight: no shot, and the cooldown stays at 0. The dummies die at
	// the map test of this frame...
	EXPECT_EQ(HoldFire(1), std::vector<int>{});
	EXPECT_EQ(Player().fireCooldown, 0);
	ASSERT_EQ(Player().shots.size(), 51u);
	// ...but spent shots still count at the next firing step; the purge
	// after it makes room.
	EXPECT_EQ(HoldFire(1), std::vector<int>{});
	EXPECT_EQ(Player().fireCooldown, 0);
	EXPECT_TRUE(Player().shots.empty());
	// With room, the held button fires on the very next frame.
	EXPECT_EQ(HoldFire(1), std::vector<int>{0});
	EXPECT_EQ(Player().fireCooldown, 1);
}

TEST_F(GunTest, FiftyShotsInFlightStillLeaveRoomForOneMore) {
	AddDummyShots(50);
	Press(VK_LBUTTON);
	EXPECT_EQ(HoldFire(1), std::vector<int>{0});
	EXPECT_EQ(Player().shots.size(), 51u);
}

TEST_F(GunTest, AShotIntoOpenSkyDiesAtOnceWithTheBlueSparkAndWallSoundAtIt) {
	PlaceRobot(HIGH_ABOVE_STAGE);
	Press(VK_LBUTTON);
	StepPlayer();
	ASSERT_EQ(Player().shots.size(), 1u);
	const Ammo& shot = *Player().shots[0];
	const D3DXVECTOR3 muzzle = TranslationOf(Player().pose.muzzle);
	ASSERT_FALSE(CastRayAtMap(muzzle, -Row(Player().pose.muzzle, 0)).hit);
	EXPECT_FALSE(shot.active);
	// Spent by the map test before it could move.
	EXPECT_VEC3_NEAR(shot.Position(), muzzle, 1e-6f);
	EXPECT_EQ(shot.age, 0.0f);
	EXPECT_VEC3_NEAR(Player().sparkBlue.Position(), muzzle, 1e-6f);
	EXPECT_EQ(Player().wallHitSound.NextVoice(), 1);
	EXPECT_NE(Player().sparkBlue.CurrentHandle(), particles::INVALID_HANDLE);
	// The purge of the next frame deletes it.
	Lift(VK_LBUTTON);
	StepPlayer();
	EXPECT_TRUE(Player().shots.empty());
	EXPECT_EQ(Player().wallHitSound.NextVoice(), 1);
}

TEST_F(GunTest, AShotNearerThanFiveToAWallDiesThereAndOneFartherAwayFlies) {
	const D3DXVECTOR3 start = Player().Position();
	// The corridor's side wall lies 100 to the right of its middle line.
	const RayCastResult wall = CastRayAtMap(start, D3DXVECTOR3(1.0f, 0.0f, 0.0f));
	ASSERT_TRUE(wall.hit);
	// Its -x axis points along world +x.
	D3DXMATRIX facingWall;
	D3DXMatrixRotationY(&facingWall, D3DX_PI);
	const auto shootFrom = [&](float gap) {
		Ammo* shot = new Ammo(AMMO_PLAYER);
		D3DXMATRIX launch = facingWall * TranslationTo(start + D3DXVECTOR3(wall.distance - gap, 0.0f, 0.0f));
		shot->SetLaunchMatrix(launch);
		Player().shots.push_back(shot);
		StepPlayer();
		return shot->active;
	};
	EXPECT_TRUE(shootFrom(5.5f));
	EXPECT_EQ(Player().wallHitSound.NextVoice(), 0);
	StepPlayer();  // the survivor now stands 0.5 from the wall and dies
	EXPECT_EQ(Player().wallHitSound.NextVoice(), 1);
	EXPECT_FALSE(shootFrom(4.5f));
	EXPECT_EQ(Player().wallHitSound.NextVoice(), 2);
}

TEST_F(GunTest, AShotWithTheMapFarAheadMovesFiveAFrameAlongItsOwnMinusXFor51Frames) {
	// Tilted so that its own axes differ from the world's; pointing down on
	// the corridor floor from high above.
	D3DXMATRIX tilt, turn;
	D3DXMatrixRotationZ(&tilt, 1.45f);
	D3DXMatrixRotationY(&turn, 0.7f);
	const D3DXMATRIX launch = tilt * turn * TranslationTo(HIGH_ABOVE_STAGE + D3DXVECTOR3(10.0f, 0.0f, 30.0f));
	const D3DXVECTOR3 ahead = -Row(launch, 0);
	const RayCastResult floor = CastRayAtMap(TranslationOf(launch), ahead);
	ASSERT_TRUE(floor.hit);
	ASSERT_GT(floor.distance, 300.0f);

	Ammo* shot = new Ammo(AMMO_PLAYER);
	shot->SetLaunchMatrix(launch);
	Player().shots.push_back(shot);
	for (int move = 1; move <= 51; ++move) {
		ASSERT_TRUE(shot->active) << move;
		const D3DXVECTOR3 before = shot->Position();
		StepPlayer();
		ASSERT_EQ(Player().shots.size(), 1u);
		EXPECT_VEC3_NEAR(shot->Position() - before, 5.0f * ahead, 1e-3f);
		EXPECT_EQ(shot->age, float(move));
		EXPECT_EQ(shot->active, move <= 50) << move;
	}
	EXPECT_VEC3_NEAR(shot->Position(), TranslationOf(launch) + 255.0f * ahead, 1e-2f);
	EXPECT_EQ(Player().wallHitSound.NextVoice(), 0);
	StepPlayer();
	EXPECT_TRUE(Player().shots.empty());
}

// Shots placed by hand 5 to the +x of a point, so one move brings them there.
class GunHitTest : public WeaponTest {
protected:
	// Moves the shot onto target and scores it there.
	static void ShootAt(Ammo& shot, const D3DXVECTOR3& target) {
		shot.SetLaunchMatrix(TranslationTo(target + D3DXVECTOR3(5.0f, 0.0f, 0.0f)));
		shot.UpdatePlayerShot();
	}

	const D3DXVECTOR3 target = HIGH_ABOVE_STAGE;
	const D3DXVECTOR3 far = HIGH_ABOVE_STAGE + D3DXVECTOR3(0.0f, 500.0f, 0.0f);
};

TEST_F(GunHitTest, BodyAndSphereAOfOneEnemyTogetherTakeThreeAndReportTwoHits) {
	StillEnemy& enemy = AddEnemy(target + D3DXVECTOR3(0.0f, 0.0f, 3.0f));
	enemy.partMatrixA = TranslationTo(target + D3DXVECTOR3(0.0f, -3.0f, 0.0f));
	Ammo shot(AMMO_PLAYER);
	ShootAt(shot, target);
	EXPECT_EQ(enemy.hitPoints, 25 - 3);
	EXPECT_TRUE(enemy.hitFlag);
	ASSERT_EQ(enemy.hits.size(), 2u);
	EXPECT_VEC3_NEAR(enemy.hits[0], target, 1e-6f);
	EXPECT_VEC3_NEAR(enemy.hits[1], target, 1e-6f);
	EXPECT_FALSE(shot.active);
}

TEST_F(GunHitTest, TheBodyAloneTakesTwoAndSphereBAloneTakesOne) {
	StillEnemy& body = AddEnemy(target);
	Ammo first(AMMO_PLAYER);
	ShootAt(first, target);
	EXPECT_EQ(body.hitPoints, 23);
	EXPECT_EQ(body.hits.size(), 1u);
	EXPECT_FALSE(first.active);

	body.SetPosition(far);
	StillEnemy& partB = AddEnemy(far + D3DXVECTOR3(50.0f, 0.0f, 0.0f));
	partB.partMatrixB = TranslationTo(target + D3DXVECTOR3(4.0f, 0.0f, 0.0f));
	Ammo second(AMMO_PLAYER);
	ShootAt(second, target);
	EXPECT_EQ(partB.hitPoints, 24);
	ASSERT_EQ(partB.hits.size(), 1u);
	EXPECT_VEC3_NEAR(partB.hits[0], target, 1e-6f);
	EXPECT_EQ(body.hitPoints, 23);
	EXPECT_FALSE(second.active);
}

TEST_F(GunHitTest, ASphereCountsWithinItsRadiusPlusTheShotsHalfUnitExclusive) {
	StillEnemy& enemy = AddEnemy(target + D3DXVECTOR3(0.0f, 5.5f, 0.0f));
	Ammo edge(AMMO_PLAYER);
	ShootAt(edge, target);
	EXPECT_EQ(enemy.hitPoints, 25);
	EXPECT_FALSE(enemy.hitFlag);
	EXPECT_TRUE(edge.active);

	enemy.SetPosition(target + D3DXVECTOR3(0.0f, 5.25f, 0.0f));
	Ammo inside(AMMO_PLAYER);
	ShootAt(inside, target);
	EXPECT_EQ(enemy.hitPoints, 23);
	EXPECT_FALSE(inside.active);

	// The radius is the enemy's own: a small body is missed at 2.
	enemy.bodyRadius = 1;
	enemy.SetPosition(target + D3DXVECTOR3(0.0f, 2.0f, 0.0f));
	Ammo past(AMMO_PLAYER);
	ShootAt(past, target);
	EXPECT_EQ(enemy.hitPoints, 23);
	EXPECT_TRUE(past.active);
}

TEST_F(GunHitTest, TheHitIsTestedWhereTheShotIsAfterItsMove) {
	StillEnemy& enemy = AddEnemy(target + D3DXVECTOR3(5.0f, 0.0f, 0.0f));
	enemy.bodyRadius = 1;
	Ammo shot(AMMO_PLAYER);
	ShootAt(shot, target);  // starts inside the body, ends 5 past it
	EXPECT_EQ(enemy.hitPoints, 25);
	EXPECT_TRUE(shot.active);
}

TEST_F(GunHitTest, AShotInsideTwoEnemiesScoresBoth) {
	StillEnemy& first = AddEnemy(target + D3DXVECTOR3(0.0f, 2.0f, 0.0f));
	StillEnemy& second = AddEnemy(target + D3DXVECTOR3(0.0f, -2.0f, 0.0f));
	second.partMatrixB = TranslationTo(target);
	Ammo shot(AMMO_PLAYER);
	ShootAt(shot, target);
	EXPECT_EQ(first.hitPoints, 23);
	EXPECT_EQ(second.hitPoints, 22);
	EXPECT_EQ(first.hits.size(), 1u);
	EXPECT_EQ(second.hits.size(), 2u);
	EXPECT_TRUE(first.hitFlag);
	EXPECT_TRUE(second.hitFlag);
}

TEST_F(GunHitTest, ASpentShotNeitherMovesNorScores) {
	StillEnemy& enemy = AddEnemy(target);
	Ammo shot(AMMO_PLAYER);
	shot.SetLaunchMatrix(TranslationTo(target + D3DXVECTOR3(5.0f, 0.0f, 0.0f)));
	shot.active = false;
	shot.UpdatePlayerShot();
	EXPECT_EQ(enemy.hitPoints, 25);
	EXPECT_EQ(shot.age, 0.0f);
	EXPECT_VEC3_NEAR(shot.Position(), target + D3DXVECTOR3(5.0f, 0.0f, 0.0f), 0.0f);
}

}  // namespace
