// The look options: --sensitivity X turns the robot X times as far for the
// same cursor motion, within the same limits and wraps; --invert-y makes
// motion up lower the aim. The settings are read when the battle starts.

#include "app/Application.h"
#include "tests/player/PlayerTestSupport.h"

using namespace player_test;

namespace {

// Pixels of cursor motion per degree at the default sensitivity.
constexpr int PIXELS_PER_DEGREE = 7;

class PlayerLookSettingsTest : public BattleTest {
protected:
	void Start(float sensitivity, bool invert) {
		Application::Get().settings.lookSensitivity = sensitivity;
		Application::Get().settings.invertLook = invert;
		BattleTest::SetUp();
	}
	// Each test starts the battle itself, once its settings are made.
	void SetUp() override {}
	void TearDown() override {
		Application::Get().settings = GameSettings{};
		BattleTest::TearDown();
	}

	// One robot frame with this cursor motion.
	void Look(int dx, int dy) {
		MoveCursor(dx, dy);
		StepPlayer();
	}
};

TEST_F(PlayerLookSettingsTest, SensitivityTwoTurnsTwiceAsFarForTheSameMotion) {
	Start(2.0f, false);
	if (IsSkipped() || HasFatalFailure()) {
		return;
	}
	EXPECT_EQ(Player().lookSensitivity, 3.5f);
	Look(10 * PIXELS_PER_DEGREE, 0);
	EXPECT_EQ(Player().yaw, 20.0f);
	EXPECT_EQ(Application::Get().viewYaw, 20.0f);
	Look(0, -5 * PIXELS_PER_DEGREE);
	EXPECT_EQ(Player().aimPitch, 35.0f);
	EXPECT_EQ(Application::Get().viewPitch, -10.0f);
	// The limits hold as before.
	Look(0, -100 * PIXELS_PER_DEGREE);
	EXPECT_EQ(Player().aimPitch, 65.0f);
	EXPECT_EQ(Application::Get().viewPitch, -40.0f);
	// And the heading still wraps to exactly 0.
	Player().yaw = 359.5f;
	Look(PIXELS_PER_DEGREE, 0);
	EXPECT_EQ(Player().yaw, 0.0f);
}

TEST_F(PlayerLookSettingsTest, HalfSensitivityTurnsHalfAsFar) {
	Start(0.5f, false);
	if (IsSkipped() || HasFatalFailure()) {
		return;
	}
	Look(10 * PIXELS_PER_DEGREE, 0);
	EXPECT_EQ(Player().yaw, 5.0f);
}

TEST_F(PlayerLookSettingsTest, InvertedMotionUpLowersTheAimAndTiltsTheViewDown) {
	Start(1.0f, true);
	if (IsSkipped() || HasFatalFailure()) {
		return;
	}
	Look(0, -10 * PIXELS_PER_DEGREE);
	EXPECT_EQ(Player().aimPitch, 15.0f);
	EXPECT_EQ(Application::Get().viewPitch, 10.0f);
	Look(0, 20 * PIXELS_PER_DEGREE);
	EXPECT_EQ(Player().aimPitch, 35.0f);
	EXPECT_EQ(Application::Get().viewPitch, -10.0f);
	// Turning is not inverted.
	Look(10 * PIXELS_PER_DEGREE, 0);
	EXPECT_EQ(Player().yaw, 10.0f);
	// The limits hold, each way.
	Look(0, 100 * PIXELS_PER_DEGREE);
	EXPECT_EQ(Player().aimPitch, 65.0f);
	EXPECT_EQ(Application::Get().viewPitch, -40.0f);
	Look(0, -100 * PIXELS_PER_DEGREE);
	EXPECT_EQ(Player().aimPitch, 5.0f);
	EXPECT_EQ(Application::Get().viewPitch, 20.0f);
}

}  // namespace
