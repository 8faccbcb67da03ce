// Mouse look: horizontal motion turns the robot and the view, vertical
// motion raises the aim and tilts the view oppositely, within limits; the
// cursor goes back to its resting point every frame.

#include "app/Application.h"
#include "tests/player/PlayerTestSupport.h"

#include <cmath>

using namespace player_test;

namespace {

// Pixels of cursor motion per degree at the robot's sensitivity.
constexpr int PIXELS_PER_DEGREE = 7;
// The robot turns itself by whole degrees times this.
constexpr float DEGREE = 0.017453f;

class PlayerLookTest : public BattleTest {
protected:
	void SetUp() override {
		BattleTest::SetUp();
		if (IsSkipped() || HasFatalFailure()) {
			return;
		}
		ASSERT_EQ(Player().lookSensitivity, static_cast<float>(PIXELS_PER_DEGREE));
	}

	D3DXVECTOR3 Forward() const { return D3DXVECTOR3(game->player.world._31, game->player.world._32, game->player.world._33); }

	POINT Cursor() const {
		POINT cursor{};
		GetCursorPos(&cursor);
		return cursor;
	}
};

TEST_F(PlayerLookTest, YawWrapsToExactlyZeroAboveAFullTurnAndToExactly360BelowZero) {
	Player().yaw = 359.5f;
	MoveCursor(PIXELS_PER_DEGREE, 0);
	StepPlayer();
	EXPECT_EQ(Player().yaw, 0.0f);

	Player().yaw = 0.3f;
	MoveCursor(-PIXELS_PER_DEGREE, 0);
	StepPlayer();
	EXPECT_EQ(Player().yaw, 360.0f);
}

TEST_F(PlayerLookTest, MotionRightTurnsTheRobotAndTheViewRight) {
	const float viewYaw = Application::Get().viewYaw;
	MoveCursor(10 * PIXELS_PER_DEGREE, 0);
	StepPlayer();
	const D3DXVECTOR3 forward = Forward();
	EXPECT_NEAR(forward.x, std::sin(10.0f * DEGREE), 1e-5f);
	EXPECT_NEAR(forward.z, std::cos(10.0f * DEGREE), 1e-5f);
	EXPECT_NEAR(forward.y, 0.0f, 1e-6f);
	EXPECT_EQ(Player().yaw, 10.0f);
	EXPECT_EQ(Application::Get().viewYaw, viewYaw + 10.0f);

	// Left turns it back.
	MoveCursor(-10 * PIXELS_PER_DEGREE, 0);
	StepPlayer();
	EXPECT_NEAR(Forward().x, 0.0f, 1e-5f);
	EXPECT_NEAR(Forward().z, 1.0f, 1e-5f);
	EXPECT_EQ(Application::Get().viewYaw, viewYaw);
}

TEST_F(PlayerLookTest, AimAndViewPitchMoveOppositelyAndStopAtTheirLimits) {
	Application& application = Application::Get();
	ASSERT_EQ(application.viewPitch, 0.0f);
	ASSERT_EQ(Player().aimPitch, 25.0f);

	// Up by 10 degrees: the aim rises as the view tilts up.
	MoveCursor(0, -10 * PIXELS_PER_DEGREE);
	StepPlayer();
	EXPECT_EQ(Player().aimPitch, 35.0f);
	EXPECT_EQ(application.viewPitch, -10.0f);
	EXPECT_EQ(Player().aimPitch, 25.0f - application.viewPitch);

	MoveCursor(0, -100 * PIXELS_PER_DEGREE);
	StepPlayer();
	EXPECT_EQ(Player().aimPitch, 65.0f);
	EXPECT_EQ(application.viewPitch, -40.0f);

	MoveCursor(0, 100 * PIXELS_PER_DEGREE);
	StepPlayer();
	EXPECT_EQ(Player().aimPitch, 5.0f);
	EXPECT_EQ(application.viewPitch, 20.0f);

	// Back from the low limit without a jump.
	MoveCursor(0, -5 * PIXELS_PER_DEGREE);
	StepPlayer();
	EXPECT_EQ(Player().aimPitch, 10.0f);
	EXPECT_EQ(application.viewPitch, 15.0f);
}

TEST_F(PlayerLookTest, TheCursorRestsAboveTheClientCentreAndIsPutBackEveryFrame) {
	const Application& application = Application::Get();
	POINT centre{application.clientWidth / 2, application.clientHeight / 2 - 48};
	ClientToScreen(application.window, &centre);
	EXPECT_EQ(Player().cursorCentre.x, centre.x);
	EXPECT_EQ(Player().cursorCentre.y, centre.y);

	const int motions[][2] = {{35, 0}, {0, -21}, {-14, 28}, {3, 0}};
	for (const auto& motion : motions) {
		MoveCursor(motion[0], motion[1]);
		StepPlayer();
		EXPECT_EQ(Cursor().x, centre.x);
		EXPECT_EQ(Cursor().y, centre.y);
	}
	// Without motion nothing turns: the delta is measured from the centre.
	const float yaw = Player().yaw;
	const float aimPitch = Player().aimPitch;
	StepPlayer(5);
	EXPECT_EQ(Player().yaw, yaw);
	EXPECT_EQ(Player().aimPitch, aimPitch);
	EXPECT_EQ(Player().lookDeltaX, 0.0f);
	EXPECT_EQ(Player().lookDeltaY, 0.0f);
}

}  // namespace
