// The gunshot as the player hears it: a battle on the loopback sound device,
// the robot firing once, compared with the same sample played alone.

#include "audio/SoundEffect.h"
#include "platform/audio/LoopbackAudio.h"
#include "tests/audio/LoopbackSignal.h"
#include "tests/weapons/WeaponsTestSupport.h"

#include <cmath>

using namespace player_test;
using namespace loopback;
using namespace weapons_test;

namespace {

const char* const SHOT_FILE = "data/Sound/Game/Shoot.wav";

double Decibels(double ratio) { return 20.0 * std::log10(ratio); }

// The battle's sounds are made on the loopback device, which must be open
// before the battle loads them.
class GunSoundTest : public WeaponTest {
protected:
	void SetUp() override {
		if (!OpenLoopbackAudioForTests(RATE)) {
			GTEST_SKIP() << "no OpenAL loopback device";
		}
		loopbackOpen = true;
		WeaponTest::SetUp();
	}

	void TearDown() override {
		if (game != nullptr || manager != nullptr) {
			BattleTest::TearDown();
		}
		if (loopbackOpen) {
			CloseAudioForTests(true);
		}
	}

	// Renders until nothing sounds any more; false if that never happens.
	static bool RenderUntilSilent() {
		for (int i = 0; i < 100; ++i) {
			if (Rms(Render(Frames(0.05))) < 1e-5) {
				return true;
			}
		}
		return false;
	}

	bool loopbackOpen = false;
};

TEST_F(GunSoundTest, ABattlesGunshotSoundsAtTheLevelAndBalanceOfTheLoneSample) {
	// The music would cover the shot.
	game->music.Stop();
	ASSERT_TRUE(RenderUntilSilent());

	Press(VK_LBUTTON);
	StepPlayer();
	ASSERT_EQ(Player().shootSound.NextVoice(), 1);
	// Nothing else of the robot sounded in that frame.
	ASSERT_EQ(Player().wallHitSound.NextVoice(), 0);
	ASSERT_EQ(Player().boosterSound.NextVoice(), 0);
	ASSERT_EQ(Player().plasma.fireSound.NextVoice(), 0);
	Render(512);
	const Stereo battle = Render(Frames(0.1));
	ASSERT_TRUE(RenderUntilSilent());

	SoundEffect lone;
	ASSERT_TRUE(lone.Load(SHOT_FILE));
	lone.Play();
	Render(512);
	const Stereo alone = Render(Frames(0.1));
	lone.Release();

	ASSERT_GT(Rms(alone), 1e-3);
	ASSERT_GT(Rms(battle), 1e-3);
	EXPECT_NEAR(Decibels(Rms(battle) / Rms(alone)), 0.0, 0.5);
	// Both centred: left and right within a few per cent of each other.
	EXPECT_NEAR(Rms(battle.right) / Rms(battle.left), 1.0, 0.03);
	EXPECT_NEAR(Rms(battle.right) / Rms(battle.left), Rms(alone.right) / Rms(alone.left), 0.03);
	RecordProperty("battle_shot_db_vs_lone", std::to_string(Decibels(Rms(battle) / Rms(alone))));
}

}  // namespace
