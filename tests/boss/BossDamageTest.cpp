// The boss's plasma against the player, its damage smoke, and its death,
// which takes every enemy and missile with it.

#include "platform/gpu/GpuHooks.h"
#include "tests/boss/BossTestSupport.h"

using namespace boss_test;

namespace {

class BossDamageTest : public BossTest {
protected:
	// Out of the boss's range, where the map is nowhere near.
	void RobotInOpenSky() { PlaceRobot(D3DXVECTOR3(0.0f, 1000.0f, 0.0f)); }

	// The number of pixels that differ noticeably between two pictures.
	static size_t ChangedPixels(const std::vector<uint8_t>& a, const std::vector<uint8_t>& b) {
		size_t changed = 0;
		for (size_t i = 0; i + 3 < a.size() && i + 3 < b.size(); i += 4) {
			for (size_t c = 0; c < 3; ++c) {
				if (std::abs(int(a[i + c]) - int(b[i + c])) > 24) {
					++changed;
					break;
				}
			}
		}
		return changed;
	}

	std::vector<uint8_t> DrawnPicture() {
		game->Draw();
		std::vector<uint8_t> rgba;
		UINT width = 0, height = 0;
		EXPECT_TRUE(ReadRenderTargetPixels(GraphicsDevice::Get().backBuffer, rgba, width, height));
		return rgba;
	}
};

TEST_F(BossDamageTest, APlasmaBlastWithin35OfThePlayerTakes20Once) {
	RobotInOpenSky();
	// The shot moves 2 along its own z before the map test bursts it.
	const struct {
		float offset;
		float damage;
	} cases[] = {{0.0f, 20.0f}, {20.0f, 20.0f}, {34.0f, 20.0f}, {35.0f, 0.0f}, {60.0f, 0.0f}};
	for (const auto& shot : cases) {
		boss->plasma.charge = PLASMA_FULL_CHARGE;
		D3DXMATRIX launch;
		const D3DXVECTOR3 from = Player().Position() + D3DXVECTOR3(shot.offset, 0.0f, 0.0f);
		D3DXMatrixTranslation(&launch, from.x, from.y, from.z);
		boss->plasma.Fire(launch);
		const float hitPoints = Player().hitPoints;
		const int sparks = Plays(Player().sparkRed);
		const int sounds = Player().hitSound.NextVoice();
		UpdateBoss();
		EXPECT_FALSE(boss->plasma.active) << shot.offset;
		EXPECT_FALSE(boss->plasma.hitTarget);
		EXPECT_EQ(Player().hitPoints, hitPoints - shot.damage) << shot.offset;
		const bool hit = shot.damage > 0.0f;
		EXPECT_EQ(Plays(Player().sparkRed), sparks + (hit ? 1 : 0));
		EXPECT_EQ(Player().hitSound.NextVoice(), (sounds + (hit ? 1 : 0)) % SOUND_EFFECT_VOICES);
		if (hit) {
			EXPECT_VEC3_NEAR(Player().sparkRed.Position(), Player().Position(), 0.0f);
		}
		UpdateBoss(10);
		EXPECT_EQ(Player().hitPoints, hitPoints - shot.damage);
	}
}

TEST_F(BossDamageTest, DamageSmokeRisesEverySixthFrameFrom200EveryFourthFrom150AndEveryFrameFrom100) {
	RobotInOpenSky();
	UpdateBoss();
	const struct {
		int32_t hitPoints;
		int period;  // 0: never
	} cases[] = {{300, 0}, {201, 0}, {200, 6}, {151, 6}, {150, 4}, {101, 4}, {100, 1}, {1, 1}};
	for (const auto& smoke : cases) {
		boss->hitPoints = smoke.hitPoints;
		boss->smokeTimer = 0;
		for (int frame = 1; frame <= 24; ++frame) {
			const int plays = Plays(boss->damageSmoke);
			UpdateBoss();
			const bool puff = smoke.period != 0 && frame % smoke.period == 0;
			EXPECT_EQ(Plays(boss->damageSmoke), plays + (puff ? 1 : 0)) << smoke.hitPoints << " frame " << frame;
		}
		if (smoke.period != 0) {
			EXPECT_VEC3_NEAR(boss->damageSmoke.Position(), boss->Position() + D3DXVECTOR3(0.0f, 25.0f, 0.0f), 0.0f);
		}
	}
}

TEST_F(BossDamageTest, TheBossesDeathKillsEveryEnemyAndAMissileInTheAirNeverDropsOrBlasts) {
	StillEnemy* before = new StillEnemy(D3DXVECTOR3(-2000.0f, 0.0f, -2000.0f));
	manager->enemies.insert(manager->enemies.begin(), before);
	StillEnemy* after = new StillEnemy(D3DXVECTOR3(-2000.0f, 0.0f, 2000.0f));
	manager->enemies.push_back(after);
	Missile* missile = LaunchMissile();
	ASSERT_NE(missile, nullptr);
	// Rise to the top and hang there for 4 frames.
	UpdateBattle(203);
	ASSERT_EQ(missile->phase, MISSILE_HANGING);
	const D3DXVECTOR3 top = missile->Position();

	const int bombs = Plays(boss->bomb), blasts = Plays(boss->missileBlast);
	const int deathSounds = boss->deathSound.NextVoice();
	boss->hitPoints = -7;
	UpdateBattle();
	EXPECT_FALSE(boss->alive);
	for (const EnemyBase* enemy : manager->enemies) {
		EXPECT_EQ(enemy->hitPoints, 0);
	}
	EXPECT_EQ(Plays(boss->bomb), bombs + 3);
	EXPECT_VEC3_NEAR(boss->bomb.Position(), TranslationOf(boss->partMatrixB), 0.0f);
	EXPECT_EQ(boss->deathSound.NextVoice(), (deathSounds + 1) % SOUND_EFFECT_VOICES);
	// The missile after the boss in the list died in the same frame.
	EXPECT_FALSE(missile->alive);
	EXPECT_VEC3_NEAR(missile->Position(), top, 0.0f);

	// Still hanging out its timer, it jumps to the drop point, but never falls.
	UpdateBattle(5);
	EXPECT_EQ(missile->phase, MISSILE_DROPPING);
	EXPECT_VEC3_NEAR(missile->Position(), missile->target, 0.0f);
	UpdateBattle(95);
	EXPECT_TRUE(Listed(missile));
	EXPECT_VEC3_NEAR(missile->Position(), missile->target, 0.0f);
	EXPECT_FALSE(missile->exploded);
	UpdateBattle();
	EXPECT_FALSE(Listed(missile));
	EXPECT_EQ(Plays(boss->missileBlast), blasts);

	// The boss goes once its death count passes 120; the stand-ins stay.
	UpdateBattle(19);
	EXPECT_TRUE(Listed(boss));
	UpdateBattle();
	EXPECT_FALSE(Listed(boss));
	EXPECT_TRUE(Listed(before));
	EXPECT_TRUE(Listed(after));
}

TEST_F(BossDamageTest, TheWreckStaysOnScreenFor50FramesAfterDeath) {
	// Standing out of range, facing the boss, with a far enemy keeping the battle open.
	manager->enemies.push_back(new StillEnemy(D3DXVECTOR3(-2000.0f, 0.0f, -2000.0f)));
	StandRobot(2000.0f, 1800.0f);
	UpdateBattle(30);
	boss->hitPoints = 0;
	UpdateBattle();
	ASSERT_FALSE(boss->alive);
	UpdateBattle(48);
	ASSERT_EQ(boss->deathTimer, 48);
	const std::vector<uint8_t> at48 = DrawnPicture();
	UpdateBattle();
	const std::vector<uint8_t> at49 = DrawnPicture();
	UpdateBattle();
	const std::vector<uint8_t> at50 = DrawnPicture();
	UpdateBattle();
	const std::vector<uint8_t> at51 = DrawnPicture();
	// The wreck vanishing at 50 changes far more than the frames around it,
	// while it still stands and once it has gone.
	const size_t standing = ChangedPixels(at48, at49), vanishing = ChangedPixels(at49, at50),
	             gone = ChangedPixels(at50, at51);
	EXPECT_GT(vanishing, 2000u);
	EXPECT_GT(vanishing, 2 * standing);
	EXPECT_GT(vanishing, 20 * gone);
}

}  // namespace
