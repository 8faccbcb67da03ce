// The turret on the real stage: turning and locking on, the charge and
// beam cycle with its damage, the cooldown, the blind spot below it, and
// its death.

#include "enemy/Turret.h"
#include "player/MapCollision.h"
#include "tests/player/PlayerTestSupport.h"

#include <cmath>

using namespace player_test;

namespace {

// The turret's spawn point on the stage.
const D3DXVECTOR3 TURRET_SPAWN(700.0f, 130.0f, 2166.0f);

class TurretTest : public BattleTest {
protected:
	void SetUp() override {
		BattleTest::SetUp();
		if (IsSkipped() || HasFatalFailure()) {
			return;
		}
		for (EnemyBase* enemy : manager->enemies) {
			delete enemy;
		}
		manager->enemies.clear();
		turret = new Turret();
		turret->SetPosition(TURRET_SPAWN);
		manager->enemies.push_back(turret);
		// Let it settle on its floor before the robot comes near.
		for (int frame = 0; frame < 200; ++frame) {
			turret->Update(Player());
		}
	}

	// The robot at distance along the turret's heading turned by degrees,
	// level with the turret's origin. The aim flattens the direction without
	// normalising it again, so a robot much higher or lower reads as off to
	// the side and is never locked on.
	void PlaceRobotAt(float distance, float degrees) {
		const float radians = degrees * 0.017453292f;
		const D3DXVECTOR3 facing(-turret->world._31, 0.0f, -turret->world._33);
		const D3DXVECTOR3 right(facing.z, 0.0f, -facing.x);
		PlaceRobot(turret->Position() + (facing * std::cos(radians) + right * std::sin(radians)) * distance);
	}

	// The robot on the gun's axis, far enough that the 15 units between gun
	// and origin read as less than a degree: locked on without a turn, dead
	// in the beam's line.
	void PlaceRobotOnBeam(float distance) {
		const D3DXVECTOR3 gun(turret->gun.gunMatrix._41, turret->gun.gunMatrix._42, turret->gun.gunMatrix._43);
		const D3DXVECTOR3 axis(turret->gun.gunMatrix._31, turret->gun.gunMatrix._32, turret->gun.gunMatrix._33);
		PlaceRobot(gun - axis * distance);
	}

	// Enemy updates only: the robot stays where the test put it.
	void RunTurret(int frames) {
		for (int i = 0; i < frames; ++i) {
			turret->Update(Player());
		}
	}

