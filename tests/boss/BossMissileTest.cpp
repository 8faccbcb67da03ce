// The boss's missiles: how often they leave, their flight onto the drop
// point, the blast the boss deals for them and missiles shot down.

#include "tests/boss/BossTestSupport.h"

using namespace boss_test;

namespace {

constexpr float CLIMB_SPEED = 0.8f;
constexpr float DROP_SPEED = 0.3f;

class BossMissileTest : public BossTest {
protected:
	void RemoveMissiles() {
		for (Missile* missile : Missiles()) {
			manager->enemies.erase(std::find(manager->enemies.begin(), manager->enemies.end(), missile));
			delete missile;
		}
	}

};

TEST_F(BossMissileTest, AMissileLeavesEveryHitPointsPlusOneFramesInRangeButNoMoreRarelyThanEvery151) {
	PlaceRobotFromOp(D3DXVECTOR3(0.0f, 0.0f, -304.0f));
	for (const int32_t hitPoints : {300, 201, 150, 60}) {
		RemoveMissiles();
		boss->hitPoints = hitPoints;
		boss->missileTimer = 0;
		const int32_t interval = std::max(hitPoints, 150) + 1;
		for (int launch = 0; launch < 2; ++launch) {
			UpdateBoss(interval - 1);
			EXPECT_EQ(Missiles().size(), size_t(launch)) << hitPoints;
			UpdateBoss();
			ASSERT_EQ(Missiles().size(), size_t(launch + 1)) << hitPoints;
			const Missile& missile = *Missiles().back();
			EXPECT_VEC3_NEAR(missile.target, D3DXVECTOR3(Player().Position().x, -60.0f, Player().Position().z), 0.0f);
			EXPECT_VEC3_NEAR(missile.Position(), boss->Position(), 0.0f);
			EXPECT_EQ(boss->missileTimer, 0);
		}
	}
}

TEST_F(BossMissileTest, AMissileClimbs160HangsThenFallsOnWhereThePlayerStoodAndBlastsThePlayerNearby) {
	// The body, 15 above the op, is where missiles leave from.
	const D3DXVECTOR3 start = OpPosition() + D3DXVECTOR3(0.0f, 15.0f, 0.0f);
	Missile* missile = LaunchMissile();
	ASSERT_NE(missile, nullptr);
	EXPECT_VEC3_NEAR(missile->target, D3DXVECTOR3(launchedFrom.x, -60.0f, launchedFrom.z), 0.0f);
	// Launched and flown once in the same battle frame, nose down: local -y up.
	EXPECT_VEC3_NEAR(missile->Position(), start + D3DXVECTOR3(0.0f, CLIMB_SPEED, 0.0f), 1e-4f);
	EXPECT_LT(missile->world._22, -0.99f);

	for (int frame = 2; frame <= 200; ++frame) {
		const D3DXVECTOR3 before = missile->Position();
		UpdateBattle();
		EXPECT_VEC3_NEAR(missile->Position(), before + D3DXVECTOR3(0.0f, CLIMB_SPEED, 0.0f), 1e-3f);
		// The boss trails smoke 10 below where the missile was.
		EXPECT_VEC3_NEAR(boss->missileSmoke.Position(), before - D3DXVECTOR3(0.0f, 10.0f, 0.0f), 0.0f);
	}
	const D3DXVECTOR3 top = start + D3DXVECTOR3(0.0f, 200.0f * CLIMB_SPEED, 0.0f);
	EXPECT_VEC3_NEAR(missile->Position(), top, 0.01f);
	EXPECT_GT(missile->world._22, 0.99f);

	UpdateBattle(9);
	EXPECT_VEC3_NEAR(missile->Position(), top, 0.01f);
	EXPECT_EQ(missile->phase, MISSILE_HANGING);

	// The tenth hanging frame jumps to the drop point and falls at once.
	UpdateBattle();
	EXPECT_EQ(missile->phase, MISSILE_DROPPING);
	EXPECT_VEC3_NEAR(missile->Position(), missile->target - D3DXVECTOR3(0.0f, DROP_SPEED, 0.0f), 1e-4f);

	const float floor = FloorAt(missile->target.x, missile->target.z);
	int guard = 0;
	while (!missile->exploded && guard++ < 1000) {
		const D3DXVECTOR3 before = missile->Position();
		EXPECT_TRUE(missile->alive);
		UpdateBattle();
		// Not lifted back onto the ground: every frame falls the same.
		EXPECT_NEAR(missile->Position().y, before.y - DROP_SPEED, 1e-4f);
		EXPECT_EQ(missile->Position().x, before.x);
		EXPECT_EQ(missile->Position().z, before.z);
		// It bursts on the first frame that starts within 10 of the floor.
		EXPECT_EQ(missile->exploded, before.y - floor <= 10.0f) << before.y;
		if (!missile->exploded) {
			EXPECT_VEC3_NEAR(boss->dropMarker.Position(), before, 0.0f);
		}
	}
	ASSERT_TRUE(missile->exploded);
	EXPECT_FALSE(missile->alive);

	// The next frame the boss blasts it: 100 less the distance, once.
	const int blasts = Plays(boss->missileBlast);
	const float hitPoints = Player().hitPoints;
	const float expected = 100.0f - Distance(Player().Position(), missile->Position());
	ASSERT_GT(expected, 0.0f);
	UpdateBattle();
	EXPECT_FALSE(missile->exploded);
	EXPECT_EQ(Plays(boss->missileBlast), blasts + 1);
	EXPECT_VEC3_NEAR(boss->missileBlast.Position(), missile->Position(), 0.0f);
	EXPECT_NEAR(Player().hitPoints, hitPoints - expected, 1e-3f);
	UpdateBattle(50);
	EXPECT_NEAR(Player().hitPoints, hitPoints - expected, 1e-3f);
	EXPECT_EQ(Plays(boss->missileBlast), blasts + 1);

	// Removed 101 frames after it stopped.
	UpdateBattle(49);
	EXPECT_TRUE(Listed(missile));
	UpdateBattle();
	EXPECT_TRUE(Missiles().empty());
}

TEST_F(BossMissileTest, ABlastTakes100LessTheDistanceFromThePlayerAndNothingFrom100Away) {
	// Out of the boss's range: only the blasts touch the robot.
	PlaceRobot(D3DXVECTOR3(0.0f, 1000.0f, 0.0f));
	const struct {
		D3DXVECTOR3 offset;
		float damage;
	} cases[] = {
		{D3DXVECTOR3(0.0f, 0.0f, 0.0f), 100.0f},
		{D3DXVECTOR3(0.0f, -40.0f, 0.0f), 60.0f},
		{D3DXVECTOR3(30.0f, 0.0f, 40.0f), 50.0f},
		{D3DXVECTOR3(0.0f, 0.0f, 99.5f), 0.5f},
		{D3DXVECTOR3(100.0f, 0.0f, 0.0f), 0.0f},
		{D3DXVECTOR3(0.0f, 150.0f, 0.0f), 0.0f},
	};
	for (const auto& blast : cases) {
		Missile* missile = new Missile();
		missile->SetPosition(Player().Position() + blast.offset);
		missile->alive = false;
		missile->exploded = true;
		manager->enemies.push_back(missile);
		const float hitPoints = Player().hitPoints;
		UpdateBoss();
		EXPECT_NEAR(Player().hitPoints, hitPoints - blast.damage, 1e-3f) << blast.offset.x << blast.offset.z;
		EXPECT_FALSE(missile->exploded);
		UpdateBoss();
		EXPECT_NEAR(Player().hitPoints, hitPoints - blast.damage, 1e-3f);
		RemoveMissiles();
	}
}

TEST_F(BossMissileTest, AMissileShotDownBurstsWithTheBossesBombAndSoundNeverBlastsAndIsRemoved101FramesLater) {
	Missile* missile = LaunchMissile();
	ASSERT_NE(missile, nullptr);
	// Clear of the boss's own hit spheres.
	UpdateBattle(40);
	const int bursts = Plays(boss->hitBurst), bombs = Plays(boss->bomb), blasts = Plays(boss->missileBlast);
	const int hitSounds = boss->hitSound.NextVoice(), deathSounds = boss->deathSound.NextVoice();
	for (int hit = 1; hit <= 5; ++hit) {
		// A player's shot 5 behind the missile flies into its body sphere.
		Ammo shot(AMMO_PLAYER);
		D3DXMATRIX launch;
		D3DXMatrixTranslation(&launch, missile->Position().x + 5.0f, missile->Position().y, missile->Position().z);
		shot.SetLaunchMatrix(launch);
		shot.UpdatePlayerShot();
		EXPECT_FALSE(shot.active);
		EXPECT_EQ(missile->hitPoints, 10 - 2 * hit);
		const D3DXVECTOR3 hitAt = missile->Position();
		UpdateBattle();
		EXPECT_FALSE(missile->hitFlag);
		EXPECT_EQ(Plays(boss->hitBurst), bursts + hit);
		EXPECT_VEC3_NEAR(boss->hitBurst.Position(), hitAt, 0.0f);
		EXPECT_EQ(boss->hitSound.NextVoice(), (hitSounds + hit) % SOUND_EFFECT_VOICES);
		EXPECT_EQ(Plays(boss->bomb), bombs + (hit == 5 ? 1 : 0));
		EXPECT_EQ(boss->deathSound.NextVoice(), (deathSounds + (hit == 5 ? 1 : 0)) % SOUND_EFFECT_VOICES);
		EXPECT_EQ(missile->alive, hit < 5);
		if (hit == 5) {
			EXPECT_VEC3_NEAR(boss->bomb.Position(), hitAt, 0.0f);
		}
	}
	UpdateBattle(100);
	EXPECT_TRUE(Listed(missile));
	EXPECT_FALSE(missile->exploded);
	UpdateBattle();
	EXPECT_TRUE(Missiles().empty());
	EXPECT_EQ(Plays(boss->missileBlast), blasts);
}

}  // namespace