	Turret* turret = nullptr;
};

TEST_F(TurretTest, ItStandsFiveAboveItsFloor) {
	const RayCastResult floor = CastRayAtMap(turret->Position(), D3DXVECTOR3(0.0f, -1.0f, 0.0f));
	ASSERT_TRUE(floor.hit);
	// Resting: each frame's fall of 0.05 is lifted back to 5 above.
	EXPECT_NEAR(floor.distance, 5.0f - 0.05f, 1e-3f);
	EXPECT_NEAR(turret->gun.gunMatrix._42, turret->world._42 + 15.0f, 1e-4f);
}

TEST_F(TurretTest, ItTurnsADegreeAFrameTowardsTheRobotAndLocksWithinTwo) {
	PlaceRobotAt(300.0f, 30.0f);
	const float startYaw = turret->yaw;
	turret->Update(Player());
	// The whole-degree angle, signed: the robot is to its right.
	EXPECT_EQ(turret->aimAngle, 30.0f);
	EXPECT_EQ(turret->yaw, startYaw + 1.0f);
	EXPECT_FALSE(turret->attacking);
	int frames = 1;
	while (!turret->attacking && frames < 100) {
		turret->Update(Player());
		++frames;
	}
	// Locked once the angle left after the turn is inside two degrees.
	EXPECT_TRUE(turret->attacking);
	EXPECT_EQ(frames, 29);
	EXPECT_EQ(turret->yaw, startYaw + 29.0f);
}

TEST_F(TurretTest, TheRobotToItsLeftTurnsItTheOtherWay) {
	PlaceRobotAt(300.0f, -45.0f);
	const float startYaw = turret->yaw;
	RunTurret(10);
	EXPECT_LT(turret->aimAngle, 0.0f);
	EXPECT_EQ(turret->yaw, startYaw - 10.0f);
}

TEST_F(TurretTest, ARobotAtExactly1005IsOutOfRange) {
	PlaceRobotAt(1005.0f, 0.0f);
	RunTurret(5);
	EXPECT_FALSE(turret->attacking);
	PlaceRobotAt(1004.0f, 0.0f);
	RunTurret(1);
	EXPECT_TRUE(turret->attacking);
}

TEST_F(TurretTest, TheFirstLockChargesAtOnceThenTheBeamDrainsTheRobotInFront) {
	PlaceRobotOnBeam(900.0f);
	const int chargeVoice = turret->chargeSound.NextVoice();
	turret->Update(Player());
	ASSERT_TRUE(turret->attacking);
	// The cooldown starts full, so the first lock starts the cycle.
	EXPECT_TRUE(turret->beamStarted);
	EXPECT_EQ(turret->gun.cooldown, 0);
	EXPECT_EQ(turret->chargeSound.NextVoice(), chargeVoice + 1);
	// The charge: 140 frames without damage.
	RunTurret(139);
	EXPECT_EQ(Player().hitPoints, PLAYER_START_HIT_POINTS);
	const int beamVoice = turret->beamSound.NextVoice();
	RunTurret(1);
	EXPECT_EQ(Player().hitPoints, PLAYER_START_HIT_POINTS - 1.5f);
	EXPECT_EQ(turret->beamSound.NextVoice(), beamVoice + 1);
	// The narrowing beam hurts for 143 frames in all, once a frame.
	RunTurret(200);
	EXPECT_FLOAT_EQ(Player().hitPoints, PLAYER_START_HIT_POINTS - 1.5f * 143.0f);
	EXPECT_EQ(turret->beamSound.NextVoice(), beamVoice + 1);
}

TEST_F(TurretTest, ARobotBesideTheBeamIsNotHurt) {
	PlaceRobotOnBeam(900.0f);
	RunTurret(141);
	ASSERT_EQ(Player().hitPoints, PLAYER_START_HIT_POINTS - 1.5f);
	// The beam's reach is measured as |v| (1 - cos a): sixty units aside at
	// 900 is 2, outside a radius under 1. The aim is held through the
	// cycle, so the turret does not follow.
	Player().world._41 += 60.0f * turret->gun.gunMatrix._11;
	Player().world._43 += 60.0f * turret->gun.gunMatrix._13;
	RunTurret(20);
	EXPECT_EQ(Player().hitPoints, PLAYER_START_HIT_POINTS - 1.5f);
}

TEST_F(TurretTest, ACycleLasts500FramesAndTheCooledGunStartsTheNextAtOnce) {
	PlaceRobotOnBeam(900.0f);
	RunTurret(1);
	ASSERT_TRUE(turret->beamStarted);
	const int chargeVoice = turret->chargeSound.NextVoice();
	RunTurret(499);
	// The cycle's last frame ends it: searching again, lock and start anew.
	EXPECT_FALSE(turret->beamStarted);
	EXPECT_EQ(turret->beamTimer, 0);
	EXPECT_EQ(turret->gun.cooldown, TURRET_COOLDOWN_FRAMES - 1);
	RunTurret(1);
	EXPECT_TRUE(turret->beamStarted);
	EXPECT_EQ(turret->chargeSound.NextVoice(), chargeVoice + 1);
	EXPECT_EQ(turret->beamRadius, 1.0f);
}

TEST_F(TurretTest, ARobotFarBelowIsIgnoredButARunningBeamStillHits) {
	PlaceRobotAt(800.0f, 30.0f);
	Player().world._42 = turret->world._42 - 10.5f;
	const float startYaw = turret->yaw;
	RunTurret(20);
	EXPECT_EQ(turret->yaw, startYaw);
	EXPECT_FALSE(turret->attacking);

	// Locked on, then the robot drops 20 below the turret's origin: the
	// cycle runs on without the turret thinking, and 35 below the gun at
	// 900 the beam's reach, 900 (1 - cos a), is about 0.68.
	PlaceRobotOnBeam(900.0f);
	RunTurret(1);
	ASSERT_TRUE(turret->beamStarted);
	Player().world._42 = turret->world._42 - 20.0f;
	RunTurret(139);
	EXPECT_EQ(turret->beamTimer, 140);
	EXPECT_EQ(Player().hitPoints, PLAYER_START_HIT_POINTS);
	RunTurret(60);
	// Hit while the radius still exceeds that reach: about 45 frames.
	const float taken = PLAYER_START_HIT_POINTS - Player().hitPoints;
	EXPECT_GT(taken, 1.5f * 40.0f);
	EXPECT_LT(taken, 1.5f * 50.0f);
}

TEST_F(TurretTest, LeavingTheRangeAbandonsTheCycle) {
	PlaceRobotOnBeam(900.0f);
	RunTurret(50);
	ASSERT_TRUE(turret->beamStarted);
	PlaceRobotAt(1100.0f, 0.0f);
	RunTurret(1);
	EXPECT_FALSE(turret->attacking);
	EXPECT_FALSE(turret->beamStarted);
	EXPECT_EQ(turret->beamTimer, 0);
}

TEST_F(TurretTest, BelowThirtyItSmokesAtMuzzleAndGun) {
	turret->hitPoints = 30;
	const particles::Handle before = turret->damageSmoke.CurrentHandle();
	RunTurret(1);
	EXPECT_EQ(turret->damageSmoke.CurrentHandle(), before);
	turret->hitPoints = 29;
	RunTurret(1);
	EXPECT_NE(turret->damageSmoke.CurrentHandle(), before);
	EXPECT_EQ(turret->damageSmoke.Position().x, turret->gun.gunMatrix._41);
	EXPECT_EQ(turret->damageSmoke.Position().z, turret->gun.gunMatrix._43);
}

TEST_F(TurretTest, ItExplodesOnceStopsDrawingAndIsRemovedAfter181Frames) {
	PlaceRobotOnBeam(900.0f);
	RunTurret(160);
	turret->hitPoints = -20;
	const int deathVoice = turret->deathSound.NextVoice();
	const float hitPoints = Player().hitPoints;
	RunTurret(1);
	EXPECT_FALSE(turret->alive);
	EXPECT_EQ(turret->deathSound.NextVoice(), deathVoice + 5);
	// Dead: no more beam damage.
	RunTurret(10);
	EXPECT_EQ(Player().hitPoints, hitPoints);
	EXPECT_EQ(turret->deathSound.NextVoice(), deathVoice + 5);
	int frames = 11;
	while (turret->exists && frames < 400) {
		turret->Update(Player());
		++frames;
	}
	EXPECT_EQ(frames, 182);
	// The battle deletes it after that frame.
	game->Update();
	EXPECT_TRUE(manager->enemies.empty());
}

TEST_F(TurretTest, APlayerShotOnTheGunDamagesItAndPlaysItsHit) {
	const int hitVoice = turret->hitSound.NextVoice();
	const D3DXVECTOR3 gun(turret->gun.gunMatrix._41, turret->gun.gunMatrix._42, turret->gun.gunMatrix._43);
	turret->hitPoints -= 1;
	turret->OnHit(gun);
	EXPECT_EQ(turret->hitBurst.Position().y, gun.y);
	EXPECT_EQ(turret->hitSound.NextVoice(), hitVoice + 1);
}

}  // namespace
